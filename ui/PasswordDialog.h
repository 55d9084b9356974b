#pragma once

#include <QDialog>

class ClickableImage;
class QLineEdit;

// Asks for the password of a protected archive: masked, with the eye of the main window to show
// what was typed.
class PasswordDialog : public QDialog {
    Q_OBJECT

public:
    PasswordDialog(const QString &title, const QString &prompt, QWidget *parent = nullptr);

    QString Password() const;

private:
    QLineEdit *password_;
    ClickableImage *eye_;
};

// Shows or masks a password box, and shows the matching eye.
void TogglePasswordMask(QLineEdit *box, ClickableImage *eye);
