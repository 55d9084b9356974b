#include "MemberPaths.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "WinePrefix.h"
#include "WindowsPath.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// A project folder and a Wine prefix whose drive D: maps to a folder of the test's own.
class WindowsPathTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(MakeWinePrefix(tree, environment)); }

    QString Resolved(const QString &text) const
    {
        const WindowsPath::LocalPath local = WindowsPath::Resolve(projectRoot, text);
        return local.found ? local.path : QString("not found: %1").arg(local.path);
    }

    TempTree tree;
    ScopedEnvironment environment;
    QString projectRoot = tree.makeFolder("Dev/App");
};

TEST_F(WindowsPathTest, RelativePathsLieBelowTheProjectFolder)
{
    tree.write("Dev/App/Forms/frmMain.frm", "");
    tree.write("Dev/Shared/CX.cls", "");
    EXPECT_EQ(Resolved("Forms\\frmMain.frm"), tree.path("Dev/App/Forms/frmMain.frm"));
    EXPECT_EQ(Resolved(".\\Forms\\\\frmMain.frm"), tree.path("Dev/App/Forms/frmMain.frm"));
    EXPECT_EQ(Resolved("..\\Shared\\CX.cls"), tree.path("Dev/Shared/CX.cls"));
    EXPECT_EQ(Resolved("Forms\\..\\..\\Shared\\CX.cls"), tree.path("Dev/Shared/CX.cls"));
    EXPECT_EQ(MemberAbsolutePath(projectRoot, "Forms\\frmMain.frm"), tree.path("Dev/App/Forms/frmMain.frm"));
}

TEST_F(WindowsPathTest, NamesDifferingOnlyInCaseAreFoundAlongTheWholePath)
{
    // Checked out on Linux, "Forms\frmMain.frm" often lies in a folder of another case.
    tree.write("Dev/App/FORMS/FRMMAIN.FRM", "");
    tree.write("Dev/App/bas/x.bas", "");
    tree.write("Dev/SHARED/cx.CLS", "");
    EXPECT_EQ(Resolved("Forms\\frmMain.frm"), tree.path("Dev/App/FORMS/FRMMAIN.FRM"));
    EXPECT_EQ(Resolved("BAS\\x.bas"), tree.path("Dev/App/bas/x.bas"));
    EXPECT_EQ(Resolved("..\\Shared\\CX.cls"), tree.path("Dev/SHARED/cx.CLS"));
}

TEST_F(WindowsPathTest, AnExactMatchWinsOverOneOfAnotherCase)
{
    tree.write("Dev/App/Forms/a.frm", "upper folder");
    tree.write("Dev/App/forms/a.frm", "lower folder");
    tree.write("Dev/App/forms/B.frm", "");
    EXPECT_EQ(Resolved("forms\\a.frm"), tree.path("Dev/App/forms/a.frm"));
    EXPECT_EQ(Resolved("Forms\\a.frm"), tree.path("Dev/App/Forms/a.frm"));
    EXPECT_EQ(Resolved("Forms\\B.frm"), tree.path("Dev/App/forms/B.frm"));
}

TEST_F(WindowsPathTest, DrivesAndSharesGoThroughTheWinePrefix)
{
    tree.write("drive-d/Lib/Rep.Dsr", "");
    tree.write("wine/dosdevices/unc/srv/share/y.bas", "");
    EXPECT_EQ(Resolved("D:\\Lib\\Rep.Dsr"), tree.path("wine/dosdevices/d:/Lib/Rep.Dsr"));
    EXPECT_EQ(Resolved("d:\\LIB\\rep.dsr"), tree.path("wine/dosdevices/d:/Lib/Rep.Dsr"));
    EXPECT_EQ(Resolved("D:\\..\\..\\Lib\\Rep.Dsr"), tree.path("wine/dosdevices/d:/Lib/Rep.Dsr"))
        << "\"..\" never climbs above the root of a drive";
    EXPECT_EQ(Resolved("\\\\srv\\share\\y.bas"), tree.path("wine/dosdevices/unc/srv/share/y.bas"));
    EXPECT_EQ(Resolved("\\\\SRV\\Share\\..\\..\\Y.BAS"), tree.path("wine/dosdevices/unc/srv/share/y.bas"));
}

TEST_F(WindowsPathTest, WhatNothingAnswersToIsNotFoundNeverASubstitute)
{
    tree.write("Dev/App/Other/Program Files (x86)/x.bas", "");
    tree.write("Dev/App/x.bas", "");
    tree.write("drive-d/x.bas", "");
    for (const char *text :
         {"PROGRA~2\\x.bas", "E:\\x.bas", "\\\\nowhere\\share\\x.bas", "Missing\\x.bas", "Other\\PROGRA~2\\x.bas"}) {
        EXPECT_FALSE(WindowsPath::Resolve(projectRoot, QString::fromLatin1(text)).found) << text;
    }
    environment.set("WINEPREFIX", tree.path("no-prefix").toUtf8());
    EXPECT_FALSE(WindowsPath::Resolve(projectRoot, "D:\\x.bas").found);
}

// Folder listings are kept between lookups: one that changed, or names read in another code page,
// must be looked at afresh.
TEST_F(WindowsPathTest, AFolderIsLookedIntoAfreshOnceItOrTheCodePageChanges)
{
    tree.write("Dev/App/Forms/frmA.frm", "");
    EXPECT_FALSE(WindowsPath::ResolveInCodePage(projectRoot, "forms\\FRMB.FRM").found);
    tree.write("Dev/App/Forms/frmB.frm", "");
    EXPECT_EQ(WindowsPath::ResolveInCodePage(projectRoot, "forms\\FRMB.FRM").path, tree.path("Dev/App/Forms/frmB.frm"));

    tree.writeBytesNamed("Dev/App/Forms/caf\xE9.bas", "");
    environment.set("QUENZAR_CODEPAGE", "windows-1252");
    EXPECT_TRUE(WindowsPath::ResolveInCodePage(projectRoot, QStringLiteral(u"Forms\\CAF\u00C9.BAS")).found);
    EXPECT_FALSE(WindowsPath::ResolveInCodePage(projectRoot, QStringLiteral(u"Forms\\CAF\u0419.BAS")).found);
    environment.set("QUENZAR_CODEPAGE", "windows-1251");
    EXPECT_FALSE(WindowsPath::ResolveInCodePage(projectRoot, QStringLiteral(u"Forms\\CAF\u00C9.BAS")).found);
    EXPECT_TRUE(WindowsPath::ResolveInCodePage(projectRoot, QStringLiteral(u"Forms\\CAF\u0419.BAS")).found);
}

} // namespace
