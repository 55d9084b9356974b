#include "ClickableImage.h"
#include "CorvaRegSettings.h"
#include "EventLoopWaits.h"
#include "Frame3D.h"
#include "LanguageStrings.h"
#include "ProjectTree.h"
#include "RecordingMessages.h"
#include "RecordingOpener.h"
#include "ScopedEnvironment.h"
#include "ScriptedDialogs.h"
#include "ShellExtended.h"
#include "TempTree.h"
#include "UserEnvironment.h"
#include "ComponentVersion.h"
#include "ZipReader.h"
#include "ZipListing.h"
#include "WhenShown.h"
#include "frmGroup.h"
#include "frmMain.h"
#include "modMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/file.h>

namespace {

// The main window in a tree of the test's own, with every seam answered: dialogs, messages, the
// desktop opener and the settings.
class ArchiveWorkflowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseOwnUser(environment, tree);
        Program() = ProgramState();
        window = std::make_unique<frmMain>();
        window->show();
        window->activateWindow();
        QApplication::processEvents();
    }

    QString Example(const QString &relative)
    {
        if (!tree.exists("examples"))
            tree.copyExamples();
        return tree.path("examples/" + relative);
    }

    void Choose(const QString &file)
    {
        dialogs->AnswerFile(file);
        window->DBpathDialog(0)->click();
    }

    // A file dragged from a file manager and dropped on the window; false when the window refuses it.
    bool Drop(const QString &file)
    {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &dropped);
        return true;
    }

    // Archive, or the unzip picture, and the wait for the run to end.
    void Archive()
    {
        window->Btn_Valider()->click();
        WaitForRun(*window);
    }
    void Unzip()
    {
        window->Image1(4)->click();
        WaitForRun(*window);
    }

    // The finished state's timer, run out at once.
    void RunTimerOut()
    {
        window->Timer1()->start(1);
        QEventLoop loop;
        QTimer::singleShot(200, &loop, &QEventLoop::quit);
        loop.exec();
    }

    QStringList Titles() const
    {
        QStringList titles;
        for (const auto &shown : messages.messages->shown)
            titles.append(shown.title + ": " + shown.text);
        return titles;
    }

    ProjectTree tree;
    ScopedEnvironment environment;
    std::shared_ptr<ScriptedDialogs> dialogs = ScriptedDialogs::Install();
    MessagesGuard messages;
    RecordingOpener opener;
    std::unique_ptr<frmMain> window;
};

bool Shown(const QWidget *widget) { return widget->isVisible(); }

const QString kArchivingNotFinished = "The archiving is not finished. Stop it now and quit? The archive being written "
                                      "is removed; archives already finished are kept.";
const QString kRestoreNotFinished =
    "The restore is not finished. Stop it now and quit? The folder being restored is removed.";

TEST_F(ArchiveWorkflowTest, AProjectIsChosenArchivedAndTheWindowReturnsToItsStartState)
{
    Choose(Example("Inventory/Inventory.vbp"));
    const ScriptedRequest &request = dialogs->requests().first();
    EXPECT_EQ(request.title, "Select the Visual Basic© project or project group to archive");
    EXPECT_EQ(request.nameFilters,
              QStringList({"Visual Basic Projects and Groups (*.vbp *.vbpgroup *.vbg)", "Visual Basic Project (*.vbp)",
                           "VB Project Group (*.vbpgroup)", "Visual Basic Group (*.vbg)"}));
    EXPECT_TRUE(request.mustExist);
    EXPECT_TRUE(Shown(window->Frame3D3()));
    EXPECT_EQ(window->Label1(1)->text(), "Backup File Name :");
    EXPECT_TRUE(window->Text1(1)->text().contains(QRegularExpression(R"(^Inventory 1\.4\.2\.\d{14}\.zip$)")))
        << window->Text1(1)->text().toStdString();
    EXPECT_EQ(window->Text1(2)->text(), tree.path("examples/Inventory/Sources.Backup/"));
    EXPECT_EQ(QApplication::focusWidget(), window->Text1(3));

    Archive();
    EXPECT_EQ(Titles(), QStringList({"Quenzar: Archiving complete !"}));
    EXPECT_EQ(messages.messages->shown[0].icon, MessageIcon::Information);
    const QString archive = window->Text1(2)->text() + window->Text1(1)->text();
    EXPECT_TRUE(ArchiveEntries(archive).contains("FileNotInRootPath/--/Shared/CLog.cls"));
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "", true), tree.path("examples/Inventory/Sources.Backup/"));
    EXPECT_TRUE(Shown(window->VistaProg1()));
    EXPECT_EQ(window->VistaProg1()->property("Value"), window->VistaProg1()->property("Max"));
    EXPECT_GT(window->VistaProg1()->property("Max").toInt(), 40);

    ASSERT_TRUE(window->Timer1()->isActive());
    EXPECT_EQ(window->Timer1()->interval(), 3000);
    RunTimerOut();
    EXPECT_FALSE(Shown(window->Frame3D3()));
    EXPECT_TRUE(Shown(window->CorvaOpenThe()) && window->CorvaOpenThe()->isEnabled());
    window->CorvaOpenThe()->click();
    EXPECT_EQ(opener.targets, QStringList({tree.path("examples/Inventory/Sources.Backup/")}));
}

