#include "CliRunner.h"
#include "ProjectTree.h"
#include "TestMounts.h"
#include "ZipFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <csignal>
#include <gtest/gtest.h>

namespace {

const QByteArray kModule = "Attribute VB_Name = \"m\"\r\n";

// A project of one module, archived by quenzar-cli and moved into a folder of its own,
// backups/, where restoring it leaves what the test sees.
class CliRestore : public ::testing::Test {
protected:
    void SetUp() override
    {
        backups = tree.makeFolder("backups");
        Archive({"Module=m; m.bas"});
    }

    void Archive(const QList<QByteArray> &members)
    {
        const QString project = tree.project("App/App.vbp", QList<QByteArray>{"Name=\"App\""} + members);
        tree.write("App/m.bas", kModule);
        QByteArray output;
        ASSERT_EQ(
            RunCli({"archive", project, "--stamp", kFixedStamp, "--dest", tree.path("written"), "--quiet"}, &output), 0)
            << output.toStdString();
        QFile::remove(ArchivePath());
        ASSERT_TRUE(QFile::rename(Output(output), ArchivePath()));
    }

    QString ArchivePath() const { return backups + "/App 0.0.0.20240102030405.zip"; }
    QString Folder() const { return ArchivePath().chopped(4); }

    // What backups/ holds, hidden names too.
    QStringList Backups() const
    {
        return QDir(backups).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    ProjectTree tree;
    QString backups;
};

QString Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("(unreadable)");
}

// Whatever has the folder's name already is left as it is: the restore takes "NAME (2)".
TEST_F(CliRestore, ARestoreNeverWritesIntoWhatHasItsFolderName)
{
    const QString elsewhere = tree.makeFolder("elsewhere");
    const struct {
        const char *what;
        std::function<void()> plant;
        std::function<void()> check;
    } rows[] = {
        {"an earlier restore, changed since",
         [&] {
             ASSERT_EQ(RunCli({"restore", ArchivePath()}), 0);
             ASSERT_TRUE(QFile::remove(Folder() + "/m.bas"));
             tree.write("backups/App 0.0.0.20240102030405/m.bas", "edited by hand");
         },
         [&] { EXPECT_EQ(Read(Folder() + "/m.bas"), "edited by hand"); }},
        {"a link to another folder", [&] { ASSERT_TRUE(QFile::link(elsewhere, Folder())); },
         [&] {
             EXPECT_TRUE(QFileInfo(Folder()).isSymLink());
             EXPECT_TRUE(QDir(elsewhere).isEmpty());
         }},
        {"a link to nothing", [&] { ASSERT_TRUE(QFile::link(tree.path("nothing"), Folder())); },
         [&] {
             EXPECT_TRUE(QFileInfo(Folder()).isSymLink());
             EXPECT_FALSE(tree.exists("nothing"));
         }},
        {"a file", [&] { tree.write("backups/App 0.0.0.20240102030405", "a file"); },
         [&] { EXPECT_EQ(Read(Folder()), "a file"); }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        row.plant();
        QByteArray output;
        ASSERT_EQ(RunCli({"restore", ArchivePath()}, &output), 0) << output.toStdString();
        EXPECT_EQ(Output(output), Folder() + " (2)");
        EXPECT_EQ(Read(Folder() + " (2)/m.bas"), kModule);
        row.check();
        EXPECT_EQ(RunCli({"restore", ArchivePath()}, &output), 0);
        EXPECT_EQ(Output(output), Folder() + " (3)");
        EXPECT_EQ(Read(Folder() + " (3)/m.bas"), kModule);
        for (const QString &name : Backups())
            EXPECT_FALSE(name.startsWith(".quenzar-")) << name.toStdString();
        for (const QString &restored : {Folder(), Folder() + " (2)", Folder() + " (3)"}) {
            if (!QFile::remove(restored))
                QDir(restored).removeRecursively();
        }
    }
    EXPECT_EQ(Backups(), QStringList{"App 0.0.0.20240102030405.zip"});
}

// 246 letters and ".bas": a name near the limit of the file system, with no room for a suffix.
TEST_F(CliRestore, AMemberWithALongNameIsRestored)
{
    const QByteArray name = QByteArray(246, 'L') + ".bas";
    tree.write("App/" + QString::fromLatin1(name), "long\r\n");
    Archive({"Module=m; m.bas", "Module=L; " + name});
    QByteArray output;
    ASSERT_EQ(RunCli({"verify", ArchivePath()}, &output), 0) << output.toStdString();
    ASSERT_EQ(RunCli({"restore", ArchivePath()}, &output), 0) << output.toStdString();
    EXPECT_EQ(Read(Folder() + '/' + QString::fromLatin1(name)), "long\r\n");
}

// Sizes of 2^64 - 4096 bytes and 8 KiB add up to 4 KiB in 64 bits: a forged archive must not pass
// for a small one.
TEST_F(CliRestore, DeclaredSizesThatOverflowWhenAddedAreRefused)
{
    const QString forged = tree.path("backups/forged.zip");
    WriteRawArchive(forged, {{"Forged.bin", QByteArray(1 << 20, '\0'), true, std::nullopt, 0, ~quint64(0) - 4095},
                             {"Module1.bas", QByteArray(8192, 'x')}});
    QByteArray output;
    EXPECT_EQ(RunCli({"restore", forged}, &output), 1);
    EXPECT_TRUE(output.startsWith(("Nothing was extracted from " + forged).toUtf8())) << output.toStdString();
    EXPECT_TRUE(output.contains("more than any disk holds")) << output.toStdString();
    EXPECT_EQ(Backups(), QStringList({"App 0.0.0.20240102030405.zip", "forged.zip"}));
}

// A file uses a whole page of a tmpfs however small it is: 100 files of 100 bytes declare 10 KB
// and take 400 KiB, so that a file of 800 KB, which the free space seems to allow, fills the disk
// in the middle of a write.
TEST_F(CliRestore, AFullDiskNamesTheFileAndTheReason)
{
    const QString disk = tree.makeFolder("disk");
    const SmallTmpfs small(disk, "1m");
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    QList<RawEntry> entries;
    for (int i = 0; i < 100; ++i)
        entries.append({"Modules/Module" + QByteArray::number(i) + ".bas", QByteArray(100, 'x')});
    entries.append({"Big.bin", QByteArray(800000, '\0'), true});
    WriteRawArchive(disk + "/full.zip", entries);

    QByteArray output;
    EXPECT_EQ(RunCli({"restore", disk + "/full.zip"}, &output), 1);
    EXPECT_TRUE(output.contains(("Nothing was extracted from " + disk + "/full.zip: \"Big.bin\" cannot be written in "
                                 + disk + ": No space left on device.")
                                    .toUtf8()))
        << output.toStdString();
    EXPECT_EQ(QDir(disk).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"full.zip"});
}

// The folder is made durable (its file system synced) before it takes its name, and that before
// the folder is printed as restored.
TEST_F(CliRestore, TheRestoredFilesAreOnTheDiskBeforeTheFolderIsPrinted)
{
    const QString strace = QStandardPaths::findExecutable("strace");
    if (strace.isEmpty())
        GTEST_SKIP() << "strace is not installed";
    const QString trace = tree.path("trace.txt");
    QStringList arguments{"-f", "-qq", "-s", "4096", "-o", trace, "-e", "trace=syncfs,renameat2,rename,write"};
    // LeakSanitizer cannot work under ptrace; the program's other tests look for leaks.
    if (qEnvironmentVariableIsSet("ASAN_OPTIONS"))
        arguments << "-E"
                  << "ASAN_OPTIONS=" + qEnvironmentVariable("ASAN_OPTIONS") + ":detect_leaks=0";
    QByteArray output;
    const int status = RunProgram(strace, arguments + QStringList{kCli, "restore", ArchivePath()}, &output);
    if (status != 0 && !QFile::exists(trace))
        GTEST_SKIP() << "strace cannot trace here: " << output.toStdString();
    ASSERT_EQ(status, 0) << output.toStdString();
    const QStringList calls = Read(trace).split('\n');
    const auto first = [&calls](const QString &text) {
        for (qsizetype line = 0; line < calls.size(); ++line) {
            if (calls[line].contains(text))
                return line;
        }
        return qsizetype(-1);
    };
    const qsizetype synced = first("syncfs(");
    const qsizetype named = first("\"" + Folder() + "\"");
    const qsizetype printed = first("write(1, \"" + Folder() + "\\n\"");
    ASSERT_GE(synced, 0) << Read(trace).toStdString();
    EXPECT_LT(synced, named) << Read(trace).toStdString();
    EXPECT_LT(named, printed) << Read(trace).toStdString();
}

QByteArray Noise(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// An interrupted restore leaves nothing; a killed one leaves its temporary folder, which the next
// restore beside the archive removes.
TEST_F(CliRestore, AnInterruptedRestoreLeavesNothing)
{
    QList<QByteArray> members{"Module=m; m.bas"};
    for (int part = 0; part < 6; ++part) {
        tree.write(QString("App/Data%1.bin").arg(part), Noise(24 << 20, part));
        members.append("Module=d" + QByteArray::number(part) + "; Data" + QByteArray::number(part) + ".bin");
    }
    Archive(members);

    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
        SCOPED_TRACE(signal);
        QProcess restoring;
        restoring.start(kCli, {"restore", ArchivePath()});
        ASSERT_TRUE(restoring.waitForStarted());
        // Interrupted once the temporary folder holds a file of some size.
        QElapsedTimer waited;
        waited.start();
        bool extracting = false;
        while (!extracting && !restoring.waitForFinished(1) && waited.elapsed() < 60000) {
            for (const QString &temporary : QDir(backups).entryList({".quenzar-*"}, QDir::Dirs | QDir::Hidden)) {
                for (const QFileInfo &file : QDir(backups + '/' + temporary).entryInfoList(QDir::Files))
                    extracting = extracting || file.size() > (8 << 20);
            }
        }
        ASSERT_TRUE(extracting) << "the restore ended before it could be interrupted";
        ::kill(pid_t(restoring.processId()), signal);
        ASSERT_TRUE(restoring.waitForFinished());
        if (signal == SIGKILL) {
            EXPECT_EQ(restoring.exitStatus(), QProcess::CrashExit);
            EXPECT_EQ(Backups().size(), 2) << Backups().join(' ').toStdString();
        } else {
            EXPECT_EQ(restoring.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(restoring.exitCode(), 128 + signal);
            EXPECT_EQ(Backups(), QStringList{"App 0.0.0.20240102030405.zip"});
        }
    }
    QByteArray output;
    ASSERT_EQ(RunCli({"restore", ArchivePath()}, &output), 0) << output.toStdString();
    EXPECT_EQ(Backups(), QStringList({"App 0.0.0.20240102030405", "App 0.0.0.20240102030405.zip"}));
}

// An unsound archive is restored as far as it goes: every entry that reads whole, the damaged one
// left out and named.
TEST_F(CliRestore, AnArchiveWithADamagedEntryIsRestoredWithoutIt)
{
    const QString damaged = tree.path("backups/damaged.zip");
    ASSERT_TRUE(WriteArchiveWithDamagedForm(damaged));

    QByteArray output;
    EXPECT_EQ(RunCli({"restore", damaged}, &output), 1);
    EXPECT_TRUE(output.contains("warning: damaged, so not restored: Cannot extract Form1.frm")) << output.toStdString();
    EXPECT_TRUE(Output(output).split('\n').contains(damaged.chopped(4))) << output.toStdString();
    EXPECT_EQ(Read(damaged.chopped(4) + "/Module1.bas"), "Attribute VB_Name\r\n");
    EXPECT_FALSE(QFile::exists(damaged.chopped(4) + "/Form1.frm"));
}

} // namespace
