#include "ArchiveRestore.h"

#include "OperationsFichiers.h"
#include "ZipArchive.h"

namespace {

using Status = RestoreResult::Status;

RestoreResult Extract(const QString &archivePath, const QString &folder, ArchiveObserver &observer, QString password)
{
    ZipArchive zip;
    zip.SetProgressHandler([&observer](double share) {
        observer.WriteProgress(share);
        observer.LetPendingWorkRun();
    });
    if (zip.OpenExisting(archivePath) != 1)
        return {Status::Failed, folder, zip.LastError()};
    for (;;) {
        const int extracted = zip.ExtractAll(folder, password);
        if (extracted >= 0)
            return {Status::Restored, folder, QString()};
        if (extracted != ZipArchive::ExtractNeedsPassword && extracted != ZipArchive::ExtractWrongPassword)
            return {Status::Failed, folder, zip.LastError()};
        const std::optional<QString> answer =
            observer.AskPassword(archivePath, extracted == ZipArchive::ExtractWrongPassword);
        if (!answer)
            return {Status::Cancelled, folder, zip.LastError()};
        password = *answer;
    }
}

} // namespace

RestoreResult RestoreArchive(const QString &archivePath, ArchiveObserver &observer, const QString &password)
{
    if (!archivePath.toLower().endsWith(QLatin1String(".zip")))
        return {Status::NotAnArchive, QString(), QStringLiteral("%1 is not a zip archive.").arg(archivePath)};
    const QString folder = archivePath.left(archivePath.size() - 4);
    MakeDirs(folder + '/');
    observer.Busy(true);
    observer.LetPendingWorkRun();
    // The chosen file itself is opened: on this file system "X.ZIP" and "X.zip" are two files.
    const RestoreResult result = Extract(archivePath, folder, observer, password);
    observer.Busy(false);
    return result;
}