// Ticked, the box gives the text members CR LF line ends; a new window starts as it was left.
TEST_F(ArchiveWorkflowTest, TheLineEndsBoxConvertsTextMembersAndIsRemembered)
{
    const QString project = tree.project("App/App.vbp", {"Module=m; m.bas"});
    tree.write("App/m.bas", "Attribute VB_Name = \"m\"\nSub A()\nEnd Sub\n");
    EXPECT_FALSE(window->Check1()->isChecked());
    window->Check1()->click();
    Choose(project);
    Archive();
    EXPECT_EQ(Titles(), QStringList({"Quenzar: Archiving complete !"}));
    const QString archive = window->Text1(2)->text() + window->Text1(1)->text();
    QByteArray stored;
    EXPECT_EQ(RunProgram("unzip", {"-p", archive, "m.bas"}, &stored), 0);
    EXPECT_EQ(stored, "Attribute VB_Name = \"m\"\r\nSub A()\r\nEnd Sub\r\n");

    EXPECT_TRUE(frmMain().Check1()->isChecked());
    window->Check1()->click();
    EXPECT_FALSE(frmMain().Check1()->isChecked());
}

TEST_F(ArchiveWorkflowTest, AChoiceMadeBeforeTheTimerEndsKeepsItsPanel)
{
    Choose(Example("Tools/Tools.vbp"));
    Archive();
    ASSERT_TRUE(window->Timer1()->isActive());
    Choose(Example("Inventory/Inventory.vbp"));
    EXPECT_FALSE(window->Timer1()->isActive());
    EXPECT_TRUE(Shown(window->Frame3D3()));
    EXPECT_TRUE(Shown(window->CorvaOpenThe())) << "the finished state ended as the timer would end it";
}

TEST_F(ArchiveWorkflowTest, AGroupSavedInTheEditorBeforeTheTimerEndsKeepsItsPanel)
{
    Choose(Example("Tools/Tools.vbp"));
    Archive();
    ASSERT_TRUE(window->Timer1()->isActive());
    const QString group = Example("Samples.vbpgroup");
    WhenShown<frmGroup>([&](frmGroup &editor) {
        dialogs->AnswerFile(group);
        editor.DBpathDialog(0)->click();
        editor.btn_Group()->click();
    });
    window->Tessbutton1()->click();
    EXPECT_TRUE(window->IsGroup());
    EXPECT_FALSE(window->Timer1()->isActive()) << "the finished state ended when the editor opened";
    EXPECT_TRUE(Shown(window->Frame3D3()));
}

// A choice that fails leaves nothing of the project chosen before: no name, nothing to archive.
TEST_F(ArchiveWorkflowTest, AProjectFileThatCannotBeReadClearsTheChoice)
{
    Choose(Example("Tools/Tools.vbp"));
    const QString broken = tree.write("Broken/Broken.vbp", QByteArray("Type=Exe\r\nName=\"B\0\"\r\n", 22));
    Choose(broken);
    ASSERT_EQ(messages.messages->shown.size(), 1);
    EXPECT_EQ(messages.messages->shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(messages.messages->shown[0].text.startsWith("The project file cannot be read:\r\n" + broken))
        << messages.messages->shown[0].text.toStdString();
    EXPECT_EQ(window->Text1(0)->text(), broken);
    EXPECT_EQ(window->Text1(1)->text(), "");
    EXPECT_EQ(window->Text1(2)->text(), "");

    Archive();
    EXPECT_EQ(messages.messages->beeps, 1);
    EXPECT_EQ(messages.messages->shown.size(), 1);
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "none", true), "none");
}

