#include "CliRunner.h"
#include "ProjectTree.h"
#include "ScopedEnvironment.h"
#include "TestMounts.h"
#include "ZipListing.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

// archive --dry-run says what the run would do and writes nothing; --json gives the same as a
// document, for a dry run and a real one alike.

namespace {

const QString kFirst = QStringLiteral("20240101000000");
const QString kSecond = QStringLiteral("20240102000000");
const QString kThird = QStringLiteral("20240103000000");

// Every name below the folder, hidden ones too, with its size and modification time.
QStringList Snapshot(const QString &folder)
{
    QStringList names;
    QDirIterator walk(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QFileInfo file(walk.next());
        names.append(QStringLiteral("%1 %2 %3")
                         .arg(file.filePath())
                         .arg(file.isDir() ? 0 : file.size())
                         .arg(file.lastModified().toMSecsSinceEpoch()));
    }
    names.sort();
    return names;
}

// The JSON document in what the program printed: the tests read both streams at once, and
// warnings go to standard error.
QJsonObject Json(const QByteArray &output)
{
    const qsizetype start = output.startsWith('{') ? 0 : output.indexOf("\n{") + 1;
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(output.mid(start, output.lastIndexOf('}') + 1 - start), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << output.toStdString();
    return document.object();
}

// A project of two modules and a form, its own user's settings, archived into out/.
void UseOwnSettings(ScopedEnvironment &environment, const TempTree &tree)
{
    environment.set("XDG_CONFIG_HOME", tree.makeFolder("config").toUtf8());
    environment.set("XDG_CONFIG_DIRS", tree.makeFolder("machine").toUtf8());
}

class CliDryRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseOwnSettings(environment, tree);
        project = tree.project("App/App.vbp",
                               {"Name=\"App\"", "Module=m1; m1.bas", "Module=m2; Code/m2.bas", "Form=Main.frm"});
        tree.write("App/m1.bas", ModuleText("m1", "first"));
        tree.write("App/Code/m2.bas", ModuleText("m2", "second"));
        tree.write("App/Main.frm", "VERSION 5.00\r\nBegin VB.Form Main\r\nEnd\r\n");
    }

    // Runs archive with the arguments; its exit status, its standard output and error in output.
    int Archive(const QString &stamp, const QStringList &arguments, QByteArray *output)
    {
        return RunCli(QStringList{"archive", project, "--stamp", stamp, "--dest", tree.path("out")} + arguments,
                      output);
    }
    QString ArchiveOf(const QString &stamp) const { return tree.path("out/App 0.0.0." + stamp + ".zip"); }

    ProjectTree tree;
    ScopedEnvironment environment;
    QString project;
};

