#include "ArchiveRestore.h"
#include "ArchiveRun.h"
#include "FixedStamp.h"
#include "GroupFolders.h"
#include "GroupRun.h"
#include "ProjectTree.h"
#include "RecordingObserver.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/file.h>

namespace {

// Asked to stop, a run ends cancelled wherever it is, with no failure shown, and leaves no
// temporary file or folder and nothing half made; what it finished before stays.

Outcome<void> Remembered(const QString &) { return Outcome<void>::success(); }

QStringList Temporaries(const QString &folder)
{
    return QDir(folder).entryList({".quenzar-*"}, QDir::AllEntries | QDir::Hidden | QDir::System);
}

QStringList Archives(const QString &folder) { return QDir(folder).entryList({"*.zip"}, QDir::Files); }

// Stops at the given ask, counting from 1.
std::function<bool(const RecordingObserver &)> AtAsk(int ask)
{
    return [ask, asked = 0](const RecordingObserver &) mutable { return ++asked >= ask; };
}

std::function<bool(const RecordingObserver &)> PastShare(double share)
{
    return [share](const RecordingObserver &seen) { return !seen.shares.isEmpty() && seen.shares.last() > share; };
}

TEST(RunCancellation, AProjectStoppedAnywhereLeavesNoArchiveAndNoTemporaryFile)
{
    ProjectTree tree;
    // Four modules for the compression workers, a resource file the archive writer reads itself.
    const QString project = tree.incompressibleProject("App/App.vbp", 4, 2 << 20, 24 << 20);
    const struct {
        const char *when;
        std::function<bool(const RecordingObserver &)> stop;
        bool folderLocked = false; // by another run
    } rows[] = {
        {"after the third line", AtAsk(3)},
        {"early in the write", PastShare(0.1)},
        {"while the writer reads the large file", PastShare(0.6)},
        {"near the end", PastShare(0.95)},
        {"while another run holds the backup folder", AtAsk(1), true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.when);
        const Outcome<ArchivingState> state = PrepareProject(project, project, ProjectNaming::ByFileName, kFixedStamp);
        ASSERT_TRUE(state);
        QDir().mkpath(state.value().BackupFolder);
        QFile lock(state.value().BackupFolder + ".quenzar.lock");
        ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
        ASSERT_EQ(::flock(lock.handle(), row.folderLocked ? LOCK_EX : LOCK_UN), 0);
        RecordingObserver observer;
        observer.stopWhen = row.stop;
        const ArchiveRunResult run = RunProject(project, state.value(), observer, Remembered);
        ::flock(lock.handle(), LOCK_UN);

        EXPECT_TRUE(run.Cancelled);
        EXPECT_FALSE(run.Complete);
        EXPECT_TRUE(run.FailedProjects.isEmpty());
        EXPECT_TRUE(observer.failures.isEmpty()) << observer.failures.join('\n').toStdString();
        EXPECT_FALSE(observer.busy);
        EXPECT_EQ(Archives(state.value().BackupFolder), QStringList());
        EXPECT_EQ(Temporaries(state.value().BackupFolder), QStringList());
    }
}

TEST(RunCancellation, AGroupStoppedKeepsTheArchivesItFinished)
{
    ProjectTree tree;
    tree.incompressibleProject("Small/Small.vbp", 1, 1 << 10);
    tree.incompressibleProject("Large/Large.vbp", 2, 1 << 20, 24 << 20);
    const GroupForArchiving group{"Nightly", tree.path("out"), {"Small/Small.vbp", "Large/Large.vbp"}};
    const QString groupFile = tree.path("Nightly.vbpgroup");
    const QString stampFolder = GroupBackupFolder(tree.path("out"), "Nightly", kFixedStamp);

    RecordingObserver observer;
    observer.stopWhen = [](const RecordingObserver &seen) {
        return !seen.archived.isEmpty() && !seen.shares.isEmpty() && seen.shares.last() > 0.6;
    };
    const ArchiveRunResult run =
        RunGroup(groupFile, group, group.BackupFolder, kFixedStamp, ArchiveChoices(), observer, Remembered);
    EXPECT_TRUE(run.Cancelled);
    EXPECT_FALSE(run.Complete);
    EXPECT_TRUE(run.FailedProjects.isEmpty());
    EXPECT_TRUE(observer.failures.isEmpty()) << observer.failures.join('\n').toStdString();
    ASSERT_EQ(run.Archives.size(), 1);
    EXPECT_EQ(Archives(stampFolder), QStringList{QFileInfo(run.Archives[0]).fileName()});
    EXPECT_EQ(Temporaries(stampFolder), QStringList());

    // Stopped before its first archive, the run leaves no stamp folder.
    QDir(stampFolder).removeRecursively();
    RecordingObserver atOnce;
    atOnce.stopWhen = AtAsk(1);
    const ArchiveRunResult stopped =
        RunGroup(groupFile, group, group.BackupFolder, kFixedStamp, ArchiveChoices(), atOnce, Remembered);
    EXPECT_TRUE(stopped.Cancelled);
    EXPECT_TRUE(stopped.Archives.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(stampFolder));
}

TEST(RunCancellation, ARestoreStoppedLeavesNoFolder)
{
    ProjectTree tree;
    const QString project = tree.incompressibleProject("App/App.vbp", 4, 2 << 20, 24 << 20);
    const Outcome<ArchivingState> state = PrepareProject(project, project, ProjectNaming::ByFileName, kFixedStamp);
    ASSERT_TRUE(state);
    RecordingObserver archiving;
    const ArchiveRunResult run = RunProject(project, state.value(), archiving, Remembered);
    ASSERT_EQ(run.Archives.size(), 1) << archiving.failures.join('\n').toStdString();
    const QString archive = run.Archives[0];

    for (const double share : {0.2, 0.7}) { // checking, then extracting
        SCOPED_TRACE(share);
        RecordingObserver observer;
        observer.stopWhen = PastShare(share);
        const RestoreResult restored = RestoreArchive(archive, observer);
        EXPECT_EQ(restored.status, RestoreResult::Status::Cancelled) << restored.Error.toStdString();
        EXPECT_FALSE(observer.busy);
        EXPECT_EQ(QDir(state.value().BackupFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList({".quenzar.lock", QFileInfo(archive).fileName()}));
    }
}

} // namespace