// A file that is no project, chosen or listed in a group, is said to be none, in the same words, and
// nothing of it is archived.
TEST_F(ArchiveWorkflowTest, AFileThatIsNoProjectIsRefusedWhenChosenAndInAGroup)
{
    const QString notes = tree.write("App/notes.txt", "Buy milk\n");
    const QString reason = notes + " is not a Visual Basic project file: it does not begin with a Type= line";
    Choose(notes);
    EXPECT_EQ(Titles(), QStringList({"Quenzar: The project file cannot be read:\r\n" + reason}));
    EXPECT_EQ(window->Text1(1)->text(), "");
    Archive();
    EXPECT_EQ(messages.messages->beeps, 1);
    EXPECT_FALSE(tree.exists("App/Sources.Backup"));

    messages.messages->shown.clear();
    tree.project("App/App.vbp", {"Name=\"App\"", "Module=m; m.bas"});
    tree.write("App/m.bas", "");
    Choose(
        tree.write("G.vbpgroup", "G\r\nApp/App.vbp\r\n[PATH]" + tree.path("out").toUtf8() + "\r\nApp/notes.txt\r\n"));
    Archive();
    EXPECT_EQ(Titles(), QStringList({"Archive creation error: An error appears to have occurred...\r\nLine : "
                                     "App/notes.txt\r\n"
                                         + reason,
                                     "Quenzar: An error occurred during archiving !"}));
    const QStringList stamps = QDir(tree.path("out/G")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(stamps.size(), 1);
    EXPECT_EQ(QDir(tree.path("out/G/" + stamps[0])).entryList(QDir::Files).size(), 1) << "App's archive alone";
}

// Settings that cannot be written: the backup is made, and the last-folder button does not come up
// to open some older folder.
TEST_F(ArchiveWorkflowTest, TheLastFolderButtonComesOnlyForAFolderThatWasStored)
{
    const QString blocker = tree.write("blocker", "a file where the settings folders should go");
    environment.set("XDG_CONFIG_HOME", (blocker + "/config").toUtf8());
    environment.set("XDG_CONFIG_DIRS", (blocker + "/machine").toUtf8());
    Choose(Example("Tools/Tools.vbp"));
    Archive();
    ASSERT_EQ(Titles().size(), 2);
    EXPECT_TRUE(Titles()[0].startsWith("Quenzar: The last backup folder could not be remembered:"))
        << Titles()[0].toStdString();
    EXPECT_EQ(Titles()[1], "Quenzar: Archiving complete !");
    RunTimerOut();
    EXPECT_FALSE(Shown(window->Frame3D3()));
    EXPECT_FALSE(Shown(window->CorvaOpenThe()));
}

// The click returns at once, the run going on a thread of its own: the commands that would start a
// second run are off meanwhile, and Quit asks first. Answered No, the run goes on to its end and
// the window stays.
TEST_F(ArchiveWorkflowTest, ASecondClickDuringARunStartsNothingAndQuitAnsweredNoLetsItFinish)
{
    Choose(Example("Inventory/Inventory.vbp"));
    window->Btn_Valider()->click();
    ASSERT_TRUE(window->IsRunning());
    EXPECT_TRUE(!window->Btn_Valider()->isEnabled() && !window->DBpathDialog(0)->isEnabled()
                && !window->Tessbutton1()->isEnabled() && !window->SavepathDialog(1)->isEnabled());
    window->Btn_Valider()->click();
    window->Btn_Annuler()->click(); // answered No
    WaitForRun(*window);
    EXPECT_EQ(Titles(), QStringList({"Quenzar: " + kArchivingNotFinished, "Quenzar: Archiving complete !"}))
        << "one run, one message";
    EXPECT_EQ(messages.messages->shown[0].icon, MessageIcon::Question);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(QFile::exists(window->Text1(2)->text() + window->Text1(1)->text()));
}

TEST_F(ArchiveWorkflowTest, AGroupStopsAtItsFailingProjectAndLeavesItsProgressShown)
{
    tree.project("A/A.vbp", {"Name=\"A\"", "Module=m; m.bas"});
    tree.write("A/m.bas", "");
    tree.project("B/B.vbp", {"Name=\"B\"", "Form=Missing.frm"});
    tree.project("C/C.vbp", {"Name=\"C\"", "Module=m; m.bas"});
    tree.write("C/m.bas", "");
    // The blank line is skipped, and not counted in the group bar.
    const QString group = tree.write("Nightly.vbpgroup", "Nightly\r\nA/A.vbp\r\n[PATH]" + tree.path("out").toUtf8()
                                                             + "/\r\n\r\nB/B.vbp\r\nC/C.vbp\r\n");
    Choose(group);
    EXPECT_TRUE(window->IsGroup());
    EXPECT_EQ(window->Text1(1)->text(), "Nightly");
    Archive();

    EXPECT_EQ(Titles(),
              QStringList({"Archive creation error: An error appears to have occurred...\r\nLine : Form=Missing.frm\r\n"
                           "Cannot add "
                               + tree.path("B/Missing.frm") + ": it does not exist.",
                           "Quenzar: Form=Missing.frm\r\n\r\nArchive the other files all the same, and record the "
                           "missing ones in the archive's comment?",
                           "Quenzar: An error occurred during archiving !"}));
    EXPECT_EQ(messages.messages->shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(messages.messages->shown[2].icon, MessageIcon::Critical);
    const QStringList folders = QDir(tree.path("out/Nightly")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(folders.size(), 1);
    EXPECT_EQ(QDir(tree.path("out/Nightly/" + folders[0])).entryList(QDir::Files).size(), 1) << "A kept, C not tried";
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "", true), tree.path("out/Nightly/" + folders[0] + "/"));
    EXPECT_TRUE(Shown(window->VistaProg2()));
    EXPECT_EQ(window->VistaProg2()->property("Max").toInt(), 3);
    EXPECT_EQ(window->VistaProg2()->property("Value").toInt(), 1);
    EXPECT_TRUE(Shown(window->Label2()));
    EXPECT_EQ(window->Label2()->text(), "B/B.vbp");
    EXPECT_FALSE(window->Timer1()->isActive());
    EXPECT_TRUE(window->Btn_Valider()->isEnabled());
}

// Visual Basic's own group file, dropped, chosen or given on the command line, is a group: its name is
// the backup subfolder, the startup project comes first, and each project gets its archive in the
// run's stamp folder; a project lacking files is archived without them when the user says so.
TEST_F(ArchiveWorkflowTest, AVisualBasicGroupIsOpenedAsAGroupAndArchived)
{
    tree.copyTestData("vbg");
    const QString group = tree.path("vbg/VBWinsock/VBWinsock.vbg");
    ASSERT_TRUE(Drop(group));
    EXPECT_TRUE(window->IsGroup());
    EXPECT_EQ(window->Text1(1)->text(), "VBWinsock");
    EXPECT_EQ(window->Text1(2)->text(), tree.path("vbg/VBWinsock/Sources.Backup/"));
    ASSERT_EQ(window->List1()->count(), 2);
    EXPECT_EQ(window->List1()->item(0)->text(), "Test.vbp");
    EXPECT_EQ(window->List1()->item(1)->text(), "VBWinsock.vbp");

    messages.messages->answers = {MessageAnswer::Yes}; // VBWinsock.vbp lacks two of its files
    Archive();
    const QDir groupFolder(tree.path("vbg/VBWinsock/Sources.Backup/VBWinsock"));
    const QStringList stamps = groupFolder.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(stamps.size(), 1) << Titles().join('\n').toStdString();
    const QDir stampFolder(groupFolder.filePath(stamps[0]));
    const QString test = stampFolder.filePath("Test 1.0.0." + stamps[0] + ".zip");
    const QString winsock = stampFolder.filePath("VBWinsock 1.0.0." + stamps[0] + ".zip");
    EXPECT_TRUE(ArchiveEntries(test).contains("frmTCPTest.frm")) << test.toStdString();
    const QStringList winsockEntries = ArchiveEntries(winsock);
    EXPECT_TRUE(winsockEntries.contains("VBWinsock 1.0.0." + stamps[0] + ".vbp")) << winsock.toStdString();
    EXPECT_FALSE(winsockEntries.contains("TCPIP.cls")) << "archived without its missing files";

    Choose(tree.path("vbg/QuickReg/Reg.vbg"));
    EXPECT_TRUE(window->IsGroup());
    EXPECT_EQ(window->Text1(1)->text(), "Reg");
    EXPECT_EQ(window->List1()->item(0)->text(), "test.vbp");

    Program() = ProgramState();
    Program().CommandLine = CommandLineOf({"quenzar", '"' + group + '"'});
    window = std::make_unique<frmMain>();
    EXPECT_TRUE(window->IsGroup());
    EXPECT_EQ(window->Text1(0)->text(), group);
    EXPECT_EQ(window->Text1(1)->text(), "VBWinsock");
}

TEST_F(ArchiveWorkflowTest, MissingInputOnlyBeeps)
{
    Archive();
    EXPECT_EQ(messages.messages->beeps, 1);
    const QString group = tree.write("g.vbpgroup", "g\r\nA/A.vbp\r\n[PATH]\r\n");
    Choose(group);
    window->Text1(2)->clear();
    Archive();
    EXPECT_EQ(messages.messages->beeps, 2);
    EXPECT_TRUE(messages.messages->shown.isEmpty());
    EXPECT_TRUE(window->SavepathDialog(1)->isVisibleTo(window.get()))
        << "a group is chosen: its destination can change";
    window->Text1(0)->clear();
    EXPECT_FALSE(window->SavepathDialog(1)->isVisibleTo(window.get())) << "no project, no destination button";
}

TEST_F(ArchiveWorkflowTest, TheDestinationComesFromTheFolderBrowser)
{
    Choose(Example("Tools/Tools.vbp"));
    const QString elsewhere = tree.makeFolder("elsewhere");
    dialogs->AnswerFolder(elsewhere);
    window->SavepathDialog(1)->click();
    EXPECT_EQ(window->Text1(2)->text(), elsewhere + "/");
    EXPECT_EQ(dialogs->requests().last().title, "Select the Folder to Archive the Sources to");
    EXPECT_EQ(dialogs->requests().last().flags, 65u);
    dialogs->Cancel();
    window->SavepathDialog(1)->click();
    EXPECT_EQ(window->Text1(2)->text(), elsewhere + "/");
    Archive();
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::Files).size(), 1);
}

