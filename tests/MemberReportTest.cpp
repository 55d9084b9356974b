#include "MemberReport.h"
#include "ReferencedFiles.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"

#include <QBuffer>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

using Status = MemberReportRow::Status;

QByteArray Encoded(const char *codePage, const QString &text)
{
    QStringEncoder encoder(codePage);
    return encoder.encode(text);
}

TEST(MemberReport, ListsMembersAndFoundCompanionsWithEntriesAndLocalFiles)
{
    ScopedEnvironment environment("QUENZAR_CODEPAGE", "windows-1252");
    TempTree tree;
    const QString project = tree.write("App/App.vbp", "Type=Exe\r\n"
                                                      "Form=Forms\\frmMain.frm\r\n"
                                                      "Form=frmAbout.frm\r\n"
                                                      "Class=CX; ..\\Shared\\CX.cls\r\n"
                                                      "Module=modBroken\r\n"
                                                      "Module=modA; Modules\\modA.bas\r\n");
    tree.write("App/FORMS/frmMain.frm", "");
    tree.write("App/FORMS/FRMMAIN.FRX", "");
    tree.write("Shared/CX.cls", "");

    const auto rows = ReportProjectMembers(project);
    ASSERT_TRUE(rows) << rows.error().toStdString();
    const QList<std::tuple<QString, QString, Status>> expected{
        {"Form", "Forms\\frmMain.frm", Status::Ok}, {"Companion", "Forms\\frmMain.frx", Status::Ok},
        {"Form", "frmAbout.frm", Status::Missing},  {"Class", "..\\Shared\\CX.cls", Status::Ok},
        {"Module", "", Status::Malformed},          {"Module", "Modules\\modA.bas", Status::Missing},
    };
    ASSERT_EQ(rows.value().size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const MemberReportRow &row = rows.value()[i];
        const auto &[kind, path, status] = expected[i];
        EXPECT_EQ(row.kind, kind) << "row " << i;
        EXPECT_EQ(row.path, path) << "row " << i;
        EXPECT_EQ(row.status, status) << "row " << i;
    }
    EXPECT_EQ(rows.value()[1].localFile, tree.path("App/FORMS/FRMMAIN.FRX"));
    EXPECT_EQ(rows.value()[3].entry, "FileNotInRootPath\\--\\Shared\\CX.cls");
    EXPECT_EQ(rows.value()[4].line, "Module=modBroken");
}

struct CodePageCase {
    const char *locale;
    const char *codePage;
    const char *fileName; // UTF-8, as the file lies on a Linux disk
};

// A project written on a Windows of another language names its files in that language's code
// page, while the files on this disk have UTF-8 names.
TEST(MemberReport, MemberNamesAreDecodedInTheCodePageOfTheUsersLocale)
{
    const QList<CodePageCase> cases{
        {"fr_FR.UTF-8", "windows-1252", "Fenêtre.frm"},
        {"ar_SA.UTF-8", "windows-1256", "نافذة.frm"},
        {"zh_TW.UTF-8", "windows-950", "視窗.frm"},
        {"ru_RU.UTF-8", "windows-1251", "Окно.frm"},
    };
    for (const CodePageCase &c : cases) {
        ScopedEnvironment environment;
        environment.unset("QUENZAR_CODEPAGE");
        environment.unset("LC_ALL");
        environment.unset("LC_CTYPE");
        environment.set("LANG", c.locale);
        TempTree tree;
        const QString name = QString::fromUtf8(c.fileName);
        tree.write("Forms/" + name, "VERSION 5.00\r\n");
        const QString project =
            tree.write("App.vbp", "Type=Exe\r\nForm=" + Encoded(c.codePage, "Forms\\" + name) + "\r\n");

        const auto rows = ReportProjectMembers(project);
        ASSERT_TRUE(rows);
        ASSERT_EQ(rows.value().size(), 1);
        EXPECT_EQ(rows.value()[0].path, "Forms\\" + name) << c.locale;
        EXPECT_EQ(rows.value()[0].status, Status::Ok) << c.locale;
    }
}

} // namespace

namespace {

TEST(MemberReport, BinaryFilesTheMembersNameAreListedAsArchivingTakesThem)
{
    ScopedEnvironment environment("QUENZAR_CODEPAGE", "windows-1252");
    TempTree tree;
    const QString project =
        tree.write("App/App.vbp", "Type=Exe\r\nForm=Forms\\Task(TaskMan).frm\r\nDesigner=Forms\\dsr.Dsr\r\n");
    tree.write("App/Forms/Task(TaskMan).frm",
               "Begin VB.Form Task\r\n Icon = \"Task.frx\":0000\r\n Pic = \"Lost.frx\":0010\r\n"
               "End\r\nAttribute VB_Name = \"Task\"\r\n");
    tree.write("App/FORMS/task.FRX", "");
    tree.write("App/Forms/dsr.Dsr", "Begin {C0E45035} dsr\r\n Data = \"dsr.dsx\":0000\r\nEnd\r\n");
    tree.write("App/Forms/dsr.dsx", "");

    const auto rows = ReportProjectMembers(project);
    ASSERT_TRUE(rows);
    QStringList seen;
    for (const MemberReportRow &row : rows.value())
        seen.append(row.kind + ' ' + row.path + ' ' + StatusName(row.status));
    EXPECT_EQ(seen, QStringList({"Form Forms\\Task(TaskMan).frm ok", "Reference Forms\\Task.frx ok",
                                 "Reference Forms\\Lost.frx missing", "Designer Forms\\dsr.Dsr ok",
                                 "Reference Forms\\dsr.dsx ok"}));
}

// The properties are read in chunks only as far as the code: where the code's first attribute
// straddles two chunks, a name quoted in the code is still no reference, and lines end with CR LF,
// a lone CR or a lone LF.
TEST(MemberReport, OnlyThePropertiesNameBinaryFilesWhereverTheCodeBegins)
{
    for (qsizetype padding = 8150; padding < 8200; ++padding) {
        QByteArray form =
            "VERSION 5.00\rBegin VB.Form F\n   Icon = \"F.frx\":0000\r\n   Picture = \"Other.frx\":0A1B\r\n";
        form += QByteArray(padding - form.size(), ' ') + "\r\nAttribute VB_Name = \"F\"\r\nx = \"Code.frx\":0000\r\n";
        QBuffer buffer(&form);
        ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
        EXPECT_EQ(ReferencedBinaryFiles(buffer), QStringList({"F.frx", "Other.frx"})) << padding;
    }
}

} // namespace
