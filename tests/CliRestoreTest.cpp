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

} // namespace