// Nothing changes anywhere, the destination, the project and the user's settings alike, whatever
// the run would do, and with what an interrupted run left in the destination (its temporary file,
// the lock file).
TEST_F(CliDryRun, ADryRunWritesNothing)
{
    QByteArray output;
    const QString password = tree.write("password.txt", "secret\n");
    const struct {
        const char *what;
        std::function<void()> before;
        QStringList arguments;
        int status;
    } rows[] = {
        {"no destination folder yet", [] {}, {}, 0},
        {"an earlier archive, reuse and --keep",
         [&] { ASSERT_EQ(Archive(kFirst, {"--quiet"}, &output), 0) << output.toStdString(); },
         {"--keep", "1"},
         0},
        {"--if-changed, unchanged", [] {}, {"--if-changed"}, 0},
        {"a leftover of an interrupted run",
         [&] { tree.write("out/.quenzar-Ab12Cd.tmp", "half an archive"); },
         {"--json"},
         0},
        {"a password", [] {}, {"--password-file", password, "--no-reuse"}, 0},
        {"a missing member with --keep-going",
         [&] { ASSERT_TRUE(QFile::remove(tree.path("App/Main.frm"))); },
         {"--keep-going", "--json"},
         3},
        {"a missing member", [] {}, {}, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        row.before();
        const QStringList before = Snapshot(tree.root());
        EXPECT_EQ(Archive(kSecond, QStringList{"--dry-run"} + row.arguments, &output), row.status)
            << output.toStdString();
        EXPECT_EQ(Snapshot(tree.root()), before);
    }
}

// What the dry run says is what the run then does: the entries and their sizes (read back with
// an independent reader), the entries copied from the earlier archive, --if-changed's answer, the
// archives --keep removes.
TEST_F(CliDryRun, TheDryRunSaysWhatTheRunDoes)
{
    QByteArray output;
    ASSERT_EQ(Archive(kFirst, {"--quiet"}, &output), 0) << output.toStdString();
    ASSERT_EQ(Archive(kSecond, {"--quiet"}, &output), 0) << output.toStdString();
    tree.write("App/Code/m2.bas", ModuleText("m2", "changed"));

    const struct {
        QStringList arguments;
        bool written;
        qsizetype reused;
        QStringList removed;
    } rows[] = {
        {{"--if-changed", "--keep", "2"}, true, 2, {ArchiveOf(kFirst)}},
        {{"--no-reuse"}, true, 0, {}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        ASSERT_EQ(Archive(kThird, QStringList{"--dry-run", "--json"} + row.arguments, &output), 0)
            << output.toStdString();
        const QJsonObject plan = Json(output);
        EXPECT_TRUE(plan["dry_run"].toBool());
        ASSERT_EQ(plan["projects"].toArray().size(), 1);
        const QJsonObject planned = plan["projects"].toArray().first().toObject();
        EXPECT_EQ(planned["written"].toBool(), row.written);
        EXPECT_EQ(planned["archive"].toString(), ArchiveOf(kThird));
        EXPECT_EQ(planned["reused_entries"].toInt(), row.reused);
        EXPECT_EQ(plan["removed"].toVariant().toStringList(), row.removed);

        ASSERT_EQ(Archive(kThird, QStringList{"--json"} + row.arguments, &output), 0) << output.toStdString();
        const QJsonObject run = Json(output);
        const QJsonObject archived = run["projects"].toArray().first().toObject();
        EXPECT_EQ(archived["archive"].toString(), ArchiveOf(kThird));
        EXPECT_EQ(archived["archive_size"].toInteger(), QFileInfo(ArchiveOf(kThird)).size());
        EXPECT_EQ(archived["reused_entries"].toInt(), row.reused);
        EXPECT_EQ(run["removed"].toVariant().toStringList(), row.removed);
        QStringList plannedEntries;
        for (const QJsonValue &entry : planned["entries"].toArray()) {
            plannedEntries.append(entry["name"].toString());
            EXPECT_EQ(entry["size"].toInteger(),
                      ArchiveEntryContent(ArchiveOf(kThird), entry["name"].toString()).size());
            EXPECT_EQ(entry["crc32"].toString(), UnzipCrc(ArchiveOf(kThird), entry["name"].toString()));
        }
        EXPECT_EQ(plannedEntries, ArchiveEntries(ArchiveOf(kThird)));
        ASSERT_TRUE(QFile::remove(ArchiveOf(kThird)));
    }

    // Nothing changed since the archive of the second stamp: no archive would be written, and none is.
    tree.write("App/Code/m2.bas", ModuleText("m2", "second"));
    ASSERT_EQ(Archive(kThird, {"--dry-run", "--if-changed"}, &output), 0) << output.toStdString();
    EXPECT_EQ(Output(output),
              "would write nothing for " + project + ": unchanged since " + kSecond + " (" + ArchiveOf(kSecond) + ")");
    ASSERT_EQ(Archive(kThird, {"--if-changed", "--json"}, &output), 0) << output.toStdString();
    const QJsonObject unchanged = Json(output)["projects"].toArray().first().toObject();
    EXPECT_FALSE(unchanged["written"].toBool());
    EXPECT_EQ(unchanged["unchanged_since"].toString(), "2024-01-02T00:00:00");
    EXPECT_FALSE(QFileInfo::exists(ArchiveOf(kThird)));
}

// The text names each entry with its size, and says what would be missing.
TEST_F(CliDryRun, TheTextListsEntriesSizesAndWhatIsMissing)
{
    ASSERT_TRUE(QFile::remove(tree.path("App/Main.frm")));
    QByteArray output;
    EXPECT_EQ(Archive(kFirst, {"--dry-run", "--keep-going"}, &output), 3);
    const QString text = QString::fromUtf8(output);
    EXPECT_TRUE(text.contains("would make: " + tree.path("out") + '/')) << text.toStdString();
    EXPECT_TRUE(text.contains("would write: " + ArchiveOf(kFirst))) << text.toStdString();
    EXPECT_TRUE(
        text.contains(QRegularExpression(QStringLiteral("\n  m1.bas +%1\n").arg(ModuleText("m1", "first").size()))))
        << text.toStdString();
    EXPECT_TRUE(text.contains("  missing: Form=Main.frm")) << text.toStdString();
    EXPECT_TRUE(text.contains("warning: Form=Main.frm: the file is missing or cannot be read; it would be archived "
                              "without it"))
        << text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tree.path("out")));
}

