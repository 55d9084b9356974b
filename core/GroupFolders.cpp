#include "GroupFolders.h"

#include "OperationsFichiers.h"
#include "ProjectFile.h"

#include <QDir>
#include <QRegularExpression>

QString GroupFolderName(const QString &groupName)
{
    QString name = SanitizeFileName(groupName);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        name.fill('_');
    return name;
}

QString GroupBackupFolder(const QString &destination, const QString &groupName, const QString &stamp)
{
    const QString name = GroupFolderName(groupName);
    return AddBackslash(AddBackslash(destination) + (name.isEmpty() ? QString() : name + '/') + stamp);
}

QStringList StampFoldersNewestFirst(const QString &groupFolder)
{
    static const QRegularExpression stamp(QStringLiteral(R"(^\d{14}$)"));
    return QDir(groupFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed).filter(stamp);
}
