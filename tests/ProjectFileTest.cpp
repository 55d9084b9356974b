#include "ProjectFile.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"

#include <gtest/gtest.h>

namespace {

using Status = MemberLine::Status;

struct MemberCase {
    const char *line;
    MemberKind kind;
    const char *name;
    const char *path;
    const char *companionExt; // nullptr: none
};

TEST(ParseMemberLine, CutsNameAndPathOutOfEveryKind)
{
    const QList<MemberCase> cases{
        {"Module=modMain; modMain.bas", MemberKind::Module, "modMain", "modMain.bas", nullptr},
        {"Class=CItem; Classes\\CItem.cls", MemberKind::Class, "CItem", "Classes\\CItem.cls", nullptr},
        {"Class=\"CX\" ;x; \"..\\Shared\\CX.cls\" ; rest", MemberKind::Class, "\"CX\" ;x", "..\\Shared\\CX.cls",
         nullptr},
        {"Form=Forms\\frmMain.frm", MemberKind::Form, "", "Forms\\frmMain.frm", ".frx"},
        {"Form=  a.frm  =ignored", MemberKind::Form, "", "a.frm", ".frx"},
        {"UserControl=ctlGauge.ctl", MemberKind::UserControl, "", "ctlGauge.ctl", ".ctx"},
        {"PropertyPage=ppg.pag", MemberKind::PropertyPage, "", "ppg.pag", ".pgx"},
        {"ResFile32=\"App.RES\"", MemberKind::ResFile32, "", "App.RES", nullptr},
        {"UserDocument=Doc.dob", MemberKind::UserDocument, "", "Doc.dob", nullptr},
        {"Designer=D:\\Lib\\Rep.Dsr", MemberKind::Designer, "", "D:\\Lib\\Rep.Dsr", nullptr},
        {"RelatedDoc=..\\Docs\\Guide.doc", MemberKind::RelatedDoc, "", "..\\Docs\\Guide.doc", nullptr},
        {"RelatedDoc=\"C:\\My Docs\\Read me\"", MemberKind::RelatedDoc, "", "C:\\My Docs\\Read me", nullptr},
    };
    for (const MemberCase &c : cases) {
        const MemberLine parsed = ParseMemberLine(QString::fromLatin1(c.line));
        ASSERT_EQ(parsed.status, Status::Member) << c.line;
        EXPECT_EQ(parsed.member.Kind, c.kind) << c.line;
        EXPECT_EQ(parsed.member.Name, QString::fromLatin1(c.name)) << c.line;
        EXPECT_EQ(parsed.member.Path, QString::fromLatin1(c.path)) << c.line;
        EXPECT_EQ(parsed.member.CompanionExt.value_or("none"), c.companionExt ? c.companionExt : "none") << c.line;
    }
}

TEST(ParseMemberLine, OnlyAnExactPrefixAtTheFirstCharacterMakesAMember)
{
    for (const char *line :
         {"", "[MS Transaction Server]", "Type=Exe", " Form=a.frm", "form=a.frm", "FORM=a.frm",
          "Reference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#0#stdole2.tlb",
          "Object={831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0; MSCOMCTL.OCX",
          // A related document given as a web address names no file of the project.
          "RelatedDoc=http://example.com/manual.html", "RelatedDoc=mailto:team@example.com", "relateddoc=Guide.doc"}) {
        EXPECT_EQ(ParseMemberLine(QString::fromLatin1(line)).status, Status::NotMember) << line;
    }
}

TEST(ParseMemberLine, LinesThatNameNoUsableFileAreMalformedAndCarryTheLine)
{
    for (const char *line : {"Module=modMain", "Class=CItem;Classes\\CItem.cls", "Form=frmMain",
                             "UserControl=Controls\\ctlGauge", "PropertyPage=a.b\\ppg", "Form=", "Designer=\"\"",
                             "Module=modA; ", "Class=CLog; .", "Module=m; .\\./", "Designer=\\"}) {
        const MemberLine parsed = ParseMemberLine(QString::fromLatin1(line));
        EXPECT_EQ(parsed.status, Status::Malformed) << line;
        EXPECT_EQ(parsed.line, QString::fromLatin1(line));
        EXPECT_FALSE(parsed.problem.isEmpty()) << line;
    }
    // Designers and user documents have no companion, so no extension is needed.
    EXPECT_EQ(ParseMemberLine("Designer=Report").status, Status::Member);
}

TEST(CompanionPath, ReplacesTheExtensionOfTheFileName)
{
    EXPECT_EQ(CompanionPath("Forms\\frmMain.frm", ".frx"), "Forms\\frmMain.frx");
    EXPECT_EQ(CompanionPath("a.b.frm", ".frx"), "a.b.frx");
    EXPECT_EQ(CompanionPath("..\\x.y\\ctl.ctl", ".ctx"), "..\\x.y\\ctl.ctx");
}

TEST(SanitizeFileName, ReplacesEveryCharacterAFileNameCannotHold)
{
    EXPECT_EQ(SanitizeFileName("C:\\Dev\\My:App 1.0.0.20240102030405"), "C__Dev_My_App 1.0.0.20240102030405");
    EXPECT_EQ(SanitizeFileName("a'b/c*d?e\"f<g>h|i"), "a_b_c_d_e_f_g_h_i");
    EXPECT_EQ(SanitizeFileName(QString::fromUtf8("Fenêtre 1.2.3")), QString::fromUtf8("Fenêtre 1.2.3"));
}

class ReadProjectInfoTest : public ::testing::Test {
protected:
    ProjectIdentity Read(const QByteArray &content, qint32 expectedLines)
    {
        const QString file = tree.write("App.vbp", content);
        ProjectIdentity identity;
        identity.ProjectName = "App";
        const Outcome<qint32> lines = ReadProjectInfo(file, identity);
        EXPECT_TRUE(lines) << lines.error().toStdString();
        EXPECT_EQ(lines ? lines.value() : -1, expectedLines);
        return identity;
    }

