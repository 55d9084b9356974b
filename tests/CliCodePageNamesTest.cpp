#include "CliRunner.h"
#include "ProjectTree.h"
#include "ScopedEnvironment.h"
#include "ZipListing.h"

#include <gtest/gtest.h>

namespace {

// Files copied from a Windows share keep their names in the Windows code page: "Naïve.bas" lies on
// disk as the bytes "Na\xEFve.bas", which are not UTF-8, just as the project file writes it. Such
// members are found, their forms' binary files beside them, in folders of such names and in another
// case too, archived under their names in UTF-8, listed as ok, and the archive verifies.
TEST(CliCodePageNames, MembersNamedInTheCodePageOnDiskAreFound)
{
    ProjectTree tree;
    ScopedEnvironment environment("QUENZAR_CODEPAGE", "windows-1252"); // for verify, which takes no --codepage
    const QString project = tree.project("App/App.vbp", {
                                                            "Module=Naive; Na\xEFve.bas",
                                                            "Form=Fen\xEAtre.frm",
                                                            "Class=Cle; M\xF3"
                                                            "dulos\\Cl\xE9.cls",
                                                            "Module=Resume; R\xC9SUM\xC9.BAS",
                                                            "Name=\"App\"",
                                                        });
    const struct {
        QByteArray onDisk; // below App/, in Windows-1252
        const char *entry; // in UTF-8
        QByteArray content;
    } files[] = {
        {"Na\xEFve.bas", "Naïve.bas", "Attribute VB_Name = \"Naive\"\r\n"},
        {"Fen\xEAtre.frm", "Fenêtre.frm",
         "VERSION 5.00\r\nBegin VB.Form Fen\xEAtre\r\n   Icon = \"Fen\xEAtre.frx\":0000\r\nEnd\r\n"},
        {"Fen\xEAtre.frx", "Fenêtre.frx", "the form's pictures"},
        {"M\xF3"
         "dulos/Cl\xE9.cls",
         "Módulos/Clé.cls", "VERSION 1.0 CLASS\r\n"},
        {"r\xE9sum\xE9.bas", "RÉSUMÉ.BAS", "Attribute VB_Name = \"Resume\"\r\n"},
    };
    for (const auto &file : files)
        tree.writeBytesNamed("App/" + file.onDisk, file.content);

    QByteArray output;
    EXPECT_EQ(RunCli({"list", project, "--codepage", "windows-1252"}, &output), 0) << output.toStdString();
    EXPECT_EQ(QString::fromUtf8(output).count(QStringLiteral(" ok")), 5) << output.toStdString();
    // The file on this machine is named readably, its bytes that are not UTF-8 written out.
    EXPECT_TRUE(output.contains((tree.path("App") + "/Na\\xEFve.bas").toUtf8())) << output.toStdString();
    EXPECT_TRUE(output.contains((tree.path("App") + "/M\\xF3dulos/Cl\\xE9.cls").toUtf8())) << output.toStdString();

    ASSERT_EQ(RunCli({"archive", project, "--codepage", "windows-1252", "--stamp", kFixedStamp, "--quiet"}, &output), 0)
        << output.toStdString();
    const QString archive = Output(output);
    const QStringList entries = ArchiveEntries(archive);
    EXPECT_EQ(entries.size(), 6) << entries.join(' ').toStdString();
    for (const auto &file : files)
        EXPECT_EQ(ArchiveEntryContent(archive, QString::fromUtf8(file.entry)), file.content) << file.entry;
    EXPECT_EQ(RunCli({"verify", archive}, &output), 0) << output.toStdString();
}

// Two files that Windows would take for one ("Naïve.bas" and "NaÏve.bas" differ only in case) but
// that the disk keeps apart fail the archive, named readably, rather than one of them being lost.
TEST(CliCodePageNames, TwoSuchFilesForOneEntryFailTheArchive)
{
    ProjectTree tree;
    const QString project = tree.project("App/App.vbp", {"Module=Lower; Na\xEFve.bas", "Module=Upper; Na\xCFve.bas"});
    tree.writeBytesNamed("App/Na\xEFve.bas", "Attribute VB_Name = \"Lower\"\r\n");
    tree.writeBytesNamed("App/Na\xCFve.bas", "Attribute VB_Name = \"Upper\"\r\n");
    QByteArray output;
    EXPECT_EQ(RunCli({"archive", project, "--codepage", "windows-1252", "--stamp", kFixedStamp}, &output), 1)
        << output.toStdString();
    EXPECT_TRUE(
        output.contains(QStringLiteral("Module=Upper; NaÏve.bas\n%1/Na\\xEFve.bas and %1/Na\\xCFve.bas would both "
                                       "be stored as NaÏve.bas.")
                            .arg(tree.path("App"))
                            .toUtf8()))
        << output.toStdString();
    EXPECT_FALSE(tree.exists("App/Sources.Backup/App 0.0.0.20240102030405.zip"));
}

} // namespace
