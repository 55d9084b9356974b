#include "Frame3D.h"
#include "GroupFile.h"
#include "LanguageStrings.h"
#include "RecordingMessages.h"
#include "ScopedEnvironment.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "WhenShown.h"
#include "frmGroup.h"
#include "frmMain.h"
#include "modMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

QStringList Rows(const QListWidget *list)
{
    QStringList rows;
    for (int row = 0; row < list->count(); ++row)
        rows.append(list->item(row)->text());
    return rows;
}

// The group editor as the main window opens it, with its dialogs and messages answered by the test.
class GroupEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Program() = ProgramState();
        LoadStrings("eng");
        editor.show();
        editor.activateWindow();
        QApplication::processEvents();
    }

    // A project file on disk, as the dialogs would give it.
    QString Project(const QString &relative) const { return tree.write(relative, "Type=Exe\r\n"); }

    void Fill(const QString &groupFile)
    {
        editor.Text1(0)->setText(groupFile);
        editor.Text1(1)->setText("Nightly");
        editor.Text1(2)->setText(Project("Main/Main.vbp"));
        editor.List1()->addItem(Project("Lib/Lib.vbp"));
    }

    TempTree tree;
    std::shared_ptr<ScriptedDialogs> dialogs = ScriptedDialogs::Install();
    MessagesGuard messages;
    frmGroup editor;
};

TEST_F(GroupEditorTest, ANewGroupFileIsCreatedOnlyWhenTheUserSaysYes)
{
    editor.Text1(1)->setText("kept");
    dialogs->AnswerFile(tree.path("Nightly"));
    messages.messages->answers = {MessageAnswer::No};
    editor.DBpathDialog(0)->click();
    EXPECT_EQ(editor.Text1(1)->text(), "kept") << "No changes nothing";

    ASSERT_EQ(dialogs->requests().size(), 1);
    const ScriptedRequest &request = dialogs->requests()[0];
    EXPECT_EQ(request.title, "Choose the project group to create or modify...");
    EXPECT_EQ(request.nameFilters, QStringList({"VB Project Group (*.vbpgroup)"}));
    EXPECT_FALSE(request.mustExist);
    EXPECT_TRUE(request.save) << "a desktop's open chooser would take no new name";
    EXPECT_FALSE(request.confirmOverwrite);
    ASSERT_EQ(messages.messages->shown.size(), 1);
    EXPECT_EQ(messages.messages->shown[0].title, "Create a project group");
    EXPECT_TRUE(messages.messages->shown[0].text.startsWith(
        tree.path("Nightly.vbpgroup") + "\r\nThis file doesn't exist. Do you want to create it ?"));
    EXPECT_EQ(messages.messages->shown[0].icon, MessageIcon::Question);

    dialogs->AnswerFile(tree.path("Nightly.vbpgroup"));
    messages.messages->answers = {MessageAnswer::Yes};
    editor.DBpathDialog(0)->click();
    EXPECT_EQ(editor.Text1(0)->text(), tree.path("Nightly.vbpgroup"));
    EXPECT_EQ(editor.Text1(1)->text(), "");
    EXPECT_EQ(QApplication::focusWidget(), editor.Text1(1));
    EXPECT_FALSE(tree.exists("Nightly.vbpgroup")) << "the file is made only by saving";

    dialogs->Cancel();
    editor.DBpathDialog(0)->click();
    EXPECT_EQ(editor.Text1(0)->text(), tree.path("Nightly.vbpgroup"));
}

TEST_F(GroupEditorTest, AnExistingGroupIsLoadedWithItsDefaultFolderWhenItHasNone)
{
    const QString group =
        tree.write("Nightly.vbpgroup", "Nightly\r\n/dev/Main/Main.vbp\r\n[PATH]\r\n/dev/Lib/Lib.vbp\r\n\r\n");
    dialogs->AnswerFile(group);
    editor.DBpathDialog(0)->click();
    EXPECT_EQ(editor.Text1(0)->text(), group);
    EXPECT_EQ(editor.Text1(1)->text(), "Nightly");
    EXPECT_EQ(editor.Text1(2)->text(), "/dev/Main/Main.vbp");
    EXPECT_EQ(editor.Text1(3)->text(), "/dev/Main/Sources.Backup/");
    EXPECT_EQ(Rows(editor.List1()), QStringList({"/dev/Lib/Lib.vbp", ""}));

    // Typed without its extension, the same group is found: never replaced unseen by a new one.
    editor.Text1(1)->clear();
    dialogs->AnswerFile(tree.path("Nightly"));
    editor.DBpathDialog(0)->click();
    EXPECT_EQ(editor.Text1(0)->text(), group);
    EXPECT_EQ(editor.Text1(1)->text(), "Nightly");
    EXPECT_TRUE(messages.messages->shown.isEmpty());
}

