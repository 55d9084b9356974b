// window-screenshots OUT_FOLDER EXAMPLES_FOLDER: renders the main window (start state and a group
// ready to archive) and the group editor (filled), in English and in French, to PNG files, to look
// at the windows as a user sees them.
#include "frmGroup.h"
#include "frmMain.h"
#include "modMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void Save(QWidget &window, const QString &file)
{
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(file))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

void RenderLanguage(const QString &out, const QString &examples, const char *locale, const QString &suffix)
{
    qputenv("LANG", locale);
    Program() = ProgramState();
    {
        frmMain window;
        Save(window, out + "/main-start-" + suffix + ".png");
    }
    Program().CommandLine = examples + "/Samples.vbpgroup";
    frmMain window;
    Save(window, out + "/main-group-" + suffix + ".png");

    frmGroup editor(window.Text1(0), &window);
    editor.Text1(0)->setText(examples + "/Samples.vbpgroup");
    editor.Text1(1)->setText("Samples");
    editor.Text1(2)->setText(examples + "/Inventory/Inventory.vbp");
    editor.List1()->addItems({examples + "/Tools/Tools.vbp", examples + "/Reports/Reports.vbp"});
    editor.Text1(3)->setText(examples + "/Inventory/Sources.Backup/");
    Save(editor, out + "/group-editor-" + suffix + ".png");
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.filePath("user").toUtf8());
    qputenv("XDG_CONFIG_DIRS", settings.filePath("machine").toUtf8());
    qunsetenv("LC_ALL");
    qunsetenv("LC_MESSAGES");
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: window-screenshots OUT_FOLDER EXAMPLES_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString examples = QString::fromLocal8Bit(argv[2]);
    RenderLanguage(out, examples, "en_US.UTF-8", "en");
    RenderLanguage(out, examples, "fr_FR.UTF-8", "fr");
    return 0;
}
