#pragma once

#include "UserMessages.h"

#include <QList>
#include <QStringList>
#include <QString>
#include <memory>

// Message boxes answered by the test and kept for it to read; the beep is counted.
class RecordingMessages : public UserMessages {
public:
    struct Shown {
        QString text;
        QString title;
        MessageIcon icon;
        MessageButtons buttons;
    };

    // Installs a new recorder for the rest of the test; the real boxes come back with it.
    static std::shared_ptr<RecordingMessages> Install()
    {
        auto recorder = std::make_shared<RecordingMessages>();
        SetUserMessages(recorder);
        return recorder;
    }
    ~RecordingMessages() override = default;

    MessageAnswer Show(QWidget *, const QString &text, const QString &title, MessageIcon icon,
                       MessageButtons buttons) override
    {
        shown.append({text, title, icon, buttons});
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        return answers.isEmpty() ? MessageAnswer::No : answers.takeFirst();
    }
    void Beep() override { ++beeps; }
    std::optional<QString> AskPassword(QWidget *, const QString &title, const QString &prompt) override
    {
        passwordPrompts.append(title + '|' + prompt);
        if (passwords.isEmpty())
            return std::nullopt;
        return passwords.takeFirst();
    }

    QList<Shown> shown;
    QList<MessageAnswer> answers; // for Yes/No questions, in order; No when none is left
    int beeps = 0;
    QStringList passwords;       // typed into the password prompts, in order; cancelled when none is left
    QStringList passwordPrompts; // "title|prompt" of each prompt shown
};

// Takes the recorder out again when the test ends.
struct MessagesGuard {
    std::shared_ptr<RecordingMessages> messages = RecordingMessages::Install();
    ~MessagesGuard() { SetUserMessages(nullptr); }
};