// Another run holds the backup folder: the window says so on its status line, keeps repainting,
// and archives once that run is done, under the next free name when it took the chosen one.
TEST_F(ArchiveWorkflowTest, TheWindowWaitsForAnotherRunWritingIntoItsFolder)
{
    Choose(Example("Tools/Tools.vbp"));
    const QString folder = window->Text1(2)->text();
    const QString chosenName = window->Text1(1)->text();
    ASSERT_TRUE(QDir().mkpath(folder));
    tree.write(folder.mid(tree.root().size() + 1) + chosenName, "written meanwhile by the other run");
    QFile lock(folder + ".quenzar.lock");
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_EQ(::flock(lock.handle(), LOCK_EX), 0);
    window->Btn_Valider()->click();
    const QString waiting = "Another archive run is writing into this folder; waiting for it to end:\n" + folder;
    EXPECT_TRUE(SpinUntil([&] { return Shown(window->Label2()) && window->Label2()->text() == waiting; },
                          std::chrono::minutes(1)));
    EXPECT_TRUE(window->IsRunning());
    ::flock(lock.handle(), LOCK_UN);
    WaitForRun(*window);

    EXPECT_EQ(Titles(), QStringList({"Quenzar: Archiving complete !"}));
    EXPECT_EQ(window->Text1(1)->text(), chosenName.chopped(4) + " (2).zip");
    EXPECT_EQ(RunProgram("7zz", {"t", folder + window->Text1(1)->text()}), 0);
    EXPECT_EQ(tree.read(folder.mid(tree.root().size() + 1) + chosenName), "written meanwhile by the other run");
}

