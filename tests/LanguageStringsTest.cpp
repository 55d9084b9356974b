#include "LanguageStrings.h"
#include "TempTree.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A program folder holding one language file "tst.lng".
class LanguageStringsTest : public ::testing::Test {
protected:
    QString Program(const QByteArray &languageFile) const
    {
        tree.write("program/Lng/tst.lng", languageFile);
        return tree.path("program");
    }

    TempTree tree;
};

// Each test runs in a process of its own under CTest; run alone, this one must come first.
TEST_F(LanguageStringsTest, BeforeLoadingEveryTextIsItsDefault)
{
    EXPECT_EQ(LocalString(1, "Backup Subfolder Name :"), "Backup Subfolder Name :");
}

TEST_F(LanguageStringsTest, BarsBecomeLineBreaksAndEmptyOrMissingTextsGiveTheDefault)
{
    LoadStrings("tst", Program("[Strings]\r\nString1=two|lines\r\nString2=###END###\r\nString3=after the end\r\n"));
    EXPECT_EQ(LocalString(1, "default"), "two\r\nlines");
    EXPECT_EQ(LocalString(2, "second"), "second");
    EXPECT_EQ(LocalString(3, "third"), "third");
    EXPECT_EQ(LocalString(0, "zero"), "zero");
    EXPECT_EQ(LocalString(-4, "negative"), "negative");
    EXPECT_EQ(LocalString(99, "a|b"), "a\r\nb");

    LoadStrings("tst", Program("[Strings]\r\nString1=\r\nString2=Second\r\nString3=###END###\r\n"));
    EXPECT_EQ(LocalString(1, "first"), "first");
    EXPECT_EQ(LocalString(2, "default"), "Second");
}

TEST_F(LanguageStringsTest, OnlyTheExactMarkerEndsTheTable)
{
    LoadStrings("tst", Program("[Strings]\r\nString1=###end###\r\nString2=###END###\r\n"));
    EXPECT_EQ(LocalString(1, "default"), "###end###");
    LoadStrings("tst", Program("[Strings]\r\nString5=five\r\nString40000=beyond\r\n"));
    EXPECT_EQ(LocalString(5, "default"), "five");
    EXPECT_EQ(LocalString(32000, "last"), "last");
    EXPECT_EQ(LocalString(32001, "past"), "past");
    LoadStrings("nothing", Program(""));
    EXPECT_EQ(LocalString(1, "missing file"), "missing file");
}

// A small window as the group editor is built: labels in a control array, text boxes, buttons.
struct SmallWindow {
    SmallWindow()
    {
        window.setObjectName("frmGroup");
        window.setWindowTitle("Built-in title");
        for (QObject *object :
             std::initializer_list<QObject *>{&label3, &bareLabel, &nameBox, &group, &save, &timer, &action})
            object->setParent(&window);
        label3.setObjectName("Label1");
        label3.setProperty("index", 3);
        label3.setText("Group name :");
        bareLabel.setObjectName("Label1");
        bareLabel.setText("unchanged");
        nameBox.setObjectName("Text1");
        nameBox.setProperty("index", 1);
        nameBox.setText("the user's group");
        group.setObjectName("Frame3D1");
        save.setObjectName("btn_Group");
        save.setText("Save and use this project group");
        timer.setObjectName("Timer1");
        action.setObjectName("mnuQuit");
    }

    QWidget window;
    QLabel label3, bareLabel;
    QLineEdit nameBox;
    QGroupBox group;
    QPushButton save;
    QTimer timer;
    QAction action{nullptr};
};

TEST_F(LanguageStringsTest, TranslateFormSetsTitleCaptionsAndToolTipsByNameAndIndex)
{
    const QString program = Program("[frmGroup]\r\nForm=Groupe de projets\r\nLabel13=Nom du groupe :\r\n"
                                    "Label13ToolTipText=Le nom\r\nLabel1=not for an element of the array\r\n"
                                    "Text11=never a caption\r\nText11ToolTipText=Nom du groupe\r\nFrame3D1=Cadre\r\n"
                                    "btn_Group=Enregistrer|et utiliser\r\nbtn_GroupToolTipText=\r\nTimer1=nothing\r\n"
                                    "mnuQuit=&Quitter\r\n");
    SmallWindow small;
    TranslateForm(&small.window, "tst", program);
    EXPECT_EQ(small.window.windowTitle(), "Groupe de projets");
    EXPECT_EQ(small.label3.text(), "Nom du groupe :");
    EXPECT_EQ(small.label3.toolTip(), "Le nom");
    EXPECT_EQ(small.bareLabel.text(), "not for an element of the array") << "its key is Label1, having no index";
    EXPECT_EQ(small.nameBox.text(), "the user's group") << "a text box has no caption";
    EXPECT_EQ(small.nameBox.toolTip(), "Nom du groupe");
    EXPECT_EQ(small.group.title(), "Cadre");
    EXPECT_EQ(small.save.text(), "Enregistrer|et utiliser") << "bars are not translated here";
    EXPECT_EQ(small.save.toolTip(), "") << "an empty value keeps the built-in text";
    EXPECT_EQ(small.action.text(), "&Quitter");
}

TEST_F(LanguageStringsTest, AWindowWithoutItsSectionKeepsItsTexts)
{
    const QString program = Program("[frmMain]\r\nForm=Autre fenêtre\r\nLabel13=Autre\r\n");
    SmallWindow small;
    TranslateForm(&small.window, "tst", program);
    EXPECT_EQ(small.window.windowTitle(), "Built-in title");
    EXPECT_EQ(small.label3.text(), "Group name :");
}

} // namespace
