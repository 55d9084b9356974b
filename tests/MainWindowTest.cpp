#include "ClickableImage.h"
#include "CorvaRegSettings.h"
#include "Frame3D.h"
#include "RecordingMessages.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "UserEnvironment.h"
#include "IniFile.h"
#include "frmGroup.h"
#include "frmMain.h"
#include "modMain.h"

#include <QDate>
#include <QSet>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// A main window started as the program starts it, with settings in folders of the test's own.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { UseOwnUser(environment, tree); }

    std::unique_ptr<frmMain> Start(const QStringList &arguments = {"quenzar"})
    {
        Program() = ProgramState();
        Program().CommandLine = CommandLineOf(arguments);
        return std::make_unique<frmMain>();
    }

    TempTree tree;
    ScopedEnvironment environment;
    MessagesGuard messages;
};

bool ShownIn(const QWidget *widget, const frmMain &window) { return widget->isVisibleTo(&window); }

TEST_F(MainWindowTest, StartsInTheStartStateWithItsVersionTexts)
{
    const auto window = Start();
    EXPECT_EQ(window->windowTitle(), "Visual Basic 6 Sources Archiver");
    EXPECT_FALSE(ShownIn(window->Frame3D3(), *window));
    EXPECT_FALSE(ShownIn(window->CorvaOpenThe(), *window)) << "no LastDir yet";
    EXPECT_FALSE(window->IsGroup());
    const QString version = ProgramVersionText();
    EXPECT_EQ(window->lblLabel4()->text(), "Version " + version);
    EXPECT_EQ(window->Image1(3)->toolTip(), "    Version " + version + "    ");
    EXPECT_EQ(window->Label3()->toolTip(), "    Version " + version + "    ");
    EXPECT_EQ(window->Frame3D2()->toolTip(), "    Version " + version + "    ");
    EXPECT_TRUE(window->Image1(1)->toolTip().startsWith("    Toolbox version libzip "));
    EXPECT_TRUE(window->Image1(1)->toolTip().endsWith("    "));
    EXPECT_TRUE(window->Frame3D2()->text().endsWith("-" + QString::number(QDate::currentDate().year())));
    EXPECT_EQ(window->CorvaOpenThe()->text(), "Open the last backup folder...");
    EXPECT_STREQ(window->VistaProg1()->metaObject()->className(), "VistaProg") << "created from Pellund";
    EXPECT_FALSE(ShownIn(window->VistaProg1(), *window));
    EXPECT_EQ(Program().HelpLanguage, "en");
    EXPECT_TRUE(messages.messages->shown.isEmpty());
}

TEST_F(MainWindowTest, TheLastBackupFolderButtonShowsOnlyWhenOneIsKnown)
{
    SaveRegSetting("Quenzar", "Files", "LastDir", tree.makeFolder("backups") + '/', true);
    const auto window = Start();
    EXPECT_TRUE(ShownIn(window->CorvaOpenThe(), *window));
}

TEST_F(MainWindowTest, AGroupOnTheCommandLineIsOpenedReadyToArchive)
{
    tree.write("Dev/Main/Main.vbp", "Type=Exe\r\nName=\"Main\"\r\n");
    const QString group =
        tree.write("Dev/Nightly.VBPGROUP", "Nightly\r\nMain/Main.vbp\r\n[PATH]\r\nLib/Lib.vbp\r\n\r\n");
    const auto window = Start({"quenzar", '"' + group + '"'});
    EXPECT_TRUE(window->IsGroup());
    EXPECT_EQ(window->Text1(0)->text(), group);
    EXPECT_EQ(window->Label1(1)->text(), "Backup Subfolder Name :");
    EXPECT_EQ(window->Text1(1)->text(), "Nightly");
    EXPECT_EQ(window->Text1(2)->text(), tree.path("Dev/Main/Sources.Backup/"));
    ASSERT_EQ(window->List1()->count(), 3);
    EXPECT_EQ(window->List1()->item(0)->text(), "Main/Main.vbp");
    EXPECT_EQ(window->List1()->item(2)->text(), "") << "a blank line is an entry";
    EXPECT_TRUE(ShownIn(window->Frame3D3(), *window));
    EXPECT_TRUE(ShownIn(window->SavepathDialog(1), *window));
}

