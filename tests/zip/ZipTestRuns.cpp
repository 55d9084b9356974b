#include "ZipTestRuns.h"

#include "ZipWriter.h"

#include <QDirIterator>

Outcome<void> Archive(const QString &archivePath, const QList<Member> &members, const QString &password)
{
    ZipWriter zip(archivePath);
    zip.Protect(password);
    for (const Member &member : members) {
        zip.SetFolderPrefix(member.prefix);
        if (const Outcome<void> added = zip.AddMemberFile(member.file); !added)
            return added;
    }
    const Outcome<ZipWriter::Written> written = zip.Write();
    return written ? Outcome<void>::success() : Outcome<void>::failure(written.error());
}

Outcome<ZipReader::Extraction, ZipFailure> Extract(const QString &archivePath, const QString &destination,
                                                   const QString &password)
{
    Outcome<ZipReader> zip = ZipReader::Open(archivePath);
    if (!zip)
        return Outcome<ZipReader::Extraction, ZipFailure>::failure({ZipFailure::Kind::Failed, zip.error()});
    return ZipReader(std::move(zip).value()).ExtractAll(destination, password);
}

int FilesWritten(const Outcome<ZipReader::Extraction, ZipFailure> &extraction)
{
    return extraction ? extraction.value().Files : -1;
}

std::optional<ZipFailure::Kind> FailureOf(const Outcome<ZipReader::Extraction, ZipFailure> &extraction)
{
    return extraction ? std::nullopt : std::optional(extraction.error().kind);
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
