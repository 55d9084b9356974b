#include "ProjectComponents.h"

#include "LineReader.h"
#include "OperationsFichiers.h"
#include "WindowsPath.h"

#include <QFile>
#include <QStringList>

namespace {

const QLatin1String kObjectPrefix("Object=");
const QLatin1String kReferencePrefix("Reference=");
// What comes before a type library's GUID, and before another project's file.
const QLatin1String kTypeLibraryMark("*\\G");
const QLatin1String kProjectMark("*\\A");

QString Clean(const QString &text) { return TrimBlanks(QString(text).remove('"')); }

ComponentLine Malformed(ProjectComponent component, const QString &problem)
{
    return {ComponentLine::Status::Malformed, std::move(component), problem};
}

ComponentLine Found(ProjectComponent component)
{
    component.providedByWindows = !component.project && InWindowsSystemFolder(component.file);
    return {ComponentLine::Status::Component, std::move(component), QString()};
}

// "{GUID}#VERSION#LOCALE" and what follows it, taken apart at "#"; false when the GUID is not there.
bool TakeTypeLibrary(const QStringList &pieces, ProjectComponent &component)
{
    if (pieces.size() < 3)
        return false;
    const QString guid = pieces.at(0).trimmed();
    if (!guid.startsWith('{') || !guid.endsWith('}'))
        return false;
    component.guid = guid;
    component.version = pieces.at(1).trimmed();
    component.locale = pieces.at(2).trimmed();
    return true;
}

// *\APROJECT.vbp: a component another project of the group builds.
ComponentLine ProjectReference(ProjectComponent component, const QString &value)
{
    component.project = true;
    component.file = Clean(value.mid(kProjectMark.size()));
    return component.file.isEmpty() ? Malformed(component, QStringLiteral("no project file named")) : Found(component);
}

// Object={GUID}#VERSION#LOCALE; FILE, or Object=*\APROJECT.vbp. Project files edited by hand
// sometimes write the GUID after "*\G", as Reference= lines do.
ComponentLine ParseObject(const QString &line, const QString &value)
{
    ProjectComponent component;
    component.kind = ProjectComponent::Kind::Control;
    component.line = line;
    if (value.startsWith(kProjectMark, Qt::CaseInsensitive))
        return ProjectReference(component, value);
    const QString library =
        value.startsWith(kTypeLibraryMark, Qt::CaseInsensitive) ? value.mid(kTypeLibraryMark.size()) : value;
    const qsizetype semicolon = library.indexOf(';');
    if (semicolon < 0)
        return Malformed(component, QStringLiteral("no \";\" before the control's file name"));
    if (!TakeTypeLibrary(library.left(semicolon).split('#'), component))
        return Malformed(component, QStringLiteral("no {GUID}#VERSION#LOCALE before the \";\""));
    component.file = Clean(library.mid(semicolon + 1));
    if (component.file.isEmpty())
        return Malformed(component, QStringLiteral("no file named after the \";\""));
    return Found(component);
}

// Reference=*\G{GUID}#VERSION#LOCALE#PATH#DESCRIPTION, or Reference=*\APROJECT.vbp. The
// description is the rest of the line, whatever "#" it holds.
ComponentLine ParseReference(const QString &line, const QString &value)
{
    ProjectComponent component;
    component.kind = ProjectComponent::Kind::Library;
    component.line = line;
    if (value.startsWith(kProjectMark, Qt::CaseInsensitive))
        return ProjectReference(component, value);
    if (!value.startsWith(kTypeLibraryMark, Qt::CaseInsensitive))
        return Malformed(component, QStringLiteral("neither *\\G{GUID} nor *\\A and a project file"));
    const QStringList pieces = value.mid(kTypeLibraryMark.size()).split('#');
    if (pieces.size() < 4 || !TakeTypeLibrary(pieces, component))
        return Malformed(component, QStringLiteral("not *\\G{GUID}#VERSION#LOCALE#PATH#DESCRIPTION"));
    component.file = Clean(pieces.at(3));
    component.description = pieces.mid(4).join('#').trimmed();
    return Found(component);
}

bool IsWindowsFolderName(const QString &name) { return name.startsWith(QLatin1String("win")); }

} // namespace

ComponentLine ParseComponentLine(const QString &line)
{
    if (line.startsWith(kObjectPrefix))
        return ParseObject(line, line.mid(kObjectPrefix.size()));
    if (line.startsWith(kReferencePrefix))
        return ParseReference(line, line.mid(kReferencePrefix.size()));
    return {};
}

bool InWindowsSystemFolder(const QString &written)
{
    QString path = QString(written).replace('/', '\\').toLower();
    if (path.startsWith(QLatin1String("\\\\")))
        return false; // another machine's share
    // Only a path that leaves the project's folder can reach Windows' folder: by its drive, from the
    // root of the project's drive, or by climbing far enough.
    bool leavesProject = false;
    if (WindowsPath::HasDrive(path)) {
        path = path.mid(2);
        leavesProject = true;
    }
    for (;;) {
        if (path.startsWith('\\'))
            path.remove(0, 1);
        else if (path.startsWith(QLatin1String("..\\")))
            path.remove(0, 3);
        else
            break;
        leavesProject = true;
    }
    const QStringList names = path.split('\\', Qt::SkipEmptyParts);
    if (!leavesProject || names.size() < 3)
        return false;
    static const QStringList systemFolders{QStringLiteral("system32"), QStringLiteral("syswow64"),
                                           QStringLiteral("system")};
    if (IsWindowsFolderName(names.at(0)) && systemFolders.contains(names.at(1)))
        return true;
    return names.size() >= 4 && names.at(1) == QLatin1String("common files") && names.at(2) == QLatin1String("system");
}

Outcome<QList<ComponentLine>> ReadProjectComponents(const QString &projectFilePath)
{
    using Result = Outcome<QList<ComponentLine>>;
    QFile file(projectFilePath);
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("Cannot open %1: %2").arg(projectFilePath, file.errorString()));
    QList<ComponentLine> components;
    LineReader reader(file);
    TextLine line;
    while (reader.Next(line)) {
        ComponentLine parsed = ParseComponentLine(line.text);
        if (parsed.status != ComponentLine::Status::NotComponent)
            components.append(std::move(parsed));
    }
    if (reader.Failed())
        return Result::failure(QStringLiteral("Cannot read %1: %2").arg(projectFilePath, file.errorString()));
    return Result::success(components);
}

ComponentCount CountComponents(const QList<ComponentLine> &lines)
{
    ComponentCount count;
    for (const ComponentLine &line : lines) {
        if (line.status != ComponentLine::Status::Component)
            continue;
        const ProjectComponent &component = line.component;
        if (component.project)
            ++count.fromProjects;
        else if (component.providedByWindows)
            ++count.providedByWindows;
        else if (component.kind == ProjectComponent::Kind::Control)
            ++count.controls;
        else
            ++count.libraries;
    }
    return count;
}