TEST_F(ArchiveWorkflowTest, NothingIsArchivedIntoAFolderThatCannotBeMade)
{
    Choose(Example("Tools/Tools.vbp"));
    const QString blocker = tree.write("blocker", "a file where the folder should go");
    window->Text1(2)->setText(blocker + "/backups/");
    Archive();
    EXPECT_EQ(Titles(), QStringList({"Quenzar: The destination folder cannot be created:\r\n" + blocker
                                     + "/backups/\r\n" + blocker + ": Not a directory"}));
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "none", true), "none");
    EXPECT_FALSE(window->Timer1()->isActive());
    EXPECT_TRUE(window->Btn_Valider()->isEnabled());
}

TEST_F(ArchiveWorkflowTest, ArchivesAreRestoredBesideThemselvesWithTheirPassword)
{
    Choose(Example("Tools/Tools.vbp"));
    window->Text1(3)->setText("s3cret");
    Archive();
    const QString archive = window->Text1(2)->text() + window->Text1(1)->text();
    const QString folder = archive.chopped(4);

    messages.messages->passwords = {"wrong", "s3cret"};
    dialogs->AnswerFile(archive);
    Unzip();
    EXPECT_EQ(dialogs->requests().last().title, "Choose the compressed project to unzip");
    EXPECT_EQ(dialogs->requests().last().nameFilters, QStringList({"Zipped Visual Basic Project (*.zip)"}));
    EXPECT_EQ(dialogs->requests().last().startFolder, window->Text1(2)->text()) << "the last backup folder";
    EXPECT_EQ(messages.messages->passwordPrompts.size(), 2);
    EXPECT_TRUE(messages.messages->passwordPrompts[1].contains("not right"));
    EXPECT_TRUE(QFile::exists(folder + "/frmTools.frm"));
    EXPECT_EQ(opener.targets.value(opener.targets.size() - 1), folder);

    QDir(folder).removeRecursively();
    dialogs->AnswerFile(archive);
    Unzip();
    EXPECT_FALSE(QFile::exists(folder + "/frmTools.frm")) << "cancelled at the password prompt";
}

