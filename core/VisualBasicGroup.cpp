#include "VisualBasicGroup.h"

#include "LineReader.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

const QLatin1String kFirstLine("VBGROUP");

// The text of the first line that holds any, with an editor's byte order mark dropped.
QString FirstLineText(const TextLine &line)
{
    const QString text = line.bytes.startsWith("\xEF\xBB\xBF") ? QString::fromUtf8(line.bytes.mid(3)) : line.text;
    return text.trimmed();
}

Outcome<GroupForArchiving> NotAGroup(const QString &filePath)
{
    return Outcome<GroupForArchiving>::failure(
        QStringLiteral("%1 is not a Visual Basic group file: its first line is not VBGROUP 5.0.").arg(filePath));
}

// Windows takes both separators and any case: "Lib\Lib.vbp" and "lib/LIB.VBP" are one project.
QString SameProjectKey(const QString &path) { return QString(path).replace('/', '\\').toCaseFolded(); }

} // namespace

bool IsVisualBasicGroupFile(const QString &path) { return path.toUpper().endsWith(QLatin1String(".VBG")); }

Outcome<GroupForArchiving> ReadVisualBasicGroup(const QString &filePath)
{
    using Result = Outcome<GroupForArchiving>;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(QStringLiteral("Cannot open %1: %2").arg(filePath, file.errorString()));

    LineReader reader(file);
    TextLine line;
    bool headerSeen = false;
    QString startup;
    QStringList projects;
    while (reader.Next(line)) {
        if (!headerSeen) {
            const QString first = FirstLineText(line);
            if (first.isEmpty())
                continue;
            if (!first.startsWith(kFirstLine, Qt::CaseInsensitive))
                return NotAGroup(filePath);
            headerSeen = true;
            continue;
        }
        const qsizetype equals = line.text.indexOf('=');
        const QString key = line.text.left(equals).trimmed();
        const QString value = line.text.mid(equals + 1).trimmed();
        if (equals < 0 || value.isEmpty())
            continue;
        const bool startupLine = key.compare(QLatin1String("StartupProject"), Qt::CaseInsensitive) == 0;
        if (startupLine && startup.isEmpty())
            startup = value;
        // A second startup project, which the IDE never writes, is still a project of the group.
        else if (startupLine || key.compare(QLatin1String("Project"), Qt::CaseInsensitive) == 0)
            projects.append(value);
    }
    if (reader.Failed())
        return Result::failure(QStringLiteral("Cannot read %1: %2").arg(filePath, file.errorString()));
    if (!headerSeen)
        return NotAGroup(filePath);

    if (!startup.isEmpty())
        projects.prepend(startup);
    GroupForArchiving group;
    group.GroupName = QFileInfo(filePath).completeBaseName();
    QSet<QString> seen;
    for (const QString &project : std::as_const(projects)) {
        if (!seen.contains(SameProjectKey(project))) {
            seen.insert(SameProjectKey(project));
            group.Members.append(project);
        }
    }
    if (group.Members.isEmpty())
        return Result::failure(
            QStringLiteral("%1 lists no project (no Project= or StartupProject= line).").arg(filePath));
    group.BackupFolder = DefaultBackupFolder(group.Members.constFirst());
    return Result::success(group);
}

bool IsArchivableGroupFile(const QString &path) { return IsGroupFile(path) || IsVisualBasicGroupFile(path); }

Outcome<GroupForArchiving> ReadAnyGroupForArchiving(const QString &filePath)
{
    return IsVisualBasicGroupFile(filePath) ? ReadVisualBasicGroup(filePath) : ReadGroupFileForArchiving(filePath);
}
