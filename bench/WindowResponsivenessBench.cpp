// Drives the real main window (offscreen) archiving a large generated project and reports the
// longest time its event loop was kept from running: the window must never freeze for more than a
// tenth of a second, the final write of the archive included. Then archives it again and quits a
// quarter of the way through: the run must stop, and the window close, within a second, leaving no
// temporary file.
#include "UserMessages.h"
#include "frmMain.h"
#include "modMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int kModules = 400;
constexpr int kModuleBytes = 256 * 1024; // 100 MiB of sources in all

// Answers the window's message boxes at once, so the run ends without a person; a question, such
// as whether to stop the run and quit, with Yes.
class SilentMessages : public UserMessages {
public:
    MessageAnswer Show(QWidget *, const QString &text, const QString &, MessageIcon, MessageButtons buttons) override
    {
        last = text;
        return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    void Beep() override {}
    std::optional<QString> AskPassword(QWidget *, const QString &, const QString &) override { return std::nullopt; }
    QString last;
};

// Source text that compresses about as real code does: words from a small vocabulary.
QByteArray ModuleText(int number)
{
    static const char *const words[] = {"Dim", "As",       "Long", "String", "If",   "Then", "End",
                                        "Sub", "Function", "For",  "Next",   "Call", "Set",  "=",
                                        "+",   "(",        ")",    "Me",     "rs",   "item"};
    QByteArray text = "Attribute VB_Name = \"mod" + QByteArray::number(number) + "\"\r\n";
    QRandomGenerator random(number);
    while (text.size() < kModuleBytes) {
        for (int word = 0; word < 10; ++word)
            text += QByteArray(words[random.bounded(20)]) + ' ' + QByteArray::number(random.bounded(100000)) + ' ';
        text += "\r\n";
    }
    return text;
}

QString WriteProject(const QString &folder)
{
    QDir().mkpath(folder + "/Modules");
    QByteArray project = "Type=Exe\r\nName=\"Large\"\r\nMajorVer=1\r\n";
    for (int number = 0; number < kModules; ++number) {
        QFile module(QString("%1/Modules/mod%2.bas").arg(folder).arg(number));
        if (!module.open(QIODevice::WriteOnly) || module.write(ModuleText(number)) < 0)
            return QString();
        project +=
            "Module=mod" + QByteArray::number(number) + "; Modules\\mod" + QByteArray::number(number) + ".bas\r\n";
    }
    QFile file(folder + "/Large.vbp");
    return file.open(QIODevice::WriteOnly) && file.write(project) > 0 ? file.fileName() : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir work;
    qputenv("XDG_CONFIG_HOME", work.filePath("user").toUtf8());
    qputenv("XDG_CONFIG_DIRS", work.filePath("machine").toUtf8());
    QApplication application(argc, argv);
    const auto messages = std::make_shared<SilentMessages>();
    SetUserMessages(messages);

    const QString project = WriteProject(work.filePath("Large"));
    if (project.isEmpty())
        return 1;
    frmMain window;
    window.show();
    window.ChooseProjectOrGroup(project);

    // A timer that should fire every 5 ms: the gaps between its ticks are the time the loop was held.
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 longestGap = 0;
    int ticks = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (ticks++ > 0)
            longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    heartbeat.start(5);
    clock.start();
    const QMetaObject::Connection quitAtEnd =
        QObject::connect(&window, &frmMain::runFinished, &application, &QApplication::quit);
    QTimer::singleShot(0, [&] { window.Btn_Valider()->click(); });
    application.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;

    std::printf("archived %d modules, %d MiB, in %.1f s; %d heartbeats; longest event-loop block %.1f ms (%s)\n",
                kModules, kModules * kModuleBytes / (1024 * 1024), seconds, ticks, longestGap / 1e6,
                qPrintable(messages->last.simplified()));

    // Quit once the bar has passed a quarter; Quit, answered Yes, ends the event loop when the
    // window closes. Ending the first loop closed it.
    QObject::disconnect(quitAtEnd);
    window.show();
    window.ChooseProjectOrGroup(project);
    QElapsedTimer stopping;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *bar = window.VistaProg1();
        if (bar->property("Value").toInt() * 4 < bar->property("Max").toInt())
            return;
        poll.stop();
        stopping.start();
        window.Btn_Annuler()->click();
    });
    QTimer::singleShot(0, [&] {
        window.Btn_Valider()->click();
        poll.start(1);
    });
    application.exec();
    const double closedAfter = stopping.nsecsElapsed() / 1e6;
    const QStringList left = QDir(QFileInfo(project).path() + "/Sources.Backup")
                                 .entryList({".quenzar-*", "*.zip"}, QDir::AllEntries | QDir::Hidden);
    std::printf(
        "quit a quarter of the way through a second run: the window closed %.1f ms after Quit; %lld files left of it "
        "(one archive from the first run)\n",
        closedAfter, static_cast<long long>(left.size()));
    return longestGap < 100'000'000 && !window.isVisible() && closedAfter < 1000 && left.size() == 1 ? 0 : 1;
}
