#include "ProjectListing.h"

#include "Terminal.h"

#include "ByteNamedFiles.h"

#include <QJsonArray>

namespace {

QString KindName(ProjectComponent::Kind kind)
{
    return kind == ProjectComponent::Kind::Control ? QStringLiteral("control") : QStringLiteral("library");
}

// Where the component comes from where the project opens: Windows itself, the build of another
// project of the group, or a setup that registers it.
QString SourceName(const ComponentLine &line)
{
    if (line.status == ComponentLine::Status::Malformed)
        return QStringLiteral("malformed");
    if (line.component.project)
        return QStringLiteral("project");
    return line.component.providedByWindows ? QStringLiteral("windows") : QStringLiteral("register");
}

// An empty cell, as another project's component has no GUID, would shift the eye to the next column.
QString OrDash(const QString &text) { return text.isEmpty() ? QStringLiteral("-") : text; }

QJsonObject MemberJson(const MemberReportRow &row)
{
    QJsonObject member{{"kind", row.kind},
                       {"path", row.path},
                       {"entry", row.entry},
                       {"local_file", ByteNamedFiles::ReadablePath(row.localFile)},
                       {"status", StatusName(row.status)}};
    if (row.status == MemberReportRow::Status::Malformed) {
        member.insert("line", row.line);
        member.insert("problem", row.problem);
        member.remove("local_file");
    }
    return member;
}

QJsonObject ComponentJson(const ComponentLine &line)
{
    const ProjectComponent &component = line.component;
    QJsonObject json{{"kind", KindName(component.kind)}, {"guid", component.guid},
                     {"version", component.version},     {"locale", component.locale},
                     {"file", component.file},           {"description", component.description},
                     {"project", component.project},     {"provided_by_windows", component.providedByWindows},
                     {"from", SourceName(line)},         {"line", component.line}};
    if (line.status == ComponentLine::Status::Malformed)
        json.insert("problem", line.problem);
    return json;
}

} // namespace

void PrintComponents(const QList<ComponentLine> &components)
{
    if (components.isEmpty()) {
        Out() << "\nComponents: none\n";
        return;
    }
    Out() << "\nComponents, registered where the project opens, never archived:\n";
    QList<QStringList> table{{"KIND", "GUID", "VERSION", "FILE", "FROM", "DESCRIPTION"}};
    for (const ComponentLine &line : components) {
        const ProjectComponent &component = line.component;
        if (line.status == ComponentLine::Status::Malformed)
            table.append(
                {KindName(component.kind), QString(), QString(), component.line, SourceName(line), line.problem});
        else
            table.append({KindName(component.kind), OrDash(component.guid), OrDash(component.version), component.file,
                          SourceName(line), component.description});
    }
    PrintTable(table);
}

QJsonObject ProjectListingJson(const ProjectListing &listing)
{
    QJsonArray members;
    for (const MemberReportRow &row : listing.members)
        members.append(MemberJson(row));
    QJsonArray components;
    for (const ComponentLine &line : listing.components)
        components.append(ComponentJson(line));
    const ProjectIdentity &identity = listing.identity;
    return {{"project_file", listing.projectFile},
            {"name", identity.ProjectName},
            {"major_ver", identity.ProjectMajorVer},
            {"minor_ver", identity.ProjectMinorVer},
            {"revision_ver", identity.ProjectRevisionVer},
            {"line_count", listing.lineCount},
            {"members", members},
            {"components", components}};
}
