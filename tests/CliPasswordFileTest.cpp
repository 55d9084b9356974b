#include "CliRunner.h"
#include "ProjectTree.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// A password file is UTF-8 text. One in another encoding ("Passwört" in Windows-1252 is
// "Passw\xF6rt") is refused by every command that takes one: its bytes would decode to replacement
// characters, and "Passw\xE4rt" would open what it protects.
TEST(CliPasswordFile, AFileThatIsNotUtf8IsRefusedByEveryCommand)
{
    ProjectTree tree;
    const QString project = tree.project("App/App.vbp", {"Module=m; m.bas"});
    tree.write("App/m.bas", "secret");
    const QString utf8 = tree.write("utf8.txt", QString::fromUtf8("Passwört\n").toUtf8());
    QByteArray output;
    ASSERT_EQ(RunCli({"archive", project, "--stamp", kFixedStamp, "--dest", tree.path("out"), "--password-file", utf8},
                     &output),
              0)
        << output.toStdString();
    const QString archive = Output(output);

    const QString oe = tree.write("oe.txt", "Passw\xF6rt\n");
    const QString ae = tree.write("ae.txt", "Passw\xE4rt\r\n");
    const QList<QStringList> calls{
        {"archive", project, "--stamp", "20240102030406", "--dest", tree.path("out"), "--password-file", oe},
        {"archive", project, "--stamp", "20240102030407", "--dest", tree.path("out"), "--password-file", ae},
        {"verify", archive, "--password-file", oe},
        {"restore", archive, "--password-file", ae},
    };
    for (const QStringList &call : calls) {
        EXPECT_EQ(RunCli(call, &output), 2) << call.join(' ').toStdString() << ": " << output.toStdString();
        EXPECT_EQ(Output(output), "The password file " + call.last() + " is not UTF-8 text: save it as UTF-8.");
    }
    EXPECT_EQ(QDir(tree.path("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({QFileInfo(archive).fileName()}))
        << "nothing archived or restored";

    EXPECT_EQ(RunCli({"verify", archive, "--password-file", utf8}, &output), 0) << output.toStdString();
    EXPECT_EQ(
        RunCli({"verify", archive, "--password-file", tree.write("other.txt", QString::fromUtf8("Passwärt").toUtf8())}),
        1);
}

} // namespace