// A destination that cannot be written into: the plan is still shown, and the run it stands for
// would fail.
TEST_F(CliDryRun, AReadOnlyDestinationIsToldAfterThePlan)
{
    QByteArray output;
    ASSERT_EQ(Archive(kFirst, {"--quiet"}, &output), 0) << output.toStdString();
    const ReadOnlyFolder readOnly(tree.path("out"));
    if (!readOnly.mounted())
        GTEST_SKIP() << "cannot make a read-only bind mount here (needs root)";
    const QStringList before = Snapshot(tree.root());
    EXPECT_EQ(Archive(kSecond, {"--dry-run", "--keep", "1"}, &output), 1);
    const QString text = QString::fromUtf8(output);
    EXPECT_TRUE(text.contains("would write: " + ArchiveOf(kSecond))) << text.toStdString();
    EXPECT_TRUE(text.contains("would remove: " + ArchiveOf(kFirst))) << text.toStdString();
    EXPECT_TRUE(text.contains("The archives could not be written into the destination folder: " + tree.path("out")
                              + ": Read-only file system"))
        << text.toStdString();
    EXPECT_EQ(Archive(kSecond, {"--dry-run", "--json"}, &output), 1);
    EXPECT_EQ(Json(output)["destination_problem"].toString(), tree.path("out") + ": Read-only file system");
    EXPECT_EQ(Snapshot(tree.root()), before);
}

// Whether the program has put its handler of SIGINT in place: from then on an interruption is its
// own to handle (the SigCgt mask of /proc/PID/status).
bool CatchesInterrupt(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGINT - 1)) & 1;
    }
    return false;
}

// A dry run stopped by a signal ends as a run does (128 + N), having written nothing.
TEST_F(CliDryRun, AnInterruptedDryRunLeavesNothing)
{
    const QString large = tree.incompressibleProject("Large/Large.vbp", 6, 24 << 20);
    const QStringList before = Snapshot(tree.root());
    QProcess running;
    running.start(kCli, {"archive", large, "--dest", tree.path("out"), "--dry-run"});
    ASSERT_TRUE(running.waitForStarted());
    while (running.state() == QProcess::Running && !CatchesInterrupt(running.processId()))
        QThread::yieldCurrentThread();
    // Reading 144 MB takes the run far longer than this test takes to send the signal.
    ASSERT_EQ(running.state(), QProcess::Running) << "the dry run ended before it could be interrupted";
    ::kill(pid_t(running.processId()), SIGINT);
    ASSERT_TRUE(running.waitForFinished());
    EXPECT_EQ(running.exitCode(), 128 + SIGINT);
    EXPECT_EQ(Snapshot(tree.root()), before);
}

// A group's dry run makes no stamp folder, and names the stamp folders --keep would empty.
TEST(CliDryRunGroup, AGroupsDryRunSaysWhatItsRunDoes)
{
    ProjectTree tree;
    ScopedEnvironment environment;
    UseOwnSettings(environment, tree);
    const QString examples = tree.copyExamples();
    const QString group = examples + "/Samples.vbpgroup";
    QByteArray output;
    for (const QString &stamp : {kFirst, kSecond})
        ASSERT_EQ(RunCli({"archive", group, "--dest", tree.path("out"), "--stamp", stamp, "--quiet"}, &output), 0)
            << output.toStdString();
    const QStringList before = Snapshot(tree.root());
    ASSERT_EQ(
        RunCli({"archive", group, "--dest", tree.path("out"), "--stamp", kThird, "--keep", "2", "--dry-run", "--json"},
               &output),
        0)
        << output.toStdString();
    EXPECT_EQ(Snapshot(tree.root()), before);
    const QJsonObject plan = Json(output);
    EXPECT_EQ(plan["projects"].toArray().size(), 2);
    const QStringList wouldRemove = plan["removed"].toVariant().toStringList();
    EXPECT_EQ(wouldRemove.size(), 3) << output.toStdString(); // two archives and their stamp folder
    ASSERT_EQ(
        RunCli({"archive", group, "--dest", tree.path("out"), "--stamp", kThird, "--keep", "2", "--json"}, &output), 0)
        << output.toStdString();
    EXPECT_EQ(Json(output)["removed"].toVariant().toStringList(), wouldRemove);
}

} // namespace
