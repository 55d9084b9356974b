#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Whether an archive would restore as a working project: every entry reads back whole with the
// right CRC, a project file lies at its root, every member line of that file names an entry of
// the archive, and every binary file a member's text references lies beside that member. A file
// that the archive's comment records as missing when it was written (see MissingFilesRecord.h) is
// not damage: the archive is then incomplete.

struct VerifyResult {
    enum class Status {
        Sound,
        Incomplete,    // sound, but written without the files MissingWhenArchived lists
        NotSound,      // Problems says why, one sentence each
        Unreadable,    // not a zip archive at all, or cut short: Problems holds the reason
        NeedsPassword, // protected entries, no password given
        WrongPassword,
    };
    Status status = Status::Unreadable;
    QStringList Problems;
    QStringList MissingWhenArchived; // the lines of the archive's comment for files not in it
    QStringList ProjectFiles;        // the project files found at the root
    qsizetype EntryCount = 0;
    qsizetype MemberCount = 0; // member lines checked
};

// progress, when given, is told the share of the entries read, 0.0 to 1.0. stopRequested, when given,
// is asked between chunks: true cuts the check short, and the result then means nothing.
[[nodiscard]] VerifyResult VerifyArchive(const QString &archivePath, const QString &password = QString(),
                                         const std::function<void(double)> &progress = {},
                                         const std::function<bool()> &stopRequested = {});
