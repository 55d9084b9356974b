#include "ArchivingState.h"

#include "GroupFile.h"
#include "OperationsFichiers.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

QString BackupStampOf(const QDateTime &moment) { return moment.toString(QStringLiteral("yyyyMMddHHmmss")); }

QString ArchiveBaseName(const ProjectIdentity &identity, const QString &stamp)
{
    return SanitizeFileName(QStringLiteral("%1 %2.%3.%4.%5")
                                .arg(identity.ProjectName, identity.ProjectMajorVer, identity.ProjectMinorVer,
                                     identity.ProjectRevisionVer, stamp));
}

std::optional<NamedArchive> ParseArchiveName(const QString &fileName)
{
    static const QRegularExpression rule(QStringLiteral(R"(^(.+) \d+\.\d+\.\d+\.(\d{14})(?: \((\d+)\))?\.zip$)"));
    const QRegularExpressionMatch match = rule.match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    return NamedArchive{match.captured(1), match.captured(2), match.hasCaptured(3) ? match.captured(3).toInt() : 1};
}

bool IsRootProjectEntry(const QString &entryName)
{
    return !entryName.contains('/') && !entryName.contains('\\')
           && entryName.endsWith(QLatin1String(".vbp"), Qt::CaseInsensitive);
}

void SetArchiveNames(ArchivingState &state, const QString &baseName)
{
    state.ArchiveFileName = baseName + QStringLiteral(".zip");
    state.NewProjectFileName = baseName + QStringLiteral(".vbp");
}

QString DistinctBaseName(const QString &baseName, const QSet<QString> &taken)
{
    QString name = baseName;
    for (int number = 2; taken.contains(name.toCaseFolded()); ++number)
        name = QStringLiteral("%1 (%2)").arg(baseName).arg(number);
    return name;
}

QSet<QString> ArchiveBaseNamesIn(const QString &folder)
{
    QSet<QString> names;
    for (const QString &name :
         QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (name.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
            names.insert(name.chopped(4).toCaseFolded());
    }
    return names;
}

Outcome<ArchivingState> PrepareProject(const QString &projectFile, const QString &projectText, ProjectNaming naming,
                                       const QString &stamp)
{
    ArchivingState state;
    state.ProjectRoot = ParentFolder(QFileInfo(projectFile).absoluteFilePath());
    const QString namedAfter = naming == ProjectNaming::ByFileName ? FileNamePart(projectText) : projectText;
    state.Identity.ProjectName = QString(namedAfter).remove(QStringLiteral(".vbp"));
    const Outcome<qint32> lineCount = ReadProjectInfo(projectFile, state.Identity);
    if (!lineCount)
        return Outcome<ArchivingState>::failure(lineCount.error());
    state.ProjectLineCount = lineCount.value();
    state.BackupStamp = stamp;
    state.BackupFolder = DefaultBackupFolder(QFileInfo(projectFile).absoluteFilePath());
    SetArchiveNames(state, ArchiveBaseName(state.Identity, stamp));
    return Outcome<ArchivingState>::success(state);
}
