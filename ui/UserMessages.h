#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QWidget;

// Message boxes and the system beep, reached through one seam so that a test can answer them:
// the windows never block on a person in a test.

// The icons by their Windows numbers.
enum class MessageIcon { Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class UserMessages {
public:
    virtual ~UserMessages() = default;
    // A line break may come as CR LF, as the message texts give it.
    virtual MessageAnswer Show(QWidget *owner, const QString &text, const QString &title, MessageIcon icon,
                               MessageButtons buttons) = 0;
    virtual void Beep() = 0;
    // A password typed by the user (masked, with an eye to show it), or nothing when cancelled.
    virtual std::optional<QString> AskPassword(QWidget *owner, const QString &title, const QString &prompt) = 0;
};

// The first items of a list that a message box can show on a screen, then "(+N)" for the rest.
QStringList ShownLines(const QStringList &items);

// The messages in use: by default real message boxes and QApplication::beep().
UserMessages &CurrentUserMessages();
// nullptr puts the real ones back.
void SetUserMessages(std::shared_ptr<UserMessages> messages);
