#include "UserMessages.h"

#include "PasswordDialog.h"

#include <QApplication>
#include <QMessageBox>

namespace {

class MessageBoxes : public UserMessages {
public:
    MessageAnswer Show(QWidget *owner, const QString &text, const QString &title, MessageIcon icon,
                       MessageButtons buttons) override
    {
        QMessageBox box(IconOf(icon), title, QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")),
                        buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
        switch (box.exec()) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Ok;
        }
    }

    void Beep() override { QApplication::beep(); }

    std::optional<QString> AskPassword(QWidget *owner, const QString &title, const QString &prompt) override
    {
        PasswordDialog dialog(title, prompt, owner);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.Password();
    }

private:
    static QMessageBox::Icon IconOf(MessageIcon icon)
    {
        switch (icon) {
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            break;
        }
        return QMessageBox::Information;
    }
};

std::shared_ptr<UserMessages> &Installed()
{
    static std::shared_ptr<UserMessages> messages;
    return messages;
}

} // namespace

QStringList ShownLines(const QStringList &items)
{
    constexpr qsizetype kShown = 8;
    QStringList lines = items.mid(0, kShown);
    if (items.size() > kShown)
        lines.append(QStringLiteral("(+%1)").arg(items.size() - kShown));
    return lines;
}

UserMessages &CurrentUserMessages()
{
    static MessageBoxes real;
    return Installed() ? *Installed() : real;
}

void SetUserMessages(std::shared_ptr<UserMessages> messages) { Installed() = std::move(messages); }
