#include "frmGroup.h"

#include "Artwork.h"
#include "CommonDialog.h"
#include "Controls.h"
#include "Frame3D.h"
#include "GroupFile.h"
#include "LanguageStrings.h"
#include "OperationsFichiers.h"
#include "UnicodeBrowseFolders.h"
#include "UserMessages.h"
#include "modMain.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

namespace {

constexpr quint32 kExplorer = 0x80000;
constexpr quint32 kExplorerFileMustExist = 0x81000;
constexpr quint32 kFileSystemFoldersNewStyle = 65;

QPushButton *BrowseButton(const QString &name, int index)
{
    auto *button = Named(new QPushButton(QStringLiteral("...")), name, index);
    button->setFixedWidth(36);
    return button;
}

} // namespace

frmGroup::frmGroup(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmGroup"));
    setWindowTitle(QStringLiteral("Visual Basic© project group to create:"));
    setModal(true);
    BuildControls();
    ConnectHandlers();
    TranslateForm(this, Program().CurrentLanguage);
}

void frmGroup::BuildControls()
{
    label1_ = {Named(new QLabel(QStringLiteral("Create or modify a Project Group")), QStringLiteral("Label1"), Heading),
               Named(new QLabel(QStringLiteral("Linked Projects :")), QStringLiteral("Label1"), LinkedProjectsCaption),
               Named(new QLabel(QStringLiteral("Main Project :")), QStringLiteral("Label1"), MainProjectCaption),
               Named(new QLabel(QStringLiteral("Group name :")), QStringLiteral("Label1"), GroupNameCaption),
               Named(new QLabel(QStringLiteral("Save Path :")), QStringLiteral("Label1"), BackupFolderCaption)};
    QFont heading = label1_[Heading]->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.2);
    label1_[Heading]->setFont(heading);
    Coloured(label1_[Heading], kChoiceBlue);
    for (int index = LinkedProjectsCaption; index <= BackupFolderCaption; ++index)
        Coloured(label1_[index], kFieldRed);
    for (int index = GroupFile; index <= BackupFolder; ++index)
        text1_.append(Named(new QLineEdit, QStringLiteral("Text1"), index));
    for (int index : {GroupFile, MainProject, BackupFolder})
        ReadOnlyBox(text1_[index]);

    dbPathDialog_ = BrowseButton(QStringLiteral("DBpathDialog"), 0);
    savePathDialog_ = BrowseButton(QStringLiteral("SavepathDialog"), 1);
    setPathDialog_ = BrowseButton(QStringLiteral("SetPathDialog"), 0);
    list1_ = Named(new QListWidget, QStringLiteral("List1"));
    list1_->setMinimumHeight(120);
    btnPlus_ = Named(new QPushButton(Artwork::Plus(), QString()), QStringLiteral("btn_Plus"));
    btnMoins_ = Named(new QPushButton(Artwork::Minus(), QString()), QStringLiteral("btn_Moins"));
    btnGroup_ = Named(new QPushButton(QStringLiteral("Save and use this project group")), QStringLiteral("btn_Group"));
    btnAnnuler_ = Named(new QPushButton(QStringLiteral("&Return")), QStringLiteral("Btn_Annuler"));
    btnGroup_->setDefault(true);

    frame3D1_ = Named(new Frame3D, QStringLiteral("Frame3D1"));
    auto *grid = new QGridLayout(frame3D1_);
    grid->setContentsMargins(14, 12, 14, 14);
    grid->addWidget(label1_[Heading], 0, 0, 1, 3);
    grid->addWidget(text1_[GroupFile], 1, 0, 1, 2);
    grid->addWidget(dbPathDialog_, 1, 2);
    grid->setRowMinimumHeight(2, 8);
    grid->addWidget(label1_[GroupNameCaption], 3, 0);
    grid->addWidget(text1_[GroupName], 3, 1, 1, 2);
    grid->addWidget(label1_[MainProjectCaption], 4, 0);
    grid->addWidget(text1_[MainProject], 4, 1);
    grid->addWidget(savePathDialog_, 4, 2);
    grid->addWidget(label1_[LinkedProjectsCaption], 5, 0, Qt::AlignTop | Qt::AlignRight);
    grid->addWidget(list1_, 5, 1);
    auto *listButtons = new QVBoxLayout;
    listButtons->addWidget(btnPlus_);
    listButtons->addWidget(btnMoins_);
    listButtons->addStretch();
    grid->addLayout(listButtons, 5, 2);
    grid->addWidget(label1_[BackupFolderCaption], 6, 0);
    grid->addWidget(text1_[BackupFolder], 6, 1);
    grid->addWidget(setPathDialog_, 6, 2);
    for (int index = LinkedProjectsCaption; index <= BackupFolderCaption; ++index)
        label1_[index]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->setColumnStretch(1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnGroup_);
    buttons->addWidget(btnAnnuler_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame3D1_, 1);
    layout->addLayout(buttons);
    resize(640, 460);
}

