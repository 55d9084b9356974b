#include "CliStreams.h"
#include "CliRunner.h"
#include "ProjectTree.h"
#include "ZipListing.h"

#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

// The controls and libraries a project needs where it opens are registered there, never archived:
// list names them, marking those Windows provides, and archive counts them.

namespace {

const QList<QByteArray> kComponentLines{
    "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#..\\..\\..\\Windows\\SysWOW64\\stdole2.tlb#OLE "
    "Automation",
    "Reference=*\\G{8B217740-717D-11CE-AB5B-D41203C10000}#1.0#0#C:\\Tools\\TLBINF32.DLL#TypeLib Information",
    "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX",
    "Object=*\\ACtl\\Ctl.vbp",
    "Object=MSCOMCTL.OCX",
};

class CliComponents : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.member("App/Main.frm");
        // A control's file lying beside the project is no member: it is not archived either.
        tree.write("App/MSCOMCTL.OCX", "a control library");
        project = tree.project("App/App.vbp", QList<QByteArray>{"Form=Main.frm"} + kComponentLines);
    }

    ProjectTree tree;
    QString project;
    QByteArray output;
};

TEST_F(CliComponents, ListShowsThemInASectionOfTheirOwn)
{
    // A malformed component line fails nothing: no file of it is archived.
    EXPECT_EQ(RunCli({"list", project}, &output), 0) << output.toStdString();
    const QString text = QString::fromUtf8(output);
    const qsizetype section = text.indexOf("Components");
    ASSERT_GT(section, text.indexOf("Main.frm")) << output.toStdString();
    const QString components = text.mid(section);
    for (
        const char *row :
        {R"(library +\{00020430-0000-0000-C000-000000000046\} +2\.0 +\.\.\\\.\.\\\.\.\\Windows\\SysWOW64\\stdole2\.tlb +windows +OLE Automation)",
         R"(library +\{8B217740-717D-11CE-AB5B-D41203C10000\} +1\.0 +C:\\Tools\\TLBINF32\.DLL +register +TypeLib Information)",
         R"(control +\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1\} +2\.0 +MSCOMCTL\.OCX +register)",
         R"(control +- +- +Ctl\\Ctl\.vbp +project)", R"(control +Object=MSCOMCTL\.OCX +malformed)"})
        EXPECT_TRUE(components.contains(QRegularExpression(row))) << row << '\n' << output.toStdString();
}

TEST_F(CliComponents, ListJsonGivesEachComponentWithItsFields)
{
    const CliStreams listed = RunCliStreams({"list", project, "--json"});
    const QJsonObject listedJson = JsonOutput(listed);
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listedJson["name"].toString(), "App");
    EXPECT_EQ(listedJson["line_count"].toInt(), 7);
    EXPECT_EQ(listedJson["members"].toArray().size(), 1);
    const QJsonArray components = listedJson["components"].toArray();
    ASSERT_EQ(components.size(), 5);
    const QJsonObject stdole = components[0].toObject();
    EXPECT_EQ(stdole["kind"].toString(), "library");
    EXPECT_EQ(stdole["guid"].toString(), "{00020430-0000-0000-C000-000000000046}");
    EXPECT_EQ(stdole["version"].toString(), "2.0");
    EXPECT_EQ(stdole["locale"].toString(), "0");
    EXPECT_EQ(stdole["description"].toString(), "OLE Automation");
    EXPECT_TRUE(stdole["provided_by_windows"].toBool());
    EXPECT_EQ(stdole["from"].toString(), "windows");
    EXPECT_EQ(stdole["line"].toString(), QString::fromLatin1(kComponentLines[0]));
    EXPECT_FALSE(components[1].toObject()["provided_by_windows"].toBool());
    EXPECT_EQ(components[2].toObject()["file"].toString(), "MSCOMCTL.OCX");
    EXPECT_EQ(components[2].toObject()["kind"].toString(), "control");
    EXPECT_TRUE(components[3].toObject()["project"].toBool());
    EXPECT_EQ(components[4].toObject()["from"].toString(), "malformed");
    EXPECT_FALSE(components[4].toObject()["problem"].toString().isEmpty());
}

TEST_F(CliComponents, ArchiveCountsThemAndArchivesNoneOfThem)
{
    ASSERT_EQ(RunCli({"archive", project, "--stamp", kFixedStamp}, &output), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("components: 1 control, 1 library to register where the project opens, 1 provided by "
                                "Windows, 1 built by another project of the group"))
        << output.toStdString();
    const QString archive = tree.path("App/Sources.Backup/App 0.0.0.20240102030405.zip");
    EXPECT_EQ(ArchiveEntries(archive), QStringList({"Main.frm", "App 0.0.0.20240102030405.vbp"}));

    // --quiet leaves standard output and error to the archive's path.
    ASSERT_EQ(RunCli({"archive", project, "--stamp", "20240102030406", "--quiet"}, &output), 0) << output.toStdString();
    EXPECT_FALSE(output.contains("components")) << output.toStdString();
}

TEST(CliVerifyJson, AnArchiveThatCannotBeReadGivesItsStatusAndReason)
{
    TempTree tree;
    const QString notAnArchive = tree.write("x.zip", "no zip at all");
    const CliStreams verified = RunCliStreams({"verify", "--json", notAnArchive});
    const QJsonObject verifiedJson = JsonOutput(verified);
    EXPECT_EQ(verified.status, 1);
    EXPECT_EQ(verifiedJson["status"].toString(), "unreadable");
    EXPECT_EQ(verifiedJson["archive"].toString(), notAnArchive);
    EXPECT_FALSE(verifiedJson["problems"].toArray().isEmpty());
    EXPECT_EQ(verifiedJson["entry_count"].toInt(), 0);
}

} // namespace
