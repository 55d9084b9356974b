#include "WindowObserver.h"

#include "LanguageStrings.h"
#include "UserMessages.h"

#include <QApplication>
#include <QLabel>
#include <QVariant>

WindowObserver::WindowObserver(QWidget *window, QWidget *fileBar, QWidget *projectBar, QLabel *status)
    : window_(window), fileBar_(fileBar), projectBar_(projectBar), status_(status)
{
}

WindowObserver::~WindowObserver() { Busy(false); }

void WindowObserver::FileProgressMax(qint32 max) { fileBar_->setProperty("Max", max); }
void WindowObserver::FileProgressValue(qint32 value) { fileBar_->setProperty("Value", value); }
void WindowObserver::FileProgressVisible(bool visible) { fileBar_->setVisible(visible); }

// The final write of a large project takes a while: the window keeps repainting meanwhile.
void WindowObserver::WriteProgress(double) { LetPendingWorkRun(); }

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

void WindowObserver::LetPendingWorkRun() { QCoreApplication::processEvents(); }

void WindowObserver::ShowFailure(const QString &title, const QString &text)
{
    // The message box needs the normal pointer; the hourglass comes back for what follows.
    const bool wasBusy = busy_;
    Busy(false);
    CurrentUserMessages().Show(window_, text, title, MessageIcon::Exclamation, MessageButtons::Ok);
    Busy(wasBusy);
}

void WindowObserver::GroupStarted(qsizetype projectCount)
{
    projectBar_->setProperty("Max", static_cast<int>(projectCount));
    projectBar_->setProperty("Value", 0);
    projectBar_->show();
    status_->clear();
    status_->show();
}

void WindowObserver::GroupProjectStarted(const QString &projectPath) { status_->setText(projectPath); }

// One more archived: the bar's own value, read back, plus one.
void WindowObserver::GroupProjectArchived(qsizetype, const QString &)
{
    projectBar_->setProperty("Value", projectBar_->property("Value").toInt() + 1);
}

std::optional<QString> WindowObserver::AskPassword(const QString &, bool wrongBefore)
{
    const bool wasBusy = busy_;
    Busy(false);
    const QString prompt = wrongBefore
                               ? LocalString(24, QStringLiteral("The password is not right. Try again:"))
                               : LocalString(23, QStringLiteral("This archive is protected by a password. Password:"));
    const std::optional<QString> password = CurrentUserMessages().AskPassword(window_, QStringLiteral("Quenzar"), prompt);
    Busy(wasBusy);
    return password;
}
