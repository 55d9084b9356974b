#include "CliRunner.h"
#include "ProjectTree.h"
#include "ZipFixtures.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// The examples' Inventory project archived by quenzar-cli, and a copy of its bytes to damage.
class CliVerify : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.copyExamples();
        QByteArray output;
        ASSERT_EQ(RunCli({"archive", tree.path("examples/Inventory/Inventory.vbp"), "--stamp", kFixedStamp, "--dest",
                          tree.path("backups"), "--quiet"},
                         &output),
                  0)
            << output.toStdString();
        archive = QString::fromUtf8(output).trimmed();
        QFile file(archive);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        bytes = file.readAll();
    }

    int Verify(const QString &path, QByteArray &output, const QStringList &options = {})
    {
        return RunCli(QStringList{"verify", path} + options, &output);
    }

    TempTree tree;
    QString archive;
    QByteArray bytes;
};

TEST_F(CliVerify, ASoundArchiveExitsWithZero)
{
    QByteArray output;
    EXPECT_EQ(Verify(archive, output), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("sound")) << output.toStdString();
    EXPECT_TRUE(output.contains("12 members in Inventory 1.4.2.20240102030405.vbp")) << output.toStdString();
}

TEST_F(CliVerify, TruncatedFlippedAndIncompleteArchivesExitWithOneAndTheReasons)
{
    QByteArray output;
    const QString truncated = tree.write("truncated.zip", bytes.left(bytes.size() - 100));
    EXPECT_EQ(Verify(truncated, output), 1);
    EXPECT_EQ(Output(output),
              truncated + " is not sound:\n  Cannot open the archive " + truncated + ": Not a zip archive.");

    const QList<CentralRecord> records = CentralDirectory(bytes);
    const auto module = std::find_if(records.begin(), records.end(),
                                     [](const CentralRecord &record) { return record.name.endsWith("modMain.bas"); });
    ASSERT_NE(module, records.end());
    QByteArray flipped = bytes;
    const qsizetype data = bytes.indexOf(module->name) + module->name.size();
    flipped[data + 10] = char(flipped[data + 10] ^ 0x01);
    EXPECT_EQ(Verify(tree.write("flipped.zip", flipped), output), 1);
    EXPECT_TRUE(output.contains("modMain.bas")) << output.toStdString();

    const QString incomplete = tree.write("incomplete.zip", bytes);
    ASSERT_EQ(RunProgram("7zz", {"d", incomplete, "Forms/frmMain.frx"}), 0);
    EXPECT_EQ(Verify(incomplete, output), 1);
    EXPECT_TRUE(output.contains("Forms\\frmMain.frm needs frmMain.frx beside it")) << output.toStdString();

    // Restored as far as it goes, with the same reason as a warning and a failing status.
    EXPECT_EQ(RunCli({"restore", incomplete, "--quiet"}, &output), 1);
    EXPECT_TRUE(output.contains("warning: ")) << output.toStdString();
    EXPECT_TRUE(tree.exists("incomplete/Forms/frmMain.frm"));
}

TEST_F(CliVerify, AProtectedArchiveIsCheckedWithItsPassword)
{
    const QString passwordFile = tree.write("pass.txt", "s3cret\n");
    QByteArray output;
    ASSERT_EQ(RunCli({"archive", tree.path("examples/Tools/Tools.vbp"), "--stamp", kFixedStamp, "--dest",
                      tree.path("protected"), "--quiet", "--password-file", passwordFile},
                     &output),
              0)
        << output.toStdString();
    const QString protectedArchive = QString::fromUtf8(output).trimmed();
    EXPECT_EQ(Verify(protectedArchive, output), 1);
    EXPECT_TRUE(output.contains("--password-file")) << output.toStdString();
    EXPECT_EQ(Verify(protectedArchive, output, {"--password-file", tree.write("wrong.txt", "guess\n")}), 1);
    EXPECT_TRUE(output.contains("not right")) << output.toStdString();
    EXPECT_EQ(Verify(protectedArchive, output, {"--password-file", passwordFile}), 0) << output.toStdString();
}

} // namespace
