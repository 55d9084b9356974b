// The main window's archive workflow: choosing a project or a group, the destination, the archive
// command and the return to the start state.
#include "frmMain.h"

#include "ArchiveRun.h"
#include "ClickableImage.h"
#include "CommonDialog.h"
#include "Frame3D.h"
#include "GroupRun.h"
#include "LastBackupFolder.h"
#include "LanguageStrings.h"
#include "OperationsFichiers.h"
#include "UnicodeBrowseFolders.h"
#include "UserMessages.h"
#include "WindowObserver.h"
#include "frmGroup.h"
#include "modMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr quint32 kExplorerFileMustExist = 0x81000;
constexpr quint32 kFileSystemFoldersNewStyle = 65;

void Inform(QWidget *owner, const QString &text, MessageIcon icon)
{
    CurrentUserMessages().Show(owner, text, QString::fromLatin1(kProgramTitle), icon, MessageButtons::Ok);
}

// The one local file of a drag, when it is one the window takes: a project, a group or an archive.
QString DroppedFile(const QMimeData *data)
{
    if (!data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return QString();
    const QString path = data->urls().first().toLocalFile();
    for (const char *extension : {".vbp", ".vbpgroup", ".zip"}) {
        if (path.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return path;
    }
    return QString();
}

} // namespace

void frmMain::ConnectHandlers()
{
    connect(dbPathDialog_, &QPushButton::clicked, this, &frmMain::DBpathDialog_Click);
    connect(tessbutton1_, &QPushButton::clicked, this, &frmMain::Tessbutton1_Click);
    connect(savePathDialog_, &QPushButton::clicked, this, &frmMain::SavepathDialog_Click);
    connect(btnValider_, &QPushButton::clicked, this, &frmMain::Btn_Valider_Click);
    connect(btnAnnuler_, &QPushButton::clicked, this, &frmMain::Btn_Annuler_Click);
    connect(timer1_, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    for (QLineEdit *box : std::as_const(text1_))
        connect(box, &QLineEdit::textChanged, this, &frmMain::Text1_Change);
    for (int index = 0; index < image1_.size(); ++index)
        connect(image1_[index], &ClickableImage::clicked, this, [this, index] { Image1_Click(index); });
    connect(frame3D2_, &Frame3D::clicked, this, &frmMain::Frame3D2_Click);
    connect(corvaOpenThe_, &QPushButton::clicked, this, &frmMain::CorvaOpenThe_Click);
    connect(alphaImgCtl2_, &ClickableImage::clicked, this, &frmMain::AlphaImgCtl2_Click);
    setAcceptDrops(true);
}

// A new choice ends the finished state at once: the timer must not hide the panel of the project
// or group chosen meanwhile.
void frmMain::EndFinishedState()
{
    if (timer1_->isActive())
        Timer1_Timer();
}

void frmMain::ResetPanel()
{
    EndFinishedState();
    for (QWidget *widget : std::initializer_list<QWidget *>{vistaProg1_, vistaProg2_, label2_, frame3D3_})
        widget->hide();
}

void frmMain::DBpathDialog_Click()
{
    ResetPanel();
    const std::optional<QString> chosen = ChooseFileToOpen(
        this, LocalString(16, QStringLiteral("Select the Visual Basic© project or project group to archive")),
        QStringLiteral("Visual Basic Projects and Groups|*.vbp;*.vbpgroup|Visual Basic Project|*.vbp|VB Project Group|*.vbpgroup"),
        kExplorerFileMustExist);
    if (chosen)
        ChooseProjectOrGroup(*chosen);
}

void frmMain::ChooseProjectOrGroup(const QString &path)
{
    if (archiving_)
        return;
    ResetPanel();
    for (QLineEdit *box : std::as_const(text1_))
        box->clear();
    if (IsGroupFile(path)) {
        if (LoadGroupIntoWindow(path))
            text1_[3]->setFocus();
        return;
    }
    ChooseProject(path);
}

// Names the archive now, with the moment of the choice as its stamp. A project file that cannot
// be read is said so and leaves the panel with only its path: no archive name, nothing to archive.
void frmMain::ChooseProject(const QString &projectFile)
{
    frame3D3_->show();
    label1_[1]->setText(LocalString(17, QStringLiteral("Backup File Name :")));
    isGroup_ = false;
    project_ = ArchivingState();
    text1_[0]->setText(projectFile);
    const Outcome<ArchivingState> prepared =
        PrepareProject(projectFile, projectFile, ProjectNaming::ByFileName, BackupStampOf(QDateTime::currentDateTime()));
    if (!prepared) {
        Inform(this, LocalString(30, QStringLiteral("The project file cannot be read:")) + QStringLiteral("\r\n") + prepared.error(),
               MessageIcon::Critical);
        return;
    }
    project_ = prepared.value();
    text1_[2]->setText(project_.BackupFolder);
    text1_[1]->setText(project_.ArchiveFileName);
    savePathDialog_->show();
    text1_[3]->setFocus();
}

void frmMain::Tessbutton1_Click()
{
    EndFinishedState();
    frame3D3_->hide();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    frmGroup editor(text1_[0], this);
    editor.exec();
    if (NamesGroupFile(text1_[0]->text()) && LoadGroupIntoWindow(text1_[0]->text()))
        text1_[3]->setFocus();
}

void frmMain::SavepathDialog_Click()
{
    UnicodeBrowseFolders browser;
    browser.SetDialogTitle(LocalString(2, QStringLiteral("Select the Folder to Archive the Sources to")));
    browser.SetFlags(kFileSystemFoldersNewStyle);
    browser.SetInitialDirectory(text1_[2]->text());
    if (browser.ShowBrowseForFolder(this, true))
        text1_[2]->setText(AddBackslash(browser.SelectedFolder().toString()));
    text1_[3]->setFocus();
}

void frmMain::Btn_Valider_Click()
{
    const bool nothingToName = isGroup_ ? text1_[2]->text().isEmpty() : text1_[1]->text().isEmpty();
    if (archiving_ || !frame3D3_->isVisible() || text1_[0]->text().isEmpty() || nothingToName) {
        CurrentUserMessages().Beep();
        return;
    }
    SetArchiving(true);
    if (isGroup_)
        ArchiveGroup();
    else
        ArchiveSingleProject();
    SetArchiving(false);
}

void frmMain::ArchiveGroup()
{
    GroupForArchiving group{text1_[1]->text(), text1_[2]->text(), {}};
    for (int row = 0; row < list1_->count(); ++row)
        group.Members.append(list1_->item(row)->text());
    WindowObserver observer(this, vistaProg1_, vistaProg2_, label2_);
    const ArchiveRunResult run = RunGroup(text1_[0]->text(), group, text1_[2]->text(), BackupStampOf(QDateTime::currentDateTime()),
                                          text1_[3]->text(), observer, RememberLastBackupFolder);
    if (!run.DestinationReady)
        return;
    lastDirStored_ = run.FolderRemembered;
    if (!run.Complete) {
        Inform(this, LocalString(19, QStringLiteral("An error occurred during archiving !")), MessageIcon::Critical);
        return;
    }
    Inform(this, LocalString(18, QStringLiteral("Archiving complete !")), MessageIcon::Information);
    label2_->hide();
    timer1_->start();
}

// The names are those given when the project was chosen; the destination and the password are
// read now.
void frmMain::ArchiveSingleProject()
{
    ArchivingState state = project_;
    state.BackupFolder = AddBackslash(text1_[2]->text());
    state.Password = text1_[3]->text();
    WindowObserver observer(this, vistaProg1_, vistaProg2_, label2_);
    const ArchiveRunResult run = RunProject(text1_[0]->text(), state, observer, RememberLastBackupFolder);
    if (!run.DestinationReady)
        return;
    lastDirStored_ = run.FolderRemembered;
    if (!run.Complete)
        return;
    Inform(this, LocalString(18, QStringLiteral("Archiving complete !")), MessageIcon::Information);
    timer1_->start();
}

// Pending messages run after every line, so the commands that would start a second run are off
// until this one ends.
void frmMain::SetArchiving(bool archiving)
{
    archiving_ = archiving;
    for (QPushButton *command : {btnValider_, dbPathDialog_, tessbutton1_, savePathDialog_})
        command->setEnabled(!archiving);
    if (!archiving && quitWhenDone_)
        Btn_Annuler_Click();
}

// Back to the start state; the folder of this run's archives can now be opened, when it was stored.
void frmMain::Timer1_Timer()
{
    timer1_->stop();
    frame3D3_->hide();
    corvaOpenThe_->setEnabled(true);
    corvaOpenThe_->setVisible(lastDirStored_);
}

void frmMain::Text1_Change()
{
    if (text1_[0]->text().isEmpty())
        savePathDialog_->hide();
}

void frmMain::Btn_Annuler_Click()
{
    // Quitting in the middle of a run would pull the window from under it: it quits when the run ends.
    if (archiving_) {
        quitWhenDone_ = true;
        return;
    }
    close();
    QCoreApplication::quit();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (archiving_) {
        quitWhenDone_ = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (!archiving_ && !DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

// A project or a group dropped from the file manager is chosen as the open-file dialog would; an
// archive is restored.
void frmMain::dropEvent(QDropEvent *event)
{
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty() || archiving_)
        return;
    event->acceptProposedAction();
    if (path.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
        RestoreArchiveFile(path);
    else
        ChooseProjectOrGroup(path);
}
