#include "CommonDialog.h"
#include "QuenzarError.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

const QString ProjectsAndGroups = QStringLiteral(
    "Visual Basic Projects and Groups|*.vbp;*.vbpgroup|Visual Basic Project|*.vbp|VB Project Group|*.vbpgroup");

// The dialog as the program's callers set it up.
CommonDialog ConfiguredDialog(const QString &filter, int filterIndex, quint32 flags)
{
    CommonDialog dialog;
    dialog.SetDialogTitle(QStringLiteral("Choose the project"));
    dialog.SetFileName(QString());
    dialog.SetFilter(filter);
    dialog.SetFilterIndex(filterIndex);
    dialog.SetFlags(flags);
    dialog.SetCancelError(true);
    return dialog;
}

class CommonDialogTest : public ::testing::Test {
protected:
    std::shared_ptr<ScriptedDialogs> dialogs = ScriptedDialogs::Install();
};

TEST_F(CommonDialogTest, FiltersBecomeQtEntriesInOrderWithTheChosenOnePreselected)
{
    const struct {
        const char *proves;
        QString filter;
        int filterIndex;
        QStringList entries;
        int preselected; // index into entries, -1 for none
    } rows[] = {
        {"entries keep their order, the patterns of one entry are joined",
         ProjectsAndGroups,
         1,
         {"Visual Basic Projects and Groups (*.vbp *.vbpgroup)", "Visual Basic Project (*.vbp)",
          "VB Project Group (*.vbpgroup)"},
         0},
        {"the index counts from 1",
         ProjectsAndGroups,
         3,
         {"Visual Basic Projects and Groups (*.vbp *.vbpgroup)", "Visual Basic Project (*.vbp)",
          "VB Project Group (*.vbpgroup)"},
         2},
        {"index 0 gives the first", "Zip|*.zip|All|*", 0, {"Zip (*.zip)", "All (*)"}, 0},
        {"an index past the end gives the first", "Zip|*.zip|All|*", 3, {"Zip (*.zip)", "All (*)"}, 0},
        {"one entry", "Zipped Visual Basic Project|*.zip", 1, {"Zipped Visual Basic Project (*.zip)"}, 0},
        {"blanks around items are dropped", " Projects | *.vbp ; *.vbg ", 1, {"Projects (*.vbp *.vbg)"}, 0},
        {"a description without a pattern at the end is left out", "Projects|*.vbp|Groups", 1, {"Projects (*.vbp)"}, 0},
        {"an entry with an empty pattern is left out and not counted",
         "Projects||Groups|*.vbpgroup",
         1,
         {"Groups (*.vbpgroup)"},
         0},
        {"separators alone are no pattern", "Projects|; ;|Groups|*.vbpgroup", 2, {"Groups (*.vbpgroup)"}, 0},
        {"an entry without a description is its patterns", "|*.vbp;*.frm", 1, {"*.vbp *.frm"}, 0},
        {"a description holding its own patterns in brackets",
         "Projects (*.vbp)|*.vbp",
         1,
         {"Projects (*.vbp) (*.vbp)"},
         0},
        {"no filter, no entries", "", 1, {}, -1},
        {"a lone description, no entries", "Projects", 1, {}, -1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.proves);
        dialogs->AnswerFile(QStringLiteral("/home/u/App.vbp"));
        CommonDialog dialog = ConfiguredDialog(row.filter, row.filterIndex, 0x81000);
        dialog.ShowOpen(nullptr);
        const ScriptedRequest &request = dialogs->requests().constLast();
        EXPECT_EQ(request.nameFilters, row.entries);
        EXPECT_EQ(request.selectedFilter, row.preselected < 0 ? QString() : row.entries[row.preselected]);
    }
}

TEST_F(CommonDialogTest, TheFileMustExistOnlyWhenTheFlagsSaySo)
{
    const struct {
        quint32 flags;
        bool mustExist;
    } rows[] = {{0x81000, true}, {0x80000, false}, {0x1000, true}, {0, false}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.flags);
        dialogs->AnswerFile(QStringLiteral("/home/u/New.vbpgroup"));
        CommonDialog dialog = ConfiguredDialog(QStringLiteral("VB Project Group|*.vbpgroup"), 1, row.flags);
        dialog.ShowOpen(nullptr);
        EXPECT_EQ(dialogs->requests().constLast().mustExist, row.mustExist);
    }
}

TEST_F(CommonDialogTest, AChoiceLeavesTheFullPathAndTheDialogGetsTitleStartFolderAndOwner)
{
    QWidget owner;
    dialogs->AnswerFile(QStringLiteral("/home/ümit/備份/MyApp 1.0.0.20240101120000.zip"));
    CommonDialog dialog = ConfiguredDialog(QStringLiteral("Zipped Visual Basic Project|*.zip"), 1, 0x81000);
    dialog.SetDialogTitle(QStringLiteral("Choose the compressed project to unzip"));
    dialog.SetInitDir(QStringLiteral("/home/ümit/備份"));
    dialog.ShowOpen(&owner);

    EXPECT_EQ(dialog.FileName(), QStringLiteral("/home/ümit/備份/MyApp 1.0.0.20240101120000.zip"));
    ASSERT_EQ(dialogs->requests().size(), 1);
    const ScriptedRequest &request = dialogs->requests()[0];
    EXPECT_EQ(request.kind, ScriptedRequest::Kind::File);
    EXPECT_EQ(request.owner, &owner);
    EXPECT_EQ(request.title, QStringLiteral("Choose the compressed project to unzip"));
    EXPECT_EQ(request.startFolder, QStringLiteral("/home/ümit/備份"));
    EXPECT_EQ(dialogs->pending(), 0);
}