TEST_F(ArchiveWorkflowTest, AnIncompleteArchiveIsRestoredOnlyWhenTheUserAgrees)
{
    Choose(Example("Tools/Tools.vbp"));
    Archive();
    const QString archive = window->Text1(2)->text() + window->Text1(1)->text();
    ASSERT_EQ(RunProgram("7zz", {"d", archive, "frmTools.frx"}), 0);
    messages.messages->shown.clear();

    dialogs->AnswerFile(archive);
    Unzip();
    ASSERT_EQ(messages.messages->shown.size(), 1);
    const auto &warning = messages.messages->shown.first();
    EXPECT_EQ(warning.buttons, MessageButtons::YesNo);
    EXPECT_EQ(warning.icon, MessageIcon::Exclamation);
    EXPECT_TRUE(warning.text.startsWith("This archive is damaged or incomplete:\r\n" + archive))
        << warning.text.toStdString();
    EXPECT_TRUE(warning.text.contains("frmTools.frm needs frmTools.frx beside it")) << warning.text.toStdString();
    EXPECT_FALSE(QFile::exists(archive.chopped(4))) << "answered No";

    messages.messages->answers = {MessageAnswer::Yes};
    dialogs->AnswerFile(archive);
    Unzip();
    EXPECT_TRUE(QFile::exists(archive.chopped(4) + "/frmTools.frm"));
    EXPECT_EQ(opener.targets.value(opener.targets.size() - 1), archive.chopped(4));
}

// A second restore keeps what was changed in the first: it goes into "NAME (2)", which opens.
TEST_F(ArchiveWorkflowTest, ARestoreGoesIntoANewFolderWhichOpens)
{
    Choose(Example("Tools/Tools.vbp"));
    Archive();
    const QString archive = window->Text1(2)->text() + window->Text1(1)->text();
    const QString folder = archive.chopped(4);
    dialogs->AnswerFile(archive);
    Unzip();
    ASSERT_EQ(opener.targets.value(opener.targets.size() - 1), folder);
    QFile edited(folder + "/modTools.bas");
    ASSERT_TRUE(edited.open(QIODevice::WriteOnly) && edited.write("edited") == 6);
    edited.close();

    messages.messages->shown.clear();
    dialogs->AnswerFile(archive);
    Unzip();
    EXPECT_TRUE(messages.messages->shown.isEmpty()) << Titles().join('\n').toStdString();
    EXPECT_EQ(opener.targets.value(opener.targets.size() - 1), folder + " (2)");
    EXPECT_TRUE(QFile::exists(folder + " (2)/frmTools.frm"));
    ASSERT_TRUE(edited.open(QIODevice::ReadOnly));
    EXPECT_EQ(edited.readAll(), "edited");
}

// After the failure at a missing member, the window offers to archive the rest; the archive it
// then writes says what it lacks, and so does the window, at the end and again when restoring.
TEST_F(ArchiveWorkflowTest, AMissingMemberMayBeLeftOutAndTheWindowSaysWhatIsMissing)
{
    const QString project = tree.project("App/App.vbp", {"Form=Main.frm", "Module=gone; gone.bas", "Form=Lost.frm"});
    tree.member("App/Main.frm");
    tree.member("App/Lost.frm", {"Lost.frx"});
    const QString failure = "Archive creation error: An error appears to have occurred...\r\nLine : Module=gone; "
                            "gone.bas\r\nCannot add "
                            + tree.path("App/gone.bas") + ": it does not exist.";
    const QString question = "Quenzar: Module=gone; gone.bas\r\n\r\nArchive the other files all the same, and record "
                             "the missing ones in the archive's comment?";
    Choose(project);
    const QString archive = window->Text1(2)->text() + window->Text1(1)->text();

    Archive(); // answered No
    EXPECT_EQ(Titles(), QStringList({failure, question}));
    EXPECT_FALSE(QFile::exists(archive));
    EXPECT_FALSE(window->Timer1()->isActive());

    messages.messages->shown.clear();
    messages.messages->answers = {MessageAnswer::Yes};
    Archive();
    EXPECT_EQ(Titles(), QStringList({failure, question, "Quenzar: Archiving complete !",
                                     "Quenzar: The archive was written without these files, which were missing (its "
                                     "comment lists them):\r\n\r\nModule=gone; gone.bas\r\nForm=Lost.frm | Lost.frx"}));
    const Outcome<ZipReader> zip = ZipReader::Open(archive);
    ASSERT_TRUE(zip);
    EXPECT_TRUE(zip.value().Comment().endsWith("\r\nModule=gone; gone.bas\r\nForm=Lost.frm | Lost.frx"));
    EXPECT_TRUE(window->Timer1()->isActive());

    messages.messages->shown.clear();
    dialogs->AnswerFile(archive);
    Unzip(); // answered No
    ASSERT_EQ(messages.messages->shown.size(), 1);
    EXPECT_TRUE(messages.messages->shown[0].text.startsWith(
        "This archive was written without these files, which were missing:\r\n" + archive
        + "\r\n\r\nModule=gone; "
          "gone.bas\r\n"))
        << messages.messages->shown[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(archive.chopped(4)));
    messages.messages->answers = {MessageAnswer::Yes};
    dialogs->AnswerFile(archive);
    Unzip();
    EXPECT_TRUE(QFile::exists(archive.chopped(4) + "/Main.frm"));
}

