#include "ArchiveRestore.h"

#include "ArchiveVerify.h"
#include "TemporaryFiles.h"
#include "ZipReader.h"

#include <QFileInfo>

namespace {

using Status = RestoreResult::Status;

// Checking takes the first half of the progress bar, extracting the second.
std::function<void(double)> HalfOfTheBar(ArchiveObserver &observer, double start)
{
    return [&observer, start](double share) { observer.FileProgress(start + share / 2); };
}

RestoreResult Stopped(const QString &archivePath, const QString &folder)
{
    return {Status::Cancelled, folder, QStringLiteral("The restore of %1 was stopped.").arg(archivePath)};
}

// Checks the archive, asking for its password as long as one is missing or wrong; the answer
// that opened it is left in password.
VerifyResult Verify(const QString &archivePath, ArchiveObserver &observer, QString &password)
{
    for (;;) {
        VerifyResult check = VerifyArchive(archivePath, password, HalfOfTheBar(observer, 0),
                                           [&observer] { return observer.StopRequested(); });
        if ((check.status != VerifyResult::Status::NeedsPassword && check.status != VerifyResult::Status::WrongPassword)
            || observer.StopRequested())
            return check;
        const std::optional<QString> answer =
            observer.AskPassword(archivePath, check.status == VerifyResult::Status::WrongPassword);
        if (!answer)
            return check;
        password = *answer;
    }
}

// Whether to restore an archive that will not give back the whole project: the observer decides.
bool RestoreAllTheSame(const VerifyResult &check, const QString &archivePath, ArchiveObserver &observer)
{
    switch (check.status) {
    case VerifyResult::Status::NotSound:
        return observer.RestoreUnsoundArchive(archivePath, check.Problems);
    case VerifyResult::Status::Incomplete:
        return observer.RestoreIncompleteArchive(archivePath, check.MissingWhenArchived);
    default:
        return true;
    }
}

// The password is the one the check opened the archive with. Leftovers of restores that were
// killed beside this archive go first.
RestoreResult Extract(const QString &archivePath, const QString &folder, ArchiveObserver &observer,
                      const QString &password, ZipReader::DamagedEntries damaged)
{
    RemoveDeadLeftovers(QFileInfo(archivePath).absolutePath());
    Outcome<ZipReader> zip = ZipReader::Open(archivePath);
    if (!zip)
        return {Status::Failed, folder, zip.error()};
    ZipReader reader = std::move(zip).value();
    reader.SetProgressHandler(HalfOfTheBar(observer, 0.5));
    reader.SetStopCheck([&observer] { return observer.StopRequested(); });
    const Outcome<ZipReader::Extraction, ZipFailure> extracted = reader.ExtractAll(folder, password, damaged);
    if (!extracted && extracted.error().kind == ZipFailure::Kind::Stopped)
        return Stopped(archivePath, folder);
    if (!extracted)
        return {Status::Failed, folder, extracted.error().reason};
    return {Status::Restored, extracted.value().Folder, QString(), {}, {}, extracted.value().LeftOut};
}

} // namespace

RestoreResult RestoreArchive(const QString &archivePath, ArchiveObserver &observer, const QString &givenPassword)
{
    if (!archivePath.toLower().endsWith(QLatin1String(".zip")))
        return {Status::NotAnArchive, QString(), QStringLiteral("%1 is not a zip archive.").arg(archivePath)};
    const QString folder = archivePath.left(archivePath.size() - 4);
    observer.Busy(true);
    // The chosen file itself is opened: on this file system "X.ZIP" and "X.zip" are two files.
    // A zip bomb is refused before checking it would take its time decompressing.
    if (Outcome<ZipReader> zip = ZipReader::Open(archivePath); zip) {
        if (const Outcome<void> room = ZipReader(std::move(zip).value()).CheckRoom(folder); !room) {
            observer.Busy(false);
            return {Status::Failed, folder, room.error()};
        }
    }
    QString password = givenPassword;
    const VerifyResult check = Verify(archivePath, observer, password);
    if (observer.StopRequested()) {
        observer.Busy(false);
        return Stopped(archivePath, folder);
    }
    RestoreResult result;
    switch (check.status) {
    case VerifyResult::Status::Unreadable:
        result = {Status::Failed, folder, check.Problems.join('\n')};
        break;
    case VerifyResult::Status::NeedsPassword:
    case VerifyResult::Status::WrongPassword:
        result = {Status::Cancelled, folder, check.Problems.join('\n')};
        break;
    case VerifyResult::Status::NotSound:
    case VerifyResult::Status::Incomplete:
    case VerifyResult::Status::Sound:
        if (RestoreAllTheSame(check, archivePath, observer)) {
            result =
                Extract(archivePath, folder, observer, password,
                        check.status == VerifyResult::Status::NotSound ? ZipReader::DamagedEntries::LeaveOut
                                                                       : ZipReader::DamagedEntries::StopTheExtraction);
        } else {
            result = {Status::Cancelled, folder, QStringLiteral("%1 was not restored.").arg(archivePath)};
        }
        result.Problems = check.Problems;
        result.Missing = check.MissingWhenArchived;
        break;
    }
    observer.Busy(false);
    return result;
}
