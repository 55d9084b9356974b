#include "ArchiveRestore.h"

#include "ArchiveVerify.h"
#include "EntryPatterns.h"
#include "TemporaryFiles.h"
#include "ZipReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

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

// The folder the restore makes: named like the archive without ".zip", beside it or in the
// chosen folder. Nothing when the chosen folder is not an existing folder, with the system's reason.
Outcome<QString> RestoreFolder(const QString &archivePath, const QString &intoFolder)
{
    const QString name = QFileInfo(archivePath).fileName().chopped(4);
    if (intoFolder.isEmpty())
        return Outcome<QString>::success(archivePath.left(archivePath.size() - 4));
    struct stat info;
    const int error = ::stat(QFile::encodeName(intoFolder).constData(), &info) != 0 ? errno
                      : S_ISDIR(info.st_mode)                                       ? 0
                                                                                    : ENOTDIR;
    if (error != 0)
        return Outcome<QString>::failure(
            QStringLiteral("Cannot restore %1 into %2: %3.")
                .arg(archivePath, intoFolder, QString::fromLocal8Bit(std::strerror(error))));
    return Outcome<QString>::success(QDir(intoFolder).filePath(name));
}

// The patterns that match no entry of the archive, or why it cannot be listed; an archive that
// cannot be listed is left to the check to report.
QStringList UnmatchedPatterns(const QString &archivePath, const EntryPatterns &patterns)
{
    Outcome<ZipReader> zip = ZipReader::Open(archivePath);
    const auto entries = zip ? zip.value().Entries() : Outcome<std::vector<ZipReader::EntrySummary>>::failure({});
    if (!entries)
        return {};
    QStringList names;
    for (const ZipReader::EntrySummary &entry : entries.value())
        names.append(entry.name);
    return patterns.Unmatched(names);
}

// The engine's choice of entries: those the names given match.
ZipReader::EntryChoice EntryChoice(const EntryPatterns &chosen)
{
    return [&chosen](const QString &name) { return chosen.Match(name); };
}

// The password is the one the check opened the archive with. Leftovers of restores that were
// killed where this one makes its folder go first.
RestoreResult Extract(const QString &archivePath, const QString &folder, ArchiveObserver &observer,
                      const QString &password, ZipReader::DamagedEntries damaged, const EntryPatterns &chosen)
{
    RemoveDeadLeftovers(QFileInfo(folder).absolutePath());
    Outcome<ZipReader> zip = ZipReader::Open(archivePath);
    if (!zip)
        return {Status::Failed, folder, zip.error()};
    ZipReader reader = std::move(zip).value();
    reader.SetProgressHandler(HalfOfTheBar(observer, 0.5));
    reader.SetStopCheck([&observer] { return observer.StopRequested(); });
    const Outcome<ZipReader::Extraction, ZipFailure> extracted =
        reader.ExtractAll(folder, password, damaged, EntryChoice(chosen));
    if (!extracted && extracted.error().kind == ZipFailure::Kind::Stopped)
        return Stopped(archivePath, folder);
    if (!extracted)
        return {Status::Failed, folder, extracted.error().reason};
    return {Status::Restored, extracted.value().Folder, QString(), {}, {}, extracted.value().LeftOut};
}

} // namespace

RestoreResult RestoreArchive(const QString &archivePath, ArchiveObserver &observer, const QString &givenPassword,
                             const RestoreChoice &choice)
{
    if (!archivePath.toLower().endsWith(QLatin1String(".zip")))
        return {Status::NotAnArchive, QString(), QStringLiteral("%1 is not a zip archive.").arg(archivePath)};
    const Outcome<QString> destination = RestoreFolder(archivePath, choice.IntoFolder);
    if (!destination)
        return {Status::BadChoice, QString(), destination.error()};
    const QString folder = destination.value();
    const EntryPatterns chosen(choice.Entries);
    if (const QStringList unmatched = UnmatchedPatterns(archivePath, chosen); !unmatched.isEmpty())
        return {Status::BadChoice, folder,
                QStringLiteral("%1 holds no entry matching %2; nothing was restored.")
                    .arg(archivePath, unmatched.join(QStringLiteral(", ")))};
    observer.Busy(true);
    // The chosen file itself is opened: on this file system "X.ZIP" and "X.zip" are two files.
    // A zip bomb is refused before checking it would take its time decompressing.
    if (Outcome<ZipReader> zip = ZipReader::Open(archivePath); zip) {
        if (const Outcome<void> room = ZipReader(std::move(zip).value()).CheckRoom(folder, EntryChoice(chosen));
            !room) {
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
                                                                       : ZipReader::DamagedEntries::StopTheExtraction,
                        chosen);
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
