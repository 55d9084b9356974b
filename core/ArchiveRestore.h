#pragma once

#include "ArchiveObserver.h"

#include <QString>
#include <QStringList>

struct RestoreResult {
    enum class Status {
        Restored,     // extracted into Folder
        NotAnArchive, // the name does not end in ".zip": the window only beeps
        Failed,       // the archive could not be opened or extracted; Error says why
        Cancelled,    // no (right) password was given, the unsound archive was not to be restored, or the
                      // observer asked to stop (nothing of the restore is left then)
        BadChoice,    // the folder to restore into is not there, or a pattern matches no entry: nothing was
                      // done; Error says which
    };
    Status status = Status::Failed;
    QString Folder; // restored: the folder made; otherwise the archive's path without ".zip"
    QString Error;
    QStringList Problems = {}; // why the archive is not sound, when it is not
    QStringList Missing = {};  // what it was written without, when its comment says so
    QStringList LeftOut = {};  // damaged entries of an unsound archive, not restored, each with its reason
};

// Where a restore goes and what it takes, when not the whole archive beside itself.
struct RestoreChoice {
    QString IntoFolder;       // the existing folder the new folder is made in; empty: the archive's own
    QStringList Entries = {}; // patterns of the entry names to restore (see EntryPatterns); empty: all
};

// Extracts the whole archive into a new folder beside it, named like it without ".zip", or when
// that name is taken "NAME (2)", "NAME (3)"...: a restore never writes into an existing folder, so
// it never replaces what someone changed in an earlier restore. The folder appears only once it
// is whole and durable; an interrupted or failed restore leaves nothing, and what a killed one
// left is removed by the next restore beside the same archive.
// A protected archive is first tried with the given password; when that is missing or wrong the
// observer is asked for one, until it gives up. The archive is checked first (see VerifyArchive);
// when it is not sound, or was written without files that were missing, the observer decides
// whether to restore it all the same: an unsound archive is then restored as far as it goes, every
// entry that reads whole, the damaged ones left out. Entries that would land outside the folder
// make the whole archive refused. The observer is asked while the archive is checked and extracted
// whether to stop.
// A choice restores into a new folder of the same name inside another folder, which must exist,
// or only the entries its patterns match, every pattern matching one at least; the checks are the
// same, of the whole archive.
[[nodiscard]] RestoreResult RestoreArchive(const QString &archivePath, ArchiveObserver &observer,
                                           const QString &password = QString(), const RestoreChoice &choice = {});
