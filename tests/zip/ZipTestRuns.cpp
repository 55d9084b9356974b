#include "ZipTestRuns.h"

#include "ZipArchive.h"

#include <QDirIterator>

int Archive(const QString &archivePath, const QList<Member> &members, const QString &password)
{
    ZipArchive zip;
    zip.CreateNew(archivePath);
    zip.UsePassword(password);
    zip.EnableProtection(!password.isEmpty());
    for (const Member &member : members) {
        zip.SetFolderPrefix(member.prefix);
        if (zip.AddMemberFile(member.file) != 1)
            return 0;
    }
    return zip.WriteAndClose();
}

int Extract(const QString &archivePath, const QString &destination, const QString &password)
{
    ZipArchive zip;
    return zip.OpenExisting(archivePath) == 1 ? zip.ExtractAll(destination, password) : ZipArchive::ExtractFailed;
}

QStringList Contents(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next().mid(folder.size() + 1));
    found.sort();
    return found;
}
