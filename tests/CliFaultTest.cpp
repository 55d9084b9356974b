#include "CliRunner.h"
#include "ProjectTree.h"
#include "TestMounts.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

QByteArray Noise(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// A project of a few large resource-like members that do not compress: its archive takes a while
// to write. Archived once into backups/, the earlier archive that later runs must not harm.
class CliFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        project = tree.project("App/App.vbp", {"Name=\"App\"", "Module=m; m.bas", "ResFile32=\"App.RES\""});
        tree.write("App/m.bas", "Attribute VB_Name = \"m\"\r\n");
        tree.write("App/App.RES", "small resources");
        backups = tree.makeFolder("backups");
    }

    QStringList ArchiveArguments() const
    {
        return {"archive", project, "--stamp", kFixedStamp, "--dest", backups, "--quiet"};
    }

    QString ArchivePath() const { return backups + "/App 0.0.0.20240102030405.zip"; }

    // What backups/ holds, hidden files too, but the lock file that runs share.
    QStringList Backups() const
    {
        QStringList names =
            QDir(backups).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        names.removeOne(".quenzar.lock");
        return names;
    }

    // Starts a run that writes six 24 MiB members, and returns once its temporary archive has grown
    // beyond 8 MiB: the moment to interrupt it.
    void StartLargeWrite(QProcess &archiving)
    {
        for (int part = 0; part < 6; ++part)
            tree.write(QString("App/Data%1.bin").arg(part), Noise(24 << 20, part));
        tree.project("App/App.vbp", {"Name=\"App\"", "Module=m; m.bas", "ResFile32=\"App.RES\"", "Module=d0; Data0.bin",
                                     "Module=d1; Data1.bin", "Module=d2; Data2.bin", "Module=d3; Data3.bin",
                                     "Module=d4; Data4.bin", "Module=d5; Data5.bin"});
        archiving.start(kCli, ArchiveArguments());
        ASSERT_TRUE(archiving.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        bool writing = false;
        while (!writing && archiving.state() == QProcess::Running && waited.elapsed() < 60000) {
            for (const QFileInfo &file : QDir(backups).entryInfoList(QDir::Files | QDir::Hidden))
                writing = writing || (file.fileName().startsWith(".quenzar-") && file.size() > (8 << 20));
            QThread::msleep(2);
        }
        ASSERT_TRUE(writing) << "the write ended before it could be interrupted";
    }

    ProjectTree tree;
    QString project;
    QString backups;
};

TEST_F(CliFaultTest, KilledWhileWritingLeavesTheEarlierArchiveUntouched)
{
    ASSERT_EQ(RunCli(ArchiveArguments()), 0);
    const QByteArray earlier = tree.read("backups/App 0.0.0.20240102030405.zip");
    QProcess archiving;
    StartLargeWrite(archiving);
    ::kill(pid_t(archiving.processId()), SIGKILL);
    ASSERT_TRUE(archiving.waitForFinished());
    EXPECT_EQ(archiving.exitStatus(), QProcess::CrashExit);

    EXPECT_EQ(tree.read("backups/App 0.0.0.20240102030405.zip"), earlier);
    EXPECT_EQ(RunProgram("7zz", {"t", ArchivePath()}), 0);
    // Only the temporary file of the interrupted write is left, under a name of its own; the next
    // run finds its writer gone and removes it. The same stamp gives that run the next free name.
    const QStringList left = Backups();
    ASSERT_EQ(left.size(), 2) << left.join(", ").toStdString();
    EXPECT_TRUE(left.contains("App 0.0.0.20240102030405.zip"));
    EXPECT_TRUE(left.filter(QRegularExpression(R"(^\.quenzar-\w{6}\.tmp$)")).size() == 1)
        << left.join(", ").toStdString();
    ASSERT_EQ(RunCli(ArchiveArguments()), 0);
    EXPECT_EQ(Backups(), QStringList({"App 0.0.0.20240102030405 (2).zip", "App 0.0.0.20240102030405.zip"}));
}

// Ctrl-C, a stopped timer, a closed terminal: the run removes what it was writing and says how it
// ended, as a shell reports a process killed by the signal.
TEST_F(CliFaultTest, InterruptedRunsRemoveTheirWorkAndExitWith128PlusTheSignal)
{
    ASSERT_EQ(RunCli(ArchiveArguments()), 0);
    const QByteArray earlier = tree.read("backups/App 0.0.0.20240102030405.zip");
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        QProcess archiving;
        StartLargeWrite(archiving);
        ::kill(pid_t(archiving.processId()), signal);
        ASSERT_TRUE(archiving.waitForFinished());
        EXPECT_EQ(archiving.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(archiving.exitCode(), 128 + signal);
        EXPECT_EQ(Backups(), QStringList{"App 0.0.0.20240102030405.zip"});
        EXPECT_EQ(tree.read("backups/App 0.0.0.20240102030405.zip"), earlier);
    }
}