TEST_F(CommonDialogTest, ACancelRaisesOnlyWithCancelErrorAndNeverLeavesAName)
{
    for (const bool cancelError : {true, false}) {
        SCOPED_TRACE(cancelError);
        dialogs->Cancel();
        CommonDialog dialog = ConfiguredDialog(QStringLiteral("Visual Basic Project|*.vbp"), 1, 0x81000);
        dialog.SetCancelError(cancelError);
        dialog.SetFileName(QStringLiteral("/home/u/Earlier.vbp"));
        try {
            dialog.ShowOpen(nullptr);
            EXPECT_FALSE(cancelError) << "a cancel with CancelError must raise";
        } catch (const QuenzarError &error) {
            EXPECT_TRUE(cancelError) << "a cancel without CancelError must not raise";
            EXPECT_EQ(error.Number(), 32755);
            EXPECT_EQ(error.Source(), QStringLiteral("CommonDialog"));
            EXPECT_EQ(error.Description(), QStringLiteral("Cancel was selected."));
        }
        EXPECT_EQ(dialogs->requests().constLast().fileName, QStringLiteral("/home/u/Earlier.vbp"));
        EXPECT_EQ(dialog.FileName(), QString());
    }
}

// The real dialog, on the offscreen platform.

// As the user types into the name box, which has the focus.
void TypeFileName(QFileDialog &dialog, const QString &path)
{
    auto *nameBox = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(nameBox, nullptr);
    nameBox->setText(path);
}

class CommonDialogOnScreenTest : public ::testing::Test {
protected:
    TempTree tree;
};

TEST_F(CommonDialogOnScreenTest, TheQtDialogOffersTheFiltersAndReturnsTheChosenFile)
{
    const QString project = tree.write("Projects/App.vbp", "Type=Exe\r\n");
    CommonDialog dialog = ConfiguredDialog(ProjectsAndGroups, 2, 0x81000);
    dialog.SetInitDir(tree.path("Projects"));
    WhenFileDialogShown([&](QFileDialog &shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Choose the project"));
        EXPECT_EQ(shown.nameFilters(), QStringList({"Visual Basic Projects and Groups (*.vbp *.vbpgroup)",
                                                    "Visual Basic Project (*.vbp)", "VB Project Group (*.vbpgroup)"}));
        EXPECT_EQ(shown.selectedNameFilter(), QStringLiteral("Visual Basic Project (*.vbp)"));
        EXPECT_EQ(shown.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(shown.acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(shown.directory().absolutePath(), tree.path("Projects"));
        TypeFileName(shown, project);
        static_cast<QDialog &>(shown).accept(); // as the Open button does
    });
    dialog.ShowOpen(nullptr);
    EXPECT_EQ(dialog.FileName(), project);
}

TEST_F(CommonDialogOnScreenTest, TheQtSaveDialogTakesANewFileAndAsksNothingOfAnExistingOne)
{
    const QString group = tree.path("New.vbpgroup");
    CommonDialog dialog = ConfiguredDialog(QStringLiteral("VB Project Group|*.vbpgroup"), 1, 0x80000);
    dialog.SetInitDir(tree.root());
    WhenFileDialogShown([&](QFileDialog &shown) {
        ASSERT_EQ(shown.fileMode(), QFileDialog::AnyFile);
        EXPECT_EQ(shown.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(shown.testOption(QFileDialog::DontConfirmOverwrite));
        TypeFileName(shown, group);
        static_cast<QDialog &>(shown).accept(); // as the Save button does
    });
    dialog.ShowSave(nullptr);
    EXPECT_EQ(dialog.FileName(), group);

    dialog.SetFlags(0x80000 | CommonDialog::OverwritePrompt);
    WhenFileDialogShown([&](QFileDialog &shown) {
        EXPECT_FALSE(shown.testOption(QFileDialog::DontConfirmOverwrite));
        shown.reject();
    });
    EXPECT_THROW(dialog.ShowSave(nullptr), QuenzarError);
}

TEST_F(CommonDialogOnScreenTest, CancellingTheQtDialogRaises)
{
    CommonDialog dialog = ConfiguredDialog(ProjectsAndGroups, 1, 0x81000);
    WhenFileDialogShown([](QFileDialog &shown) { shown.reject(); });
    EXPECT_THROW(dialog.ShowOpen(nullptr), QuenzarError);
    EXPECT_EQ(dialog.FileName(), QString());
}

} // namespace
