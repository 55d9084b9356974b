#include "ProgramFolders.h"

#include "WindowsPath.h"

#include <QCoreApplication>
#include <QDir>

QString ProgramFolder() { return QCoreApplication::applicationDirPath(); }

QString ProgramDataFolder(const QString &name, const QString &programFolder)
{
    for (const QString &folder : {name, QStringLiteral("../share/quenzar/") + name}) {
        const WindowsPath::LocalPath found = WindowsPath::Resolve(programFolder, folder);
        if (found.found)
            return QDir::cleanPath(found.path);
    }
    return programFolder + '/' + name;
}