TEST_F(GroupEditorTest, TheMainProjectBringsItsDefaultFolderAndTheFolderButtonAppendsSourcesBackup)
{
    editor.Text1(3)->setText("/loaded/from/the/file/");
    const QString main = Project("Dev/Main/Main.vbp");
    dialogs->AnswerFile(main);
    editor.SavepathDialog(1)->click();
    EXPECT_EQ(editor.Text1(2)->text(), main);
    EXPECT_EQ(editor.Text1(3)->text(), tree.path("Dev/Main/Sources.Backup/"));
    EXPECT_EQ(dialogs->requests().last().title, "Choose the main project for the Visual Basic© group to be archived");
    EXPECT_EQ(dialogs->requests().last().nameFilters, QStringList({"Visual Basic Project (*.vbp)"}));
    EXPECT_TRUE(dialogs->requests().last().mustExist);

    const QString backups = tree.makeFolder("Backups");
    dialogs->AnswerFolder(backups);
    editor.SetPathDialog(0)->click();
    EXPECT_EQ(editor.Text1(3)->text(), backups + "/Sources.Backup/");
    EXPECT_EQ(dialogs->requests().last().title, "Select the Folder to Archive the Sources to");
    EXPECT_EQ(dialogs->requests().last().flags, 65u);
    EXPECT_EQ(dialogs->requests().last().selections, QStringList({tree.path("Dev/Main")}))
        << "the main project's folder is preselected";
    EXPECT_EQ(QApplication::focusWidget(), editor.Text1(1));

    dialogs->Cancel();
    editor.SetPathDialog(0)->click();
    EXPECT_EQ(editor.Text1(3)->text(), backups + "/Sources.Backup/");
}

TEST_F(GroupEditorTest, ProjectsAreAddedAsChosenAndRemovedOnlyOnYes)
{
    const QString lib = Project("Lib/Lib.vbp");
    dialogs->AnswerFile(lib);
    dialogs->AnswerFile(lib);
    editor.btn_Plus()->click();
    editor.btn_Plus()->click();
    EXPECT_EQ(Rows(editor.List1()), QStringList({lib, lib})) << "no check for duplicates";
    EXPECT_EQ(dialogs->requests().last().nameFilters, QStringList({"Visual Basic project (*.vbp)"}));

    editor.btn_Moins()->click();
    EXPECT_TRUE(messages.messages->shown.isEmpty()) << "no row selected, no question";

    editor.List1()->setCurrentRow(1);
    messages.messages->answers = {MessageAnswer::No};
    editor.btn_Moins()->click();
    EXPECT_EQ(editor.List1()->count(), 2);
    EXPECT_TRUE(editor.List1()->selectedItems().isEmpty());
    ASSERT_EQ(messages.messages->shown.size(), 1);
    EXPECT_EQ(messages.messages->shown[0].title, "Deleting...");
    EXPECT_EQ(messages.messages->shown[0].text, "Are you sure you want to delete the project :\r\n" + lib);

    editor.List1()->setCurrentRow(0);
    messages.messages->answers = {MessageAnswer::Yes};
    editor.btn_Moins()->click();
    EXPECT_EQ(Rows(editor.List1()), QStringList({lib}));
    EXPECT_TRUE(editor.List1()->selectedItems().isEmpty());
}

