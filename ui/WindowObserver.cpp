#include "WindowObserver.h"

#include "LanguageStrings.h"
#include "UserMessages.h"

#include <QApplication>
#include <QLabel>
#include <QVariant>

namespace {

// The file bar counts thousandths of the work: on a 170 MB project it moves every 340 KB read,
// compressed or written.
constexpr int kFileBarSteps = 1000;

} // namespace

WindowObserver::WindowObserver(QWidget *window, QWidget *fileBar, QWidget *projectBar, QLabel *status)
    : window_(window), fileBar_(fileBar), projectBar_(projectBar), status_(status)
{
    fileBar_->setProperty("Max", kFileBarSteps);
    fileBar_->setProperty("Value", 0);
}

WindowObserver::~WindowObserver() { Busy(false); }

void WindowObserver::FileProgressVisible(bool visible) { fileBar_->setVisible(visible); }

void WindowObserver::FileProgress(double share) { fileBar_->setProperty("Value", qRound(share * kFileBarSteps)); }

void WindowObserver::Busy(bool busy)
{
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void WindowObserver::ShowFailure(const QString &title, const QString &text)
{
    WithNormalPointer(
        [&] { return CurrentUserMessages().Show(window_, text, title, MessageIcon::Exclamation, MessageButtons::Ok); });
}

void WindowObserver::DestinationUnavailable(const QString &folder, const QString &reason)
{
    WithNormalPointer([&] {
        return CurrentUserMessages().Show(window_,
                                          LocalString(26, QStringLiteral("The destination folder cannot be created:"))
                                              + QStringLiteral("\r\n") + folder + QStringLiteral("\r\n") + reason,
                                          QStringLiteral("Quenzar"), MessageIcon::Critical, MessageButtons::Ok);
    });
}

// The status line says why nothing moves, the folder on a line of its own as it may be long.
void WindowObserver::WaitingForFolder(const QString &folder)
{
    status_->setText(
        LocalString(34, QStringLiteral("Another archive run is writing into this folder; waiting for it to end:"))
        + QLatin1Char('\n') + folder);
    status_->show();
}

// Remembering the folder is a convenience: the user is told, and the backup goes on.
void WindowObserver::FolderNotRemembered(const QString &, const QString &reason)
{
    WithNormalPointer([&] {
        return CurrentUserMessages().Show(
            window_,
            LocalString(27, QStringLiteral("The last backup folder could not be remembered:")) + QStringLiteral("\r\n")
                + reason,
            QStringLiteral("Quenzar"), MessageIcon::Exclamation, MessageButtons::Ok);
    });
}

void WindowObserver::GroupStarted(qsizetype projectCount)
{
    projectBar_->setProperty("Max", static_cast<int>(projectCount));
    projectBar_->setProperty("Value", 0);
    projectBar_->show();
    status_->clear();
    status_->show();
}

void WindowObserver::ProjectStarted(const QString &projectPath) { status_->setText(projectPath); }

// One more archived: the bar's own value, read back, plus one.
void WindowObserver::ProjectArchived(qsizetype, const QString &)
{
    projectBar_->setProperty("Value", projectBar_->property("Value").toInt() + 1);
}

std::optional<QString> WindowObserver::AskPassword(const QString &, bool wrongBefore)
{
    const QString prompt = wrongBefore
                               ? LocalString(24, QStringLiteral("The password is not right. Try again:"))
                               : LocalString(23, QStringLiteral("This archive is protected by a password. Password:"));
    return WithNormalPointer(
        [&] { return CurrentUserMessages().AskPassword(window_, QStringLiteral("Quenzar"), prompt); });
}

bool WindowObserver::RestoreUnsoundArchive(const QString &archivePath, const QStringList &problems)
{
    return AskRestoreAllTheSame(LocalString(28, QStringLiteral("This archive is damaged or incomplete:")), archivePath,
                                problems);
}

bool WindowObserver::RestoreIncompleteArchive(const QString &archivePath, const QStringList &missing)
{
    return AskRestoreAllTheSame(
        LocalString(33, QStringLiteral("This archive was written without these files, which were missing:")),
        archivePath, missing);
}

// The reasons, as many as a message box can show, then the question whether to go on.
bool WindowObserver::AskRestoreAllTheSame(const QString &heading, const QString &archivePath,
                                          const QStringList &reasons)
{
    const QStringList lines =
        QStringList{heading, archivePath, QString()} + ShownLines(reasons)
        + QStringList{QString(), LocalString(29, QStringLiteral("Restore what it holds anyway?"))};
    return WithNormalPointer([&] {
               return CurrentUserMessages().Show(window_, lines.join(QStringLiteral("\r\n")), QStringLiteral("Quenzar"),
                                                 MessageIcon::Exclamation, MessageButtons::YesNo);
           })
           == MessageAnswer::Yes;
}

// Asked after the failure message, which has named the line.
bool WindowObserver::ArchiveWithoutMissing(const QString &memberLine)
{
    const QString question =
        memberLine + QStringLiteral("\r\n\r\n")
        + LocalString(
            31, QStringLiteral(
                    "Archive the other files all the same, and record the missing ones in the archive's comment?"));
    return WithNormalPointer([&] {
               return CurrentUserMessages().Show(window_, question, QStringLiteral("Quenzar"), MessageIcon::Question,
                                                 MessageButtons::YesNo);
           })
           == MessageAnswer::Yes;
}