// Two runs into one folder take turns: the second says it waits, and writes only once the first
// is done.
TEST_F(CliFaultTest, ARunWaitsForTheOneWritingIntoItsFolder)
{
    ASSERT_EQ(RunCli(ArchiveArguments()), 0);
    QFile lock(backups + "/.quenzar.lock");
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_EQ(::flock(lock.handle(), LOCK_EX), 0);

    QProcess waiting;
    waiting.setReadChannel(QProcess::StandardError);
    waiting.start(kCli, ArchiveArguments());
    ASSERT_TRUE(waiting.waitForStarted());
    QByteArray told;
    while (!told.contains('\n') && waiting.waitForReadyRead(20000))
        told += waiting.readAllStandardError();
    EXPECT_EQ(told, "waiting: another run of Quenzar is writing into " + backups.toUtf8() + "/\n");
    EXPECT_FALSE(waiting.waitForFinished(300));
    EXPECT_EQ(Backups(), QStringList{"App 0.0.0.20240102030405.zip"});

    ::flock(lock.handle(), LOCK_UN);
    ASSERT_TRUE(waiting.waitForFinished());
    EXPECT_EQ(waiting.exitCode(), 0);
    EXPECT_EQ(Backups(), QStringList({"App 0.0.0.20240102030405 (2).zip", "App 0.0.0.20240102030405.zip"}));
}

// Only a regular file can be an earlier archive: a named pipe under an archive's name is never
// opened, where reading it would wait forever.
TEST_F(CliFaultTest, ANamedPipeAmongTheArchivesIsPassedOver)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path("pipe")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(tree.path("pipe"), backups + "/App 0.0.0.20250101000000.zip"));
    QProcess archiving;
    archiving.start(kCli, ArchiveArguments() << "--if-changed");
    ASSERT_TRUE(archiving.waitForFinished(20000)) << "the run waits on the pipe";
    EXPECT_EQ(archiving.exitCode(), 0) << archiving.readAllStandardError().toStdString();
    EXPECT_EQ(RunProgram("7zz", {"t", ArchivePath()}), 0);
}

TEST_F(CliFaultTest, AFullOrReadOnlyDestinationFailsAndKeepsTheEarlierArchive)
{
    const SmallTmpfs disk(backups, "1m");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    ASSERT_EQ(RunCli(ArchiveArguments()), 0);
    const QByteArray earlier = tree.read("backups/App 0.0.0.20240102030405.zip");
    tree.write("App/App.RES", Noise(2 << 20, 7));

    // Each failure names the step, then the system's reason on a line of its own.
    QByteArray output;
    EXPECT_EQ(RunCli(ArchiveArguments(), &output), 1);
    EXPECT_TRUE(output.contains("Line : Writing Zip File\n")) << output.toStdString();
    EXPECT_TRUE(output.contains("No space left on device")) << output.toStdString();
    EXPECT_EQ(tree.read("backups/App 0.0.0.20240102030405.zip"), earlier);
    EXPECT_EQ(Backups(), QStringList{"App 0.0.0.20240102030405.zip"});

    ASSERT_TRUE(disk.MakeReadOnly());
    tree.write("App/App.RES", "small again");
    EXPECT_EQ(RunCli(ArchiveArguments(), &output), 1);
    EXPECT_TRUE(output.contains("Line : Writing Zip File\n")) << output.toStdString();
    EXPECT_TRUE(output.contains("Read-only file system")) << output.toStdString();
    EXPECT_EQ(tree.read("backups/App 0.0.0.20240102030405.zip"), earlier);
    EXPECT_EQ(Backups(), QStringList{"App 0.0.0.20240102030405.zip"});

    // A destination that cannot be made is told as such, before anything is archived.
    QStringList arguments = ArchiveArguments();
    arguments.replace(arguments.indexOf(backups), backups + "/new/");
    EXPECT_EQ(RunCli(arguments, &output), 1);
    EXPECT_EQ(QString::fromUtf8(output).trimmed(), "The destination folder cannot be created: " + backups + "/new/\n"
                                                       + backups + "/new: Read-only file system");
}

} // namespace