TEST_F(GroupEditorTest, EachMissingFieldIsToldInOrderAndGetsTheFocus)
{
    struct Step {
        std::function<void()> complete;
        QString message;
        QWidget *focus;
    };
    const QList<Step> steps{
        {[] {}, "Please select the project group file name !", editor.Text1(0)},
        {[this] { editor.Text1(0)->setText(tree.path("g.vbpgroup")); }, "Please enter the project group name !",
         editor.Text1(1)},
        {[this] { editor.Text1(1)->setText("   "); }, "Please choose the main project for the project group !",
         editor.Text1(2)},
        {[this] { editor.Text1(2)->setText(Project("Main/Main.vbp")); },
         "A project group must contain multiple projects !", editor.btn_Plus()},
    };
    for (const Step &step : steps) {
        step.complete();
        messages.messages->shown.clear();
        editor.btn_Group()->click();
        ASSERT_EQ(messages.messages->shown.size(), 1);
        EXPECT_EQ(messages.messages->shown[0].text, step.message);
        EXPECT_EQ(messages.messages->shown[0].title, "Input error");
        EXPECT_EQ(messages.messages->shown[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(QApplication::focusWidget(), step.focus) << step.message.toStdString();
        EXPECT_FALSE(tree.exists("g.vbpgroup"));
    }
}

TEST_F(GroupEditorTest, SavingWritesTheGroupAndHandsItsPathToTheMainWindow)
{
    const QString group = tree.path("Nightly.vbpgroup");
    Fill(group);
    editor.List1()->addItem("");
    editor.btn_Group()->click();
    EXPECT_EQ(editor.result(), QDialog::Accepted);
    EXPECT_EQ(editor.SavedGroupFile(), group);
    const Outcome<GroupForEditing> saved = ReadGroupFileForEditing(group);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved.value().GroupName, "Nightly");
    EXPECT_EQ(saved.value().FurtherProjects, QStringList({tree.path("Lib/Lib.vbp"), ""}))
        << "an empty row is written back";
    EXPECT_TRUE(tree.read("Nightly.vbpgroup").contains("\r\n[PATH]\r\n")) << "no folder chosen: an empty [PATH] line";
}

TEST_F(GroupEditorTest, AFailedSaveIsToldAndTheEditorKeepsEverything)
{
    Fill(tree.path("no/such/folder/Nightly.vbpgroup"));
    editor.btn_Group()->click();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_NE(editor.result(), QDialog::Accepted);
    EXPECT_EQ(editor.SavedGroupFile(), "");
    ASSERT_EQ(messages.messages->shown.size(), 1);
    EXPECT_EQ(messages.messages->shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(messages.messages->shown[0].text, "The project group could not be saved:\r\nCannot save "
                                                    + tree.path("no/such/folder/Nightly.vbpgroup")
                                                    + ": No such file or directory");
    EXPECT_EQ(editor.Text1(1)->text(), "Nightly");
    EXPECT_EQ(editor.List1()->count(), 1);
}

TEST(GroupEditorRoundTrip, TheMainWindowOpensTheGroupItsEditorSaved)
{
    TempTree tree;
    ScopedEnvironment environment("XDG_CONFIG_HOME", tree.makeFolder("config").toUtf8());
    environment.set("XDG_CONFIG_DIRS", tree.makeFolder("machine").toUtf8());
    MessagesGuard messages;
    Program() = ProgramState();
    frmMain window;
    const QString group = tree.path("Nightly.vbpgroup");
    WhenShown<frmGroup>([&](frmGroup &editor) {
        editor.Text1(0)->setText(group);
        editor.Text1(1)->setText("Nightly");
        editor.Text1(2)->setText(tree.write("Main/Main.vbp", "Type=Exe\r\n"));
        editor.List1()->addItem(tree.write("Lib/Lib.vbp", "Type=Exe\r\n"));
        editor.btn_Group()->click();
    });
    window.Tessbutton1()->click();
    EXPECT_TRUE(window.IsGroup());
    EXPECT_EQ(window.Text1(0)->text(), group);
    EXPECT_EQ(window.Text1(1)->text(), "Nightly");
    EXPECT_EQ(window.Text1(2)->text(), tree.path("Main/Sources.Backup/"));
    EXPECT_TRUE(window.Frame3D3()->isVisibleTo(&window));

    // Closing the editor without saving while the box names a project leaves the panel hidden.
    window.Text1(0)->setText(tree.path("Main/Main.vbp"));
    WhenShown<frmGroup>([](frmGroup &editor) { editor.Btn_Annuler()->click(); });
    window.Tessbutton1()->click();
    EXPECT_FALSE(window.Frame3D3()->isVisibleTo(&window));
}

} // namespace
