#include "CliStreams.h"
#include "TempTree.h"

#include <gtest/gtest.h>

// The command line as people expect it: help for every command under the name they typed, the
// usage naming everything, a folder given for a project answered with the project files in it, and
// bash completing commands, options and files.

namespace {

const QStringList kCommands{"archive", "restore", "list", "verify", "history", "diff"};

TEST(CliHelp, EachCommandsHelpNamesItAsTypedAndHelpCommandGivesTheSame)
{
    for (const QString &command : kCommands) {
        const CliStreams help = RunCliStreams({command, "--help"});
        EXPECT_EQ(help.status, 0) << command.toStdString();
        const QString text = QString::fromUtf8(help.out);
        EXPECT_TRUE(text.startsWith("Usage: quenzar-cli " + command + " [options] ")) << text.toStdString();
        EXPECT_FALSE(text.contains(kCli)) << "the build's path: " << text.toStdString();
        const CliStreams viaHelp = RunCliStreams({"help", command});
        EXPECT_EQ(viaHelp.status, 0);
        EXPECT_EQ(viaHelp.out, help.out) << command.toStdString();
    }
    const CliStreams usage = RunCliStreams({"help"});
    EXPECT_EQ(usage.status, 0);
    for (const QString &named : kCommands + QStringList{"help [COMMAND]", "--version"})
        EXPECT_TRUE(usage.out.contains(("  " + named + " ").toUtf8())) << named.toStdString();
    EXPECT_EQ(RunCliStreams({"--help"}).out, usage.out);
    EXPECT_EQ(RunCliStreams({"help", "frobnicate"}).status, 2);
}

TEST(CliHelp, AFolderGivenForAProjectNamesTheProjectAndGroupFilesInIt)
{
    TempTree tree;
    tree.write("Work/App.vbp", "Type=Exe\r\n");
    tree.write("Work/Office.vbpgroup", "Office\r\nApp.vbp\r\n[PATH]\r\n");
    tree.write("Work/Old.vbg", "VBGROUP 5.0\r\n");
    tree.write("Work/notes.txt", "");
    tree.makeFolder("Empty");
    for (const QString command : {"archive", "list", "history", "diff"}) {
        CliStreams run = RunCliStreams({command, tree.path("Work")});
        EXPECT_EQ(run.status, 2) << command.toStdString();
        EXPECT_EQ(QString::fromUtf8(run.err).trimmed(),
                  tree.path("Work")
                      + " is not a Visual Basic project file: it is a folder. The project and group files "
                        "in it: App.vbp, Office.vbpgroup, Old.vbg")
            << command.toStdString();
        run = RunCliStreams({command, tree.path("Empty")});
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.err.contains("holds no project or group file")) << run.err.toStdString();
    }
}

// The completion function run as bash runs it, on the words typed so far: what it offers.
QString Completed(const QStringList &words)
{
    const QString script = QStringLiteral(QUENZAR_SOURCE "/packaging/quenzar-cli.bash-completion");
    QByteArray output;
    EXPECT_EQ(RunProgram("bash",
                         QStringList{"-c",
                                     "source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _quenzar_cli; "
                                     "printf '%s\\n' \"${COMPREPLY[@]}\"",
                                     "_", script, kCli}
                             + words,
                         &output),
              0)
        << output.toStdString();
    return QString::fromUtf8(output).trimmed();
}

TEST(CliHelp, BashCompletesCommandsOptionsAndFiles)
{
    EXPECT_EQ(RunProgram("bash", {"-n", QStringLiteral(QUENZAR_SOURCE "/packaging/quenzar-cli.bash-completion")}), 0);
    EXPECT_EQ(Completed({"hi"}), "history");
    EXPECT_EQ(Completed({"help", "d"}), "diff");
    // The options offered are read from the command's own help: when that fails, its reason shows here.
    const CliStreams help = RunCliStreams({"history", "--help"});
    ASSERT_EQ(help.status, 0) << help.err.toStdString();
    ASSERT_TRUE(help.err.isEmpty()) << help.err.toStdString();
    const QStringList options = Completed({"history", "--"}).split('\n');
    EXPECT_TRUE(options.contains("--json") && options.contains("--dest")) << options.join(' ').toStdString();
    EXPECT_TRUE(Completed({"archive", "--k"}).split('\n').contains("--keep-going"));

    TempTree tree;
    tree.write("App.vbp", "");
    tree.write("App 1.0.0.20240101000000.zip", "");
    tree.write("notes.txt", "");
    EXPECT_EQ(Completed({"archive", tree.path("")}), tree.path("App.vbp"));
    EXPECT_EQ(Completed({"verify", tree.path("")}), tree.path("App 1.0.0.20240101000000.zip"));
    EXPECT_EQ(Completed({"archive", "--password-file", tree.path("n")}), tree.path("notes.txt"));
}

// Output that cannot be written is a failure, never success, with the system's reason: a script reading
// a listing from a full disk must not take a cut one for whole.
TEST(CliHelp, OutputThatCannotBeWrittenFails)
{
    TempTree tree;
    const QString project = tree.write("App/App.vbp", "Type=Exe\r\nName=\"App\"\r\n");
    for (const QStringList &arguments : {QStringList{"list", project, "--json"}, QStringList{"list", project},
                                         QStringList{"list", "--help"}, QStringList{"--version"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        QProcess process;
        process.setStandardOutputFile("/dev/full");
        process.start(kCli, arguments);
        ASSERT_TRUE(process.waitForFinished());
        EXPECT_EQ(process.exitCode(), 1);
        EXPECT_EQ(process.readAllStandardError(), "Cannot write to standard output: No space left on device\n");
    }
}

} // namespace
