#include "ArchivePanel.h"

#include "Artwork.h"
#include "ClickableImage.h"
#include "ControlLoader.h"
#include "Controls.h"
#include "LanguageStrings.h"
#include "OperationsFichiers.h"
#include "PasswordDialog.h"
#include "UnicodeBrowseFolders.h"
#include "WindowsLineEndsSetting.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

namespace {

constexpr quint32 kFileSystemFoldersNewStyle = 65;

QLabel *FieldCaption(const QString &text, int index)
{
    auto *label = Coloured(Named(new QLabel(text), QStringLiteral("Label1"), index), kFieldRed);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// The saved instances carry only their size, so a loaded bar takes the control's defaults.
void LoadDefaults(QWidget *bar)
{
    bar->setProperty("Max", 100);
    bar->setProperty("Min", 0);
    bar->setProperty("Value", 50);
}

// The box starts as the user last left it; a store that cannot be read leaves it unticked.
bool RememberedWindowsLineEnds()
{
    const Outcome<bool> on = ReadWindowsLineEnds();
    if (!on)
        std::fprintf(stderr, "quenzar: the line-end choice cannot be read: %s\n", qPrintable(on.error()));
    return on && on.value();
}

} // namespace

ArchivePanel::ArchivePanel(QWidget *parent) : Frame3D(parent)
{
    setObjectName(QStringLiteral("Frame3D3"));
    BuildControls();
    ConnectHandlers();
}

void ArchivePanel::BuildControls()
{
    label1_ = {Coloured(Named(new QLabel(QStringLiteral("Visual Basic© Project or Project Group to Back Up:")),
                              QStringLiteral("Label1"), ProjectPath),
                        kChoiceBlue),
               FieldCaption(QStringLiteral("Backup file name :"), ArchiveName),
               FieldCaption(QStringLiteral("Save Path :"), Destination),
               FieldCaption(QStringLiteral("Password :"), Password)};
    for (int index = ProjectPath; index <= Password; ++index)
        text1_.append(Named(new QLineEdit, QStringLiteral("Text1"), index));
    for (int index : {ProjectPath, ArchiveName, Destination})
        ReadOnlyBox(text1_[index]);
    text1_[Password]->setEchoMode(QLineEdit::Password);

    savePathDialog_ = Named(new QPushButton, QStringLiteral("SavepathDialog"), 1);
    savePathDialog_->setIcon(Artwork::FolderButton());
    savePathDialog_->hide();
    alphaImgCtl2_ = Named(new ClickableImage(Artwork::EyeOpen(), 20), QStringLiteral("AlphaImgCtl2"));
    alphaImgCtl2_->setCursor(Qt::PointingHandCursor);
    check1_ = Named(new QCheckBox(QStringLiteral("Line ends for Windows")), QStringLiteral("Check1"));
    check1_->setChecked(RememberedWindowsLineEnds());
    list1_ = Named(new QListWidget, QStringLiteral("List1"));
    list1_->hide();
    label2_ = Named(new QLabel(QStringLiteral("Label2")), QStringLiteral("Label2"));
    label2_->hide();
    vistaProg1_ = CreateProgressBar(QStringLiteral("VistaProg1"));
    vistaProg2_ = CreateProgressBar(QStringLiteral("VistaProg2"));
    timer1_ = Named(new QTimer(this), QStringLiteral("Timer1"));
    timer1_->setInterval(3000);
    timer1_->setSingleShot(true);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(14, 12, 14, 12);
    grid->setHorizontalSpacing(8);
    grid->addWidget(label1_[ProjectPath], 0, 0, 1, 3);
    grid->addWidget(text1_[ProjectPath], 1, 0, 1, 3);
    grid->setRowMinimumHeight(2, 6);
    for (int index = ArchiveName; index <= Password; ++index) {
        grid->addWidget(label1_[index], index + 2, 0);
        grid->addWidget(text1_[index], index + 2, 1);
    }
    grid->addWidget(savePathDialog_, Destination + 2, 2);
    grid->addWidget(alphaImgCtl2_, Password + 2, 2, Qt::AlignCenter);
    grid->addWidget(check1_, 6, 1);
    grid->addWidget(label2_, 7, 0, 1, 3);
    grid->addWidget(vistaProg1_, 8, 0, 1, 3);
    grid->addWidget(vistaProg2_, 9, 0, 1, 3);
    grid->addWidget(list1_, 10, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(11, 1);
}

// The bars come from the control library, found at run time; without it the window still works.
QWidget *ArchivePanel::CreateProgressBar(const QString &name)
{
    const Outcome<QWidget *> created = ControlLoader().Create(QStringLiteral("Pellund.VistaProg"), this);
    QWidget *bar = created ? created.value() : new QWidget(this);
    if (created)
        LoadDefaults(bar);
    else
        std::fprintf(stderr, "quenzar: no progress bars: %s\n", qPrintable(created.error()));
    bar->setObjectName(name);
    bar->hide();
    return bar;
}

void ArchivePanel::ConnectHandlers()
{
    connect(savePathDialog_, &QPushButton::clicked, this, &ArchivePanel::SavepathDialog_Click);
    connect(alphaImgCtl2_, &ClickableImage::clicked, this,
            [this] { TogglePasswordMask(text1_[Password], alphaImgCtl2_); });
    for (QLineEdit *box : std::as_const(text1_))
        connect(box, &QLineEdit::textChanged, this, &ArchivePanel::Text1_Change);
    connect(check1_, &QCheckBox::clicked, this, &ArchivePanel::Check1_Click);
}

void ArchivePanel::ShowChoice(const QString &path, bool isGroup)
{
    label1_[ArchiveName]->setText(isGroup ? LocalString(1, QStringLiteral("Backup Subfolder Name :"))
                                          : LocalString(17, QStringLiteral("Backup File Name :")));
    list1_->clear();
    text1_[ProjectPath]->setText(path);
    show();
}

void ArchivePanel::ShowNames(const QString &archiveName, const QString &destination)
{
    text1_[ArchiveName]->setText(archiveName);
    text1_[Destination]->setText(destination);
    QCoreApplication::processEvents();
    savePathDialog_->show();
}

void ArchivePanel::SetProjects(const QStringList &projects)
{
    list1_->clear();
    list1_->addItems(projects);
}

QStringList ArchivePanel::Projects() const
{
    QStringList projects;
    for (int row = 0; row < list1_->count(); ++row)
        projects.append(list1_->item(row)->text());
    return projects;
}

void ArchivePanel::ClearBoxes()
{
    for (QLineEdit *box : std::as_const(text1_))
        box->clear();
}

void ArchivePanel::HideRun()
{
    for (QWidget *widget : std::initializer_list<QWidget *>{vistaProg1_, vistaProg2_, label2_, this})
        widget->hide();
}

void ArchivePanel::SavepathDialog_Click()
{
    UnicodeBrowseFolders browser;
    browser.SetDialogTitle(LocalString(2, QStringLiteral("Select the Folder to Archive the Sources to")));
    browser.SetFlags(kFileSystemFoldersNewStyle);
    browser.SetInitialDirectory(text1_[Destination]->text());
    if (browser.ShowBrowseForFolder(window(), true))
        text1_[Destination]->setText(AddBackslash(browser.SelectedFolder().toString()));
    text1_[Password]->setFocus();
}

// Only the user's click is remembered: the state read at start is not written back.
void ArchivePanel::Check1_Click(bool checked)
{
    if (const Outcome<void> saved = RememberWindowsLineEnds(checked); !saved)
        std::fprintf(stderr, "quenzar: the line-end choice cannot be remembered: %s\n", qPrintable(saved.error()));
}

void ArchivePanel::Text1_Change()
{
    if (text1_[ProjectPath]->text().isEmpty())
        savePathDialog_->hide();
}