// The bar of a new run starts empty, whatever an earlier run left in it, and counts the bytes of
// the files read and compressed, then written: it moves all through the write and is full at the end.
TEST_F(ArchiveWorkflowTest, TheFileBarStartsEmptyAndMovesThroughTheWrite)
{
    Choose(tree.incompressibleProject("Large/Large.vbp", 4, 2 << 20, 24 << 20));
    QWidget *bar = window->VistaProg1();
    const auto full = [bar] { return bar->property("Value") == bar->property("Max"); };
    EXPECT_FALSE(Shown(bar) && full()) << "chosen, not archived";
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        window->Btn_Valider()->click();
        EXPECT_EQ(bar->property("Value").toInt(), 0) << "the earlier run's full bar is gone";
        QSet<int> writing; // values seen past half the bar: the write under way
        ASSERT_TRUE(SpinUntil(
            [&] {
                const int value = bar->property("Value").toInt();
                if (Shown(bar) && value * 2 > bar->property("Max").toInt() && !full())
                    writing.insert(value);
                return !window->IsRunning();
            },
            std::chrono::minutes(2)));
        EXPECT_GE(writing.size(), 5) << "the bar moved while the archive was written";
        EXPECT_TRUE(Shown(bar) && full());
        EXPECT_EQ(Titles().last(), "Quenzar: Archiving complete !");
    }
}

// What a stopped run leaves beside the user's files: temporary files or folders, archives, or the
// restored folder.
QStringList LeftBehind(const QString &folder, const QStringList &kept)
{
    QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    left.removeOne(".quenzar.lock");
    for (const QString &name : kept)
        left.removeOne(name);
    return left;
}

// Quit, or closing the window, during a long archive run or restore asks first; answered Yes, the
// run stops and the window closes within a second, leaving no temporary file and nothing half made.
TEST_F(ArchiveWorkflowTest, QuittingDuringALongRunAsksThenStopsItAndLeavesNothing)
{
    const QString project = tree.incompressibleProject("Large/Large.vbp", 8, 4 << 20, 40 << 20);
    const QString folder = tree.path("Large/Sources.Backup");
    Choose(project);
    Archive();
    ASSERT_EQ(QDir(folder).entryList({"*.zip"}).size(), 1) << Titles().join('\n').toStdString();
    const QString archive = QDir(folder).filePath(QDir(folder).entryList({"*.zip"}).first());

    const struct {
        const char *what;
        bool restore;
        bool byClosing; // the window's close button, else Quit
    } rows[] = {{"archive, Quit", false, false},
                {"archive, closing the window", false, true},
                {"restore, Quit", true, false},
                {"restore, closing the window", true, true}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        window = std::make_unique<frmMain>();
        window->show();
        messages.messages->shown.clear();
        if (row.restore) {
            dialogs->AnswerFile(archive);
            window->Image1(4)->click();
        } else {
            Choose(project);
            window->Btn_Valider()->click();
        }
        ASSERT_TRUE(window->IsRunning());
        // The file bar counts the restore too, even where it is not shown.
        ASSERT_TRUE(
            SpinUntil([&] { return window->VistaProg1()->property("Value").toInt() > 0; }, std::chrono::minutes(1)));
        messages.messages->answers = {MessageAnswer::Yes};
        QElapsedTimer clock;
        clock.start();
        if (row.byClosing)
            window->close();
        else
            window->Btn_Annuler()->click();
        EXPECT_TRUE(window->isVisible()) << "the window waits for the run to stop";
        EXPECT_TRUE(SpinUntil([&] { return !window->isVisible(); }, std::chrono::seconds(1)))
            << "still open after " << clock.elapsed() << " ms";
        EXPECT_FALSE(window->IsRunning());
        EXPECT_EQ(Titles(), QStringList{"Quenzar: " + (row.restore ? kRestoreNotFinished : kArchivingNotFinished)});
        EXPECT_EQ(messages.messages->shown.value(0).icon, MessageIcon::Question);
        EXPECT_EQ(LeftBehind(folder, {QFileInfo(archive).fileName()}), QStringList());
    }
}