TEST_F(MainWindowTest, AnyOtherCommandLineLeavesTheStartState)
{
    const QString project = tree.write("App.vbp", "Type=Exe\r\nName=\"App\"\r\n");
    const QString unreadable = tree.write("Broken.vbpgroup", "");
    for (const QStringList &arguments : QList<QStringList>{
             {"quenzar", tree.path("Missing.vbpgroup")}, {"quenzar", tree.path("Missing.vbp")}, {"quenzar"}}) {
        const auto window = Start(arguments);
        EXPECT_FALSE(window->IsGroup()) << arguments.join(' ').toStdString();
        EXPECT_FALSE(ShownIn(window->Frame3D3(), *window));
    }
    EXPECT_TRUE(messages.messages->shown.isEmpty());

    const auto opened = Start({"quenzar", project});
    EXPECT_FALSE(opened->IsGroup());
    EXPECT_TRUE(ShownIn(opened->Frame3D3(), *opened)) << "a project from the file manager is chosen";
    EXPECT_EQ(opened->Text1(1)->text().left(4), "App ");

    const auto window = Start({"quenzar", unreadable});
    EXPECT_FALSE(ShownIn(window->Frame3D3(), *window));
    ASSERT_EQ(messages.messages->shown.size(), 1) << "an existing group that cannot be read is said so";
    EXPECT_EQ(messages.messages->shown[0].title, "Quenzar");
    EXPECT_EQ(messages.messages->shown[0].text, "The project group cannot be read:\r\n" + unreadable + " is empty.");
}

TEST_F(MainWindowTest, TheCommandLineLosesEveryDoubleQuote)
{
    EXPECT_EQ(CommandLineOf({"quenzar", "\"/home/u/My \"Group\".vbpgroup\""}), "/home/u/My Group.vbpgroup");
    EXPECT_EQ(CommandLineOf({"quenzar", "/home/u/My", "Group.vbpgroup"}), "/home/u/My Group.vbpgroup");
    EXPECT_EQ(CommandLineOf({"quenzar"}), "");
}

TEST_F(MainWindowTest, AFrenchUserGetsTheFrenchWindow)
{
    environment.set("LANG", "fr_FR.UTF-8");
    const auto window = Start();
    EXPECT_EQ(Program().CurrentLanguage, "fra");
    EXPECT_EQ(Program().HelpLanguage, "fr");
    EXPECT_NE(window->windowTitle(), "Visual Basic 6 Sources Archiver");
    EXPECT_NE(window->Tessbutton1()->text(), "Create or modify a project group");
    EXPECT_NE(window->CorvaOpenThe()->text(), "Open the last backup folder...");
    EXPECT_TRUE(window->Frame3D2()->text().endsWith("2026-" + QString::number(QDate::currentDate().year())));
}

// The language files are Windows-1252 under any locale: a Japanese user gets the English window
// with its "©", a French one whose ANSI code page is Cyrillic "Créer", not "Crйer".
TEST_F(MainWindowTest, TheWindowsTextsReadAsWrittenWhateverTheCodePage)
{
    environment.set("LANG", "ja_JP.UTF-8");
    const auto english = Start();
    EXPECT_EQ(Program().CurrentLanguage, "eng");
    EXPECT_EQ(english->Label1(0)->text(), "Visual Basic© Project or Project Group to Back Up:");

    environment.set("LANG", "fr_FR.UTF-8");
    environment.set("QUENZAR_CODEPAGE", "windows-1251");
    const auto french = Start();
    EXPECT_EQ(Program().CurrentLanguage, "fra");
    EXPECT_EQ(french->Tessbutton1()->text(), "Créer ou modifier un groupe de projets");
}

} // namespace

namespace {

// Every key of a window's section in the English file names one of its controls, and every
// control that shows a built-in caption has its key, so that no text escapes translation.
void ExpectKeysMatchControls(QWidget &window, const QStringList &setAtRunTime)
{
    const QString file = QStringLiteral(QUENZAR_LNG "/eng.lng");
    const auto keys = IniFile::SectionValues(file, window.objectName());
    ASSERT_TRUE(keys) << window.objectName().toStdString();
    QSet<QString> controls;
    for (QObject *control : window.findChildren<QObject *>()) {
        if (control->objectName().isEmpty())
            continue;
        const QVariant index = control->property("index");
        const QString id =
            (index.isValid() ? control->objectName() + index.toString() : control->objectName()).toCaseFolded();
        controls.insert(id);
        const QString caption =
            control->property(control->inherits("QLineEdit") ? "placeholderText" : "text").toString();
        if (!caption.isEmpty() && !setAtRunTime.contains(control->objectName())) {
            EXPECT_TRUE(keys->contains(id)) << window.objectName().toStdString() << ": no key for " << id.toStdString();
        }
    }
    for (const QString &key : keys->keys()) {
        const QString id = key.endsWith("tooltiptext") ? key.chopped(11) : key;
        EXPECT_TRUE(id == "form" || controls.contains(id))
            << window.objectName().toStdString() << ": stale key " << key.toStdString();
    }
}

TEST_F(MainWindowTest, TheLanguageFilesKnowEveryControlOfBothWindows)
{
    const auto window = Start();
    ExpectKeysMatchControls(*window, {"Label2", "lblLabel4"});
    frmGroup editor;
    ExpectKeysMatchControls(editor, {});
}

} // namespace