    ScopedEnvironment environment{"QUENZAR_CODEPAGE", "windows-1252"};
    TempTree tree;
};

TEST_F(ReadProjectInfoTest, TakesNameAndVersionsWhateverTheLineEnds)
{
    for (const char *end : {"\r\n", "\n", "\r"}) {
        QByteArray content = "Type=Exe|Name=\"MyApp\"|MajorVer=2|MinorVer=10|RevisionVer=0|";
        const ProjectIdentity identity = Read(content.replace("|", end), 5);
        EXPECT_EQ(identity.ProjectName, "MyApp") << "line end " << QByteArray(end).toHex().constData();
        EXPECT_EQ(identity.ProjectMajorVer, "2");
        EXPECT_EQ(identity.ProjectMinorVer, "10");
        EXPECT_EQ(identity.ProjectRevisionVer, "0");
    }
}

TEST_F(ReadProjectInfoTest, EmptyOrUnrecognisedLinesKeepTheDefaults)
{
    const ProjectIdentity identity =
        Read("Type=Exe\r\nName=\r\nName=\"\"\r\n Name=\"Blank\"\r\nname=\"lower\"\r\nMajorVer=\r\n", 6);
    EXPECT_EQ(identity.ProjectName, "App");
    EXPECT_EQ(identity.ProjectMajorVer, "0");
}

TEST_F(ReadProjectInfoTest, LaterLinesWinAndEveryLineCounts)
{
    const ProjectIdentity identity =
        Read("\r\nType=Exe\r\nName=\"First\"\r\n\r\n[Section]\r\nName=\"Second\"\r\n\r\n", 7);
    EXPECT_EQ(identity.ProjectName, "Second");
}

TEST_F(ReadProjectInfoTest, CountsBeyondTheOldSixteenBitLimit)
{
    Read(QByteArray("Type=Exe\r\n").repeated(40000), 40000);
}

TEST_F(ReadProjectInfoTest, AFileThatCannotBeOpenedFailsWithItsNameAndTheReason)
{
    ProjectIdentity identity;
    const Outcome<qint32> lines = ReadProjectInfo(tree.path("missing.vbp"), identity);
    ASSERT_FALSE(lines);
    EXPECT_EQ(lines.error(), "Cannot open " + tree.path("missing.vbp") + ": No such file or directory");
}

} // namespace