TEST_F(ArchiveWorkflowTest, DroppedFilesAreChosenOrRestored)
{
    const auto drop = [this](const QString &file) { return Drop(file); };
    EXPECT_FALSE(drop(tree.write("notes.txt", "")));
    ASSERT_TRUE(drop(Example("Samples.vbpgroup")));
    EXPECT_TRUE(window->IsGroup());
    ASSERT_TRUE(drop(Example("Tools/Tools.vbp")));
    EXPECT_FALSE(window->IsGroup());
    Archive();
    const QString archive = window->Text1(2)->text() + window->Text1(1)->text();
    ASSERT_TRUE(drop(archive));
    WaitForRun(*window);
    EXPECT_TRUE(QFile::exists(archive.chopped(4) + "/modTools.bas"));
    EXPECT_TRUE(dialogs->requests().isEmpty()) << "no dialog for a dropped file";
}

TEST_F(ArchiveWorkflowTest, TheSmallCommandsOpenWhatTheySay)
{
    window->Image1(1)->click();
    ASSERT_EQ(messages.messages->shown.size(), 1);
    EXPECT_EQ(messages.messages->shown[0].text, "    Toolbox version " + ComponentVersionText() + "    ");
    window->Frame3D2()->clicked();
    window->Image1(2)->click();
    const QString englishHelp = QCoreApplication::applicationDirPath() + "/Help/en.html";
    if (MakerSite().isEmpty())
        EXPECT_EQ(opener.targets, QStringList({englishHelp, englishHelp})) << "the help that comes with the program";
    else
        EXPECT_EQ(opener.targets, QStringList({MakerSite(), MakerSite() + "/Help/Quenzar/"}));

    window->AlphaImgCtl2()->click();
    EXPECT_EQ(window->Text1(3)->echoMode(), QLineEdit::Normal);
    window->AlphaImgCtl2()->click();
    EXPECT_EQ(window->Text1(3)->echoMode(), QLineEdit::Password);

    window->Btn_Annuler()->click();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(ArchiveWorkflowTest, HelpOpensThePageOfTheWindowsLanguage)
{
    if (!MakerSite().isEmpty())
        GTEST_SKIP() << "built with a maker's site: Help opens its pages";
    environment.set("LANG", "fr_FR.UTF-8");
    Program() = ProgramState();
    window = std::make_unique<frmMain>();
    window->Image1(2)->click();
    const QString frenchHelp = QCoreApplication::applicationDirPath() + "/Help/fr.html";
    EXPECT_EQ(opener.targets, QStringList({frenchHelp}));
    EXPECT_TRUE(QFile::exists(frenchHelp));
}

TEST(HelpAddress, TheLocalPageOfTheHelpLanguageUnlessAMakersSiteIsGiven)
{
    TempTree tree;
    for (const char *page : {"Help/en.html", "Help/fr.html", "Help/de.html"})
        tree.write(page, "");
    const QString help = tree.path("Help");
    const struct {
        const char *language;
        const char *page;
    } rows[] = {
        {"en", "en.html"},         {"fr", "fr.html"},
        {"FR", "fr.html"},         // found as the language files are, without regard to case
        {"sv", "en.html"},         // a language without a page of its own
        {"", "en.html"},           // no help language
        {"../Help/de", "en.html"}, // not a language code
    };
    for (const auto &row : rows) {
        EXPECT_EQ(HelpAddress(row.language, "", help), help + '/' + row.page) << row.language;
        EXPECT_EQ(NoticeAddress(row.language, "", help), help + '/' + row.page) << row.language;
    }

    const QString site = "https://a.b.c";
    EXPECT_EQ(HelpAddress("en", site, help), "https://a.b.c/Help/Quenzar/");
    EXPECT_EQ(HelpAddress("fr", site, help),
              "https://a-b-c.translate.goog/Help/Quenzar/?_x_tr_sl=auto&_x_tr_tl=fr&_x_tr_hl=fr&_x_tr_pto=wapp");
    EXPECT_EQ(HelpAddress("EN", site, help), TranslateProxyUrl(site + "/Help/Quenzar/", "EN"))
        << "only the exact \"en\" goes direct";
    EXPECT_EQ(HelpAddress("sv", site, help), TranslateProxyUrl(site + "/Help/Quenzar/", "sv"))
        << "the proxy translates any language";
    EXPECT_EQ(NoticeAddress("fr", site, help), site);

    EXPECT_EQ(HostOf("https://a.b.c/Help/Quenzar/"), "a.b.c");
    EXPECT_EQ(HostOf("a.b.c"), "a.b.c");
    EXPECT_EQ(HostOf("http:\\\\a.b.c\\x"), "a.b.c");
    // A site named without its scheme is a web address all the same.
    EXPECT_EQ(TranslateProxyUrl("a.b.c/Help/", "de"),
              "https://a-b-c.translate.goog/Help/?_x_tr_sl=auto&_x_tr_tl=de&_x_tr_hl=de&_x_tr_pto=wapp");
}

} // namespace