void frmGroup::ConnectHandlers()
{
    connect(dbPathDialog_, &QPushButton::clicked, this, &frmGroup::DBpathDialog_Click);
    connect(savePathDialog_, &QPushButton::clicked, this, &frmGroup::SavepathDialog_Click);
    connect(setPathDialog_, &QPushButton::clicked, this, &frmGroup::SetPathDialog_Click);
    connect(btnPlus_, &QPushButton::clicked, this, &frmGroup::btn_Plus_Click);
    connect(btnMoins_, &QPushButton::clicked, this, &frmGroup::btn_Moins_Click);
    connect(btnGroup_, &QPushButton::clicked, this, &frmGroup::btn_Group_Click);
    connect(btnAnnuler_, &QPushButton::clicked, this, &QDialog::reject);
}

void frmGroup::ClearGroup()
{
    for (QLineEdit *box : std::as_const(text1_))
        box->clear();
    list1_->clear();
}

// A file that cannot be read, or has fewer than two lines, leaves what was filled so far.
void frmGroup::LoadGroup(const QString &groupFile)
{
    ClearGroup();
    text1_[GroupFile]->setText(groupFile);
    const Outcome<GroupForEditing> group = ReadGroupFileForEditing(groupFile);
    if (!group)
        return;
    text1_[GroupName]->setText(group.value().GroupName);
    text1_[MainProject]->setText(group.value().MainProject);
    text1_[BackupFolder]->setText(group.value().BackupFolder);
    list1_->addItems(group.value().FurtherProjects);
}

// The group may be new, so the save chooser is shown: a desktop's own open chooser takes only
// files that exist. It asks nothing before an existing group is chosen, which is then loaded.
void frmGroup::DBpathDialog_Click()
{
    const std::optional<QString> chosen =
        ChooseFileToSave(this, LocalString(11, QStringLiteral("Choose the project group to create or modify...")),
                         QStringLiteral("VB Project Group|*.vbpgroup"), kExplorer);
    if (!chosen)
        return;
    // Existence is decided on the name that will be written: a group typed without its extension
    // would not be taken for a group by the main window, and "Nightly" must find "Nightly.vbpgroup".
    const QString groupFile = IsGroupFile(*chosen) ? *chosen : *chosen + QStringLiteral(".vbpgroup");
    if (FileExists(groupFile)) {
        LoadGroup(groupFile);
        return;
    }
    const MessageAnswer answer = CurrentUserMessages().Show(
        this,
        groupFile + QStringLiteral("\r\n")
            + LocalString(13, QStringLiteral("This file doesn't exist. Do you want to create it ? ")),
        LocalString(12, QStringLiteral("Create a project group")), MessageIcon::Question, MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes)
        return;
    ClearGroup();
    text1_[GroupFile]->setText(groupFile);
    text1_[GroupName]->setFocus();
}

