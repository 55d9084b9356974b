#pragma once

#include "ArchiveObserver.h"
#include "Outcome.h"

#include <QString>

// Runs that write into one backup folder (a timer and a person, two timers) take turns: each
// holds an advisory lock on the file ".quenzar.lock" in the folder while it writes, compares and
// prunes there, so that neither removes or replaces what the other wrote. The file stays in the
// folder; the lock goes with the run, however it ends.
class BackupFolderLock {
public:
    // Waits for the lock as long as another run holds it, telling the observer once. Fails when the
    // lock file cannot be made or locked, or when the observer asks to stop while it waits.
    [[nodiscard]] static Outcome<BackupFolderLock> Hold(const QString &folder, ArchiveObserver &observer);

    BackupFolderLock(BackupFolderLock &&other) noexcept;
    BackupFolderLock &operator=(BackupFolderLock &&other) noexcept;
    BackupFolderLock(const BackupFolderLock &) = delete;
    BackupFolderLock &operator=(const BackupFolderLock &) = delete;
    ~BackupFolderLock();

private:
    explicit BackupFolderLock(int descriptor) : descriptor_(descriptor) {}
    int descriptor_ = -1;
};
