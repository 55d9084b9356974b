// window-screenshots OUT_FOLDER EXAMPLES_FOLDER: renders the main window (start state, a group ready
// to archive, a project ready with Windows line ends ticked, a group being archived and archived),
// the group editor (filled) and the messages of a project with a missing member archived without
// it, in English and in French, to PNG files, to look at the windows as a user sees them. The
// archives are written into EXAMPLES_FOLDER: give it a copy.
#include "UserMessages.h"
#include "frmGroup.h"
#include "frmMain.h"
#include "modMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVariant>
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

// The run goes on a thread of its own: the event loop runs until it has shown its result.
void ArchiveAndWait(frmMain &window)
{
    QEventLoop loop;
    QObject::connect(&window, &frmMain::runFinished, &loop, &QEventLoop::quit);
    window.Btn_Valider()->click();
    if (window.IsRunning())
        loop.exec();
}

// At the end of a run the window shows its message: the picture is taken then, bars complete.
class PictureAtMessage : public UserMessages {
public:
    PictureAtMessage(QWidget &window, QString file) : window_(window), file_(std::move(file)) {}
    MessageAnswer Show(QWidget *, const QString &, const QString &, MessageIcon, MessageButtons) override
    {
        Save(window_, file_);
        return MessageAnswer::Ok;
    }
    void Beep() override {}
    std::optional<QString> AskPassword(QWidget *, const QString &, const QString &) override { return std::nullopt; }

private:
    QWidget &window_;
    QString file_;
};

// A group archived for real: one picture halfway through the second project, one at the end.
void RenderArchiveRun(const QString &out, const QString &examples, const QString &suffix)
{
    Program().CommandLine = examples + "/Samples.vbpgroup";
    frmMain window;
    window.Text1(3)->setText("secret");
    SetUserMessages(std::make_shared<PictureAtMessage>(window, out + "/main-archived-" + suffix + ".png"));
    QTimer halfway;
    QObject::connect(&halfway, &QTimer::timeout, [&] {
        QWidget *files = window.VistaProg1();
        if (window.VistaProg2()->property("Value").toInt() == 1
            && files->property("Value").toInt() * 2 >= files->property("Max").toInt()) {
            halfway.stop();
            Save(window, out + "/main-archiving-" + suffix + ".png");
        }
    });
    halfway.start(0);
    window.show();
    ArchiveAndWait(window);
    SetUserMessages(nullptr);

    Program().CommandLine.clear();
    frmMain ready;
    ready.ChooseProjectOrGroup(examples + "/Inventory/Inventory.vbp");
    ready.Check1()->setChecked(true);
    Save(ready, out + "/main-project-" + suffix + ".png");
}

// The real message boxes, each pictured as it shows (into the next file; none when it is empty or
// none is left) and answered Yes or OK.
class PictureEveryMessage {
public:
    explicit PictureEveryMessage(QStringList files) : files_(std::move(files))
    {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            const QString file = files_.isEmpty() ? QString() : files_.takeFirst();
            if (!file.isEmpty() && !box->grab().save(file))
                std::fprintf(stderr, "cannot write a message picture\n");
            QAbstractButton *yes = box->button(QMessageBox::Yes);
            (yes ? yes : box->button(QMessageBox::Ok))->click();
        });
        poll_.start(20);
    }

private:
    QStringList files_;
    QTimer poll_;
};

// A project whose module was never committed: after the failure, the question; after "Archiving
// complete !", what is missing.
void RenderMissingMember(const QString &out, const QString &examples, const QString &suffix)
{
    const QString folder = examples + "/Unfinished";
    QDir().mkpath(folder);
    QFile project(folder + "/Unfinished.vbp");
    QFile form(folder + "/Main.frm");
    if (!project.open(QIODevice::WriteOnly) || !form.open(QIODevice::WriteOnly))
        return;
    project.write(
        "Type=Exe\r\nForm=Main.frm\r\nModule=modShared; ..\\Shared\\modShared.bas\r\nName=\"Unfinished\"\r\n");
    project.close();
    form.write("VERSION 5.00\r\nBegin VB.Form Main\r\nEnd\r\n");
    form.close();
    Program() = ProgramState();
    frmMain window;
    window.ChooseProjectOrGroup(project.fileName());
    window.show();
    PictureEveryMessage pictures({QString(), out + "/missing-question-" + suffix + ".png", QString(),
                                  out + "/missing-listed-" + suffix + ".png"});
    ArchiveAndWait(window);
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

    frmGroup editor(&window);
    editor.Text1(0)->setText(examples + "/Samples.vbpgroup");
    editor.Text1(1)->setText("Samples");
    editor.Text1(2)->setText(examples + "/Inventory/Inventory.vbp");
    editor.List1()->addItems({examples + "/Tools/Tools.vbp", examples + "/Reports/Reports.vbp"});
    editor.Text1(3)->setText(examples + "/Inventory/Sources.Backup/");
    Save(editor, out + "/group-editor-" + suffix + ".png");
    RenderArchiveRun(out, examples, suffix);
    RenderMissingMember(out, examples, suffix);
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