void frmGroup::SavepathDialog_Click()
{
    const std::optional<QString> chosen = ChooseFileToOpen(
        this, LocalString(14, QStringLiteral("Choose the main project for the Visual Basic© group to be archived")),
        QStringLiteral("Visual Basic Project|*.vbp"), kExplorerFileMustExist);
    if (!chosen)
        return;
    text1_[MainProject]->setText(*chosen);
    text1_[BackupFolder]->setText(DefaultBackupFolder(*chosen));
}

void frmGroup::SetPathDialog_Click()
{
    UnicodeBrowseFolders browser;
    browser.SetDialogTitle(LocalString(2, QStringLiteral("Select the Folder to Archive the Sources to")));
    browser.SetFlags(kFileSystemFoldersNewStyle);
    browser.SetInitialDirectory(AddBackslash(ParentFolder(text1_[MainProject]->text())));
    if (browser.ShowBrowseForFolder(this, true))
        text1_[BackupFolder]->setText(AddBackslash(browser.SelectedFolder().toString())
                                      + QStringLiteral("Sources.Backup/"));
    text1_[GroupName]->setFocus();
}

void frmGroup::btn_Plus_Click()
{
    const std::optional<QString> chosen = ChooseFileToOpen(
        this, LocalString(10, QStringLiteral("Choose the project to add to the Visual Basic© group to be archived.")),
        QStringLiteral("Visual Basic project|*.vbp"), kExplorerFileMustExist);
    if (chosen)
        list1_->addItem(*chosen);
}

void frmGroup::btn_Moins_Click()
{
    QListWidgetItem *selected = list1_->currentItem();
    if (!selected || !selected->isSelected())
        return;
    const MessageAnswer answer = CurrentUserMessages().Show(
        this,
        LocalString(9, QStringLiteral("Are you sure you want to delete the project :")) + QStringLiteral("\r\n")
            + selected->text(),
        LocalString(8, QStringLiteral("Deleting...")), MessageIcon::Question, MessageButtons::YesNo);
    if (answer == MessageAnswer::Yes)
        delete list1_->takeItem(list1_->row(selected));
    list1_->clearSelection();
    list1_->setCurrentItem(nullptr);
}

bool frmGroup::InputError(int messageNumber, const QString &defaultText, QWidget *focus)
{
    CurrentUserMessages().Show(this, LocalString(messageNumber, defaultText),
                               LocalString(3, QStringLiteral("Input error")), MessageIcon::Exclamation,
                               MessageButtons::Ok);
    focus->setFocus();
    return false;
}

void frmGroup::btn_Group_Click()
{
    if (text1_[GroupFile]->text().isEmpty())
        return void(InputError(4, QStringLiteral("Please select the project group file name !"), text1_[GroupFile]));
    if (text1_[GroupName]->text().isEmpty())
        return void(InputError(5, QStringLiteral("Please enter the project group name !"), text1_[GroupName]));
    if (text1_[MainProject]->text().isEmpty())
        return void(InputError(6, QStringLiteral("Please choose the main project for the project group !"),
                               text1_[MainProject]));
    if (list1_->count() == 0)
        return void(InputError(7, QStringLiteral("A project group must contain multiple projects !"), btnPlus_));

    GroupForEditing group{text1_[GroupName]->text(), text1_[MainProject]->text(), text1_[BackupFolder]->text(), {}};
    for (int row = 0; row < list1_->count(); ++row)
        group.FurtherProjects.append(list1_->item(row)->text());
    const Outcome<void> saved = WriteGroupFile(text1_[GroupFile]->text(), group);
    if (!saved) {
        // Everything typed stays: the user can choose another file or folder and save again.
        CurrentUserMessages().Show(this,
                                   LocalString(22, QStringLiteral("The project group could not be saved:"))
                                       + QStringLiteral("\r\n") + saved.error(),
                                   QStringLiteral("Quenzar"), MessageIcon::Critical, MessageButtons::Ok);
        return;
    }
    savedGroupFile_ = text1_[GroupFile]->text();
    accept();
}
