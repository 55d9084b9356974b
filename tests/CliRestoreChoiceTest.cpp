#include "CliRunner.h"
#include "ProjectTree.h"
#include "TestMounts.h"
#include "ZipFixtures.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// An archive of a project with forms and modules in folders, in backups/, restored in parts or
// into another folder.
class CliRestoreChoice : public ::testing::Test {
protected:
    void SetUp() override
    {
        backups = tree.makeFolder("backups");
        WriteRawArchive(ArchivePath(), {{"App.vbp", "Type=Exe\r\n"},
                                        {"Forms/Main.frm", "Begin VB.Form Main\r\n"},
                                        {"Forms/Main.frx", "frx"},
                                        {"Forms/Other.frm", "Begin VB.Form Other\r\n"},
                                        {"Modules/m.bas", "Attribute VB_Name = \"m\"\r\n"}});
    }

    QString ArchivePath() const { return backups + "/App 0.0.0.20240102030405.zip"; }
    QString Folder() const { return ArchivePath().chopped(4); }

    // Every file below the folder, relative to it, sorted; hidden names too.
    static QStringList Files(const QString &folder)
    {
        QStringList files;
        QDirIterator walk(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (walk.hasNext())
            files.append(QDir(folder).relativeFilePath(walk.next()));
        files.sort();
        return files;
    }

    QStringList Backups() const
    {
        return QDir(backups).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    TempTree tree;
    QString backups;
};

// Only what the names match is extracted; "*" reaches into folders, as in unzip.
TEST_F(CliRestoreChoice, OnlyTheEntriesTheNamesMatchAreRestored)
{
    const struct {
        QStringList names;
        QStringList restored;
    } rows[] = {
        {{"Forms/Main.frm"}, {"Forms/Main.frm"}},
        {{"Forms\\Main.frm"}, {"Forms/Main.frm"}},
        {{"Forms/Main.fr?"}, {"Forms/Main.frm", "Forms/Main.frx"}},
        {{"*.bas"}, {"Modules/m.bas"}},
        {{"Forms/*.frm", "App.vbp"}, {"App.vbp", "Forms/Main.frm", "Forms/Other.frm"}},
        {{"*"}, {"App.vbp", "Forms/Main.frm", "Forms/Main.frx", "Forms/Other.frm", "Modules/m.bas"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.names.join(' ').toStdString());
        QByteArray output;
        ASSERT_EQ(RunCli(QStringList{"restore", ArchivePath()} + row.names, &output), 0) << output.toStdString();
        EXPECT_EQ(Output(output), Folder());
        EXPECT_EQ(Files(Folder()), row.restored);
        EXPECT_EQ(tree.read("backups/App 0.0.0.20240102030405/" + row.restored.first()).isEmpty(), false);
        ASSERT_TRUE(QDir(Folder()).removeRecursively());
    }
}

// As unzip: a name that matches nothing is an error, and then nothing is restored at all.
TEST_F(CliRestoreChoice, ANameThatMatchesNoEntryRestoresNothing)
{
    const struct {
        QStringList names;
        QString unmatched;
    } rows[] = {
        {{"Main.frm"}, "Main.frm"},
        {{"Forms/Main.frm", "forms/*"}, "forms/*"},
        {{"*.cls", "Modules/m.bas", "?"}, "*.cls, ?"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.names.join(' ').toStdString());
        QByteArray output;
        EXPECT_EQ(RunCli(QStringList{"restore", ArchivePath()} + row.names, &output), 2);
        EXPECT_EQ(Output(output),
                  ArchivePath() + " holds no entry matching " + row.unmatched + "; nothing was restored.");
        EXPECT_EQ(Backups(), QStringList{"App 0.0.0.20240102030405.zip"});
    }
}

// --to makes the new folder inside another one, under a free name there; a missing folder, or a
// file, is refused with the system's reason and nothing is made.
TEST_F(CliRestoreChoice, ToAFolderMakesTheNewFolderThere)
{
    const QString elsewhere = tree.makeFolder("elsewhere");
    const QString target = tree.makeFolder("target");
    ASSERT_TRUE(QFile::link(elsewhere, target + "/App 0.0.0.20240102030405"));
    QByteArray output;
    ASSERT_EQ(RunCli({"restore", ArchivePath(), "--to", target, "Modules/*"}, &output), 0) << output.toStdString();
    EXPECT_EQ(Output(output), target + "/App 0.0.0.20240102030405 (2)");
    EXPECT_EQ(Files(target + "/App 0.0.0.20240102030405 (2)"), QStringList{"Modules/m.bas"});
    EXPECT_TRUE(QDir(elsewhere).isEmpty());
    ASSERT_EQ(RunCli({"restore", ArchivePath(), "--to", target}, &output), 0) << output.toStdString();
    EXPECT_EQ(Output(output), target + "/App 0.0.0.20240102030405 (3)");
    EXPECT_EQ(Files(target + "/App 0.0.0.20240102030405 (3)").size(), 5);

    const QString file = tree.write("a file", "text");
    const struct {
        QString folder;
        const char *reason;
    } refused[] = {
        {tree.path("missing"), "No such file or directory"},
        {tree.path("missing/deeper"), "No such file or directory"},
        {file, "Not a directory"},
    };
    for (const auto &row : refused) {
        SCOPED_TRACE(row.folder.toStdString());
        EXPECT_EQ(RunCli({"restore", ArchivePath(), "--to", row.folder}, &output), 2);
        EXPECT_EQ(Output(output), "Cannot restore " + ArchivePath() + " into " + row.folder + ": " + row.reason + ".");
        EXPECT_FALSE(QFileInfo::exists(tree.path("missing")));
    }
    EXPECT_EQ(Backups(), QStringList{"App 0.0.0.20240102030405.zip"});
}

// The room a part needs is that of its own entries: a small file comes back onto a disk too full for
// the whole archive.
TEST_F(CliRestoreChoice, APartNeedsRoomForItselfAlone)
{
    WriteRawArchive(ArchivePath(), {{"App.vbp", "Type=Exe\r\n"},
                                    {"Modules/m.bas", "Attribute VB_Name = \"m\"\r\n"},
                                    {"Data.res", QByteArray(1 << 20, 'r')}});
    const QString target = tree.makeFolder("small");
    const SmallTmpfs disk(target, "256k");
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    QByteArray output;
    EXPECT_EQ(RunCli({"restore", ArchivePath(), "--to", target}, &output), 1);
    EXPECT_TRUE(Output(output).contains("only")) << output.toStdString();
    ASSERT_EQ(RunCli({"restore", ArchivePath(), "--to", target, "Modules/m.bas"}, &output), 0) << output.toStdString();
    EXPECT_EQ(Files(target + "/App 0.0.0.20240102030405"), QStringList{"Modules/m.bas"});
}

// The checks of a whole restore hold for a part: a damaged entry is left out and named, a hostile
// entry anywhere refuses the whole archive.
TEST_F(CliRestoreChoice, APartIsCheckedAsTheWholeArchiveIs)
{
    const QString damaged = tree.path("backups/damaged.zip");
    ASSERT_TRUE(WriteArchiveWithDamagedForm(damaged));
    QByteArray output;
    EXPECT_EQ(RunCli({"restore", damaged, "Form1.frm"}, &output), 1);
    EXPECT_TRUE(output.contains("warning: damaged, so not restored: Cannot extract Form1.frm")) << output.toStdString();
    EXPECT_TRUE(QDir(damaged.chopped(4)).isEmpty());
    ASSERT_TRUE(QDir(damaged.chopped(4)).removeRecursively());
    EXPECT_EQ(RunCli({"restore", damaged, "Module1.bas"}, &output), 1);
    EXPECT_TRUE(output.contains((damaged + " is not sound").toUtf8())) << output.toStdString();
    EXPECT_EQ(Files(damaged.chopped(4)), QStringList{"Module1.bas"});

    const QString hostile = tree.path("backups/hostile.zip");
    WriteHandMadeArchive(hostile, {{"Module1.bas", "Attribute VB_Name\r\n"}, {"../evil.bas", "evil"}});
    EXPECT_EQ(RunCli({"restore", hostile, "Module1.bas"}, &output), 1);
    EXPECT_TRUE(output.contains("\"../evil.bas\"")) << output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(hostile.chopped(4)));
    EXPECT_FALSE(tree.exists("evil.bas"));
}

// A protected archive needs its password for a part too.
TEST_F(CliRestoreChoice, AProtectedArchiveNeedsItsPasswordForAPart)
{
    ProjectTree project;
    const QString vbp = project.project("App/App.vbp", {"Name=\"App\"", "Module=m; m.bas"});
    project.write("App/m.bas", "Attribute VB_Name = \"m\"\r\n");
    const QString password = project.write("password.txt", "secret\n");
    QByteArray output;
    ASSERT_EQ(RunCli({"archive", vbp, "--stamp", kFixedStamp, "--dest", backups + "/p", "--password-file", password,
                      "--quiet"},
                     &output),
              0)
        << output.toStdString();
    const QString archive = Output(output);
    EXPECT_EQ(RunCli({"restore", archive, "m.bas"}, &output), 1);
    EXPECT_TRUE(output.contains("Give the password with --password-file.")) << output.toStdString();
    EXPECT_FALSE(QFileInfo::exists(archive.chopped(4)));
    ASSERT_EQ(RunCli({"restore", archive, "m.bas", "--password-file", password}, &output), 0) << output.toStdString();
    EXPECT_EQ(Files(archive.chopped(4)), QStringList{"m.bas"});
}

} // namespace
