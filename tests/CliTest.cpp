#include "CliRunner.h"
#include "TempTree.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

QString Example(const QString &relative) { return qEnvironmentVariable("QUENZAR_EXAMPLES") + '/' + relative; }

TEST(CliList, TheBundledExamplesAreComplete)
{
    for (const QString project : {"Inventory/Inventory.vbp", "Tools/Tools.vbp"}) {
        QByteArray output;
        EXPECT_EQ(RunCli({"list", Example(project)}, &output), 0) << output.toStdString();
        EXPECT_FALSE(output.contains("missing")) << output.toStdString();
        EXPECT_TRUE(output.contains("FileNotInRootPath\\--\\Shared\\CLog.cls")) << output.toStdString();
    }
    QByteArray output;
    RunCli({"list", Example("Inventory/Inventory.vbp")}, &output);
    EXPECT_TRUE(output.contains("Inventory 1.4.2")) << output.toStdString();
    for (const char *kind : {"Form", "UserControl", "PropertyPage", "UserDocument", "Designer", "ResFile32", "Module",
                             "Class", "Companion"}) {
        EXPECT_TRUE(output.contains(kind)) << kind;
    }
}

TEST(CliList, ExitStatusTellsMissingMembersFromBadInput)
{
    TempTree tree;
    const QString project = tree.write("App.vbp", "Type=Exe\r\nName=\"App\"\r\nForm=Gone.frm\r\nModule=modBroken\r\n");
    QByteArray output;
    EXPECT_EQ(RunCli({"list", project}, &output), 1);
    EXPECT_TRUE(output.contains("missing")) << output.toStdString();
    EXPECT_TRUE(output.contains("Module=modBroken")) << output.toStdString();

    EXPECT_EQ(RunCli({"list", tree.path("nothing.vbp")}, &output), 2);
    EXPECT_EQ(Output(output), "Cannot open " + tree.path("nothing.vbp") + ": No such file or directory");
    EXPECT_EQ(RunCli({"list"}), 2);
    EXPECT_EQ(RunCli({"list", project, "--codepage", "no-such-page"}), 2);
    EXPECT_EQ(RunCli({"frobnicate"}), 2);
    EXPECT_EQ(RunCli({"--version"}, &output), 0);
    EXPECT_TRUE(output.contains("libzip")) << output.toStdString();
}

TEST(CliList, CodePageOptionDecodesMemberNames)
{
    TempTree tree;
    tree.write(QString::fromUtf8("Окно.frm"), "");
    const QString project = tree.write("App.vbp", "Type=Exe\r\nForm=\xCE\xEA\xED\xEE.frm\r\n");
    EXPECT_EQ(RunCli({"list", project, "--codepage", "windows-1251"}), 0);
    EXPECT_EQ(RunCli({"list", project, "--codepage", "windows-1252"}), 1);
}

} // namespace
