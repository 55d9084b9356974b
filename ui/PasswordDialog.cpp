#include "PasswordDialog.h"

#include "Artwork.h"
#include "ClickableImage.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

PasswordDialog::PasswordDialog(const QString &title, const QString &prompt, QWidget *parent)
    : QDialog(parent), password_(new QLineEdit), eye_(new ClickableImage(Artwork::EyeOpen(), 20))
{
    setWindowTitle(title);
    password_->setEchoMode(QLineEdit::Password);
    password_->setMinimumWidth(320);
    eye_->setCursor(Qt::PointingHandCursor);
    connect(eye_, &ClickableImage::clicked, this, [this] { TogglePasswordMask(password_, eye_); });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *prompted = new QLabel(QString(prompt).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    prompted->setWordWrap(true);
    auto *layout = new QGridLayout(this);
    layout->addWidget(prompted, 0, 0, 1, 2);
    layout->addWidget(password_, 1, 0);
    layout->addWidget(eye_, 1, 1);
    layout->addWidget(buttons, 2, 0, 1, 2);
}

QString PasswordDialog::Password() const { return password_->text(); }

void TogglePasswordMask(QLineEdit *box, ClickableImage *eye)
{
    const bool masked = box->echoMode() == QLineEdit::Password;
    box->setEchoMode(masked ? QLineEdit::Normal : QLineEdit::Password);
    eye->setIcon(masked ? Artwork::EyeClosed() : Artwork::EyeOpen());
}
