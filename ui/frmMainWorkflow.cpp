// The main window's archive workflow: choosing a project or a group, the archive command, quitting
// during a run, and the return to the start state.
#include "frmMain.h"

#include "ArchiveRun.h"
#include "CommonDialog.h"
#include "GroupRun.h"
#include "LanguageStrings.h"
#include "LastBackupFolder.h"
#include "OperationsFichiers.h"
#include "UserMessages.h"
#include "VisualBasicGroup.h"
#include "frmGroup.h"
#include "modMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr quint32 kExplorerFileMustExist = 0x81000;

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
    for (const char *extension : {".vbp", ".vbpgroup", ".vbg", ".zip"}) {
        if (path.endsWith(QLatin1String(extension), Qt::CaseInsensitive))
            return path;
    }
    return QString();
}

} // namespace

// A new choice ends the finished state at once: the timer must not hide the panel of the project
// or group chosen meanwhile.
void frmMain::EndFinishedState()
{
    if (panel_->Timer1()->isActive())
        Timer1_Timer();
}

void frmMain::ResetPanel()
{
    EndFinishedState();
    panel_->HideRun();
}

void frmMain::DBpathDialog_Click()
{
    ResetPanel();
    const std::optional<QString> chosen = ChooseFileToOpen(
        this, LocalString(16, QStringLiteral("Select the Visual Basic© project or project group to archive")),
        QStringLiteral(
            "Visual Basic Projects and Groups|*.vbp;*.vbpgroup;*.vbg|Visual Basic Project|*.vbp|VB Project Group|"
            "*.vbpgroup|Visual Basic Group|*.vbg"),
        kExplorerFileMustExist);
    if (chosen)
        ChooseProjectOrGroup(*chosen);
}

void frmMain::ChooseProjectOrGroup(const QString &path)
{
    if (running_)
        return;
    ResetPanel();
    panel_->ClearBoxes();
    if (IsArchivableGroupFile(path)) {
        if (LoadGroupIntoWindow(path))
            Text1(ArchivePanel::Password)->setFocus();
        return;
    }
    ChooseProject(path);
}

// Names the archive now, with the moment of the choice as its stamp. A project file that cannot
// be read is said so and leaves the panel with only its path: no archive name, nothing to archive.
void frmMain::ChooseProject(const QString &projectFile)
{
    isGroup_ = false;
    project_ = ArchivingState();
    panel_->ShowChoice(projectFile, false);
    const Outcome<ArchivingState> prepared = PrepareProject(projectFile, projectFile, ProjectNaming::ByFileName,
                                                            BackupStampOf(QDateTime::currentDateTime()));
    if (!prepared) {
        Inform(this,
               LocalString(30, QStringLiteral("The project file cannot be read:")) + QStringLiteral("\r\n")
                   + prepared.error(),
               MessageIcon::Critical);
        return;
    }
    project_ = prepared.value();
    panel_->ShowNames(project_.ArchiveFileName, project_.BackupFolder);
    Text1(ArchivePanel::Password)->setFocus();
}

// Shows a group in the panel, ready to archive: its name as the backup subfolder, its folder,
// its projects in the hidden list. A group that cannot be read is said so, and the window stays
// in its start state.
bool frmMain::LoadGroupIntoWindow(const QString &groupFile)
{
    isGroup_ = true;
    panel_->ShowChoice(groupFile, true);
    const Outcome<GroupForArchiving> group = ReadAnyGroupForArchiving(groupFile);
    if (!group) {
        panel_->hide();
        Inform(this,
               LocalString(21, QStringLiteral("The project group cannot be read:")) + QStringLiteral("\r\n")
                   + group.error(),
               MessageIcon::Critical);
        return false;
    }
    panel_->SetProjects(group.value().Members);
    panel_->ShowNames(group.value().GroupName,
                      AddBackslash(GroupMemberLocalPath(groupFile, group.value().BackupFolder)));
    return true;
}

// The editor hands back the group it saved; closed any other way, the project path box keeps what
// it had, and a group it names (Visual Basic's too) is opened again.
void frmMain::Tessbutton1_Click()
{
    EndFinishedState();
    panel_->hide();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    frmGroup editor(this);
    if (editor.exec() == QDialog::Accepted)
        Text1(ArchivePanel::ProjectPath)->setText(editor.SavedGroupFile());
    const QString chosen = Text1(ArchivePanel::ProjectPath)->text();
    if ((NamesGroupFile(chosen) || IsVisualBasicGroupFile(chosen)) && LoadGroupIntoWindow(chosen))
        Text1(ArchivePanel::Password)->setFocus();
}

void frmMain::Btn_Valider_Click()
{
    const bool nothingToName =
        Text1(isGroup_ ? ArchivePanel::Destination : ArchivePanel::ArchiveName)->text().isEmpty();
    if (running_ || !panel_->isVisible() || Text1(ArchivePanel::ProjectPath)->text().isEmpty() || nothingToName) {
        CurrentUserMessages().Beep();
        return;
    }
    // The bar left full by an earlier run must not stand for this one.
    VistaProg1()->setProperty("Value", 0);
    if (isGroup_)
        ArchiveGroup();
    else
        ArchiveSingleProject();
}

ArchiveChoices frmMain::Choices()
{
    ArchiveChoices choices;
    choices.Password = Text1(ArchivePanel::Password)->text();
    choices.WindowsLineEnds = panel_->Check1()->isChecked();
    return choices;
}

// The window writes the settings too (the line-end box): the run remembers its folder on the
// window's thread, so that the two never write the store at once.
RememberFolder frmMain::RememberOnWindowThread()
{
    return [job = job_.get()](const QString &folder) {
        return job->AskWindow<Outcome<void>>([folder] { return RememberLastBackupFolder(folder); },
                                             Outcome<void>::failure(QStringLiteral("The run was stopped.")));
    };
}

// Everything the run needs from the window is read now; the run itself goes on the job's thread.
void frmMain::ArchiveGroup()
{
    const QString groupFile = Text1(ArchivePanel::ProjectPath)->text();
    const GroupForArchiving group{Text1(ArchivePanel::ArchiveName)->text(), Text1(ArchivePanel::Destination)->text(),
                                  panel_->Projects()};
    const QString stamp = BackupStampOf(QDateTime::currentDateTime());
    StartRun(false, [this, groupFile, group, stamp, choices = Choices(),
                     remember = RememberOnWindowThread()](ArchiveObserver &observer) {
        const ArchiveRunResult run = RunGroup(groupFile, group, group.BackupFolder, stamp, choices, observer, remember);
        return std::function<void()>([this, run] { ShowGroupArchived(run); });
    });
}

void frmMain::ShowGroupArchived(const ArchiveRunResult &run)
{
    if (!run.DestinationReady)
        return;
    lastDirStored_ = run.FolderRemembered;
    if (run.Cancelled)
        return;
    if (!run.Complete) {
        Inform(this, LocalString(19, QStringLiteral("An error occurred during archiving !")), MessageIcon::Critical);
        return;
    }
    ShowArchivingComplete(run);
    Label2()->hide();
    Timer1()->start();
}

// The names are those given when the project was chosen; the destination and the password are
// read now.
void frmMain::ArchiveSingleProject()
{
    const QString projectFile = Text1(ArchivePanel::ProjectPath)->text();
    ArchivingState state = project_;
    state.BackupFolder = AddBackslash(Text1(ArchivePanel::Destination)->text());
    state.Choices = Choices();
    StartRun(false, [this, projectFile, state, remember = RememberOnWindowThread()](ArchiveObserver &observer) {
        const ArchiveRunResult run = RunProject(projectFile, state, observer, remember);
        return std::function<void()>([this, run] { ShowProjectArchived(run); });
    });
}

void frmMain::ShowProjectArchived(const ArchiveRunResult &run)
{
    if (!run.DestinationReady)
        return;
    lastDirStored_ = run.FolderRemembered;
    if (!run.Complete)
        return;
    // An archive of the chosen name may have appeared meanwhile: the box names the one written.
    if (!run.Archives.isEmpty())
        Text1(ArchivePanel::ArchiveName)->setText(QFileInfo(run.Archives.constLast()).fileName());
    ShowArchivingComplete(run);
    Timer1()->start();
}

// An archive written without files that were missing is not a whole backup: that is said at once.
void frmMain::ShowArchivingComplete(const ArchiveRunResult &run)
{
    Inform(this, LocalString(18, QStringLiteral("Archiving complete !")), MessageIcon::Information);
    if (run.Incomplete.isEmpty())
        return;
    QStringList missing;
    for (const IncompleteArchive &archive : run.Incomplete) {
        const QString prefix = run.Archives.size() > 1 ? QFileInfo(archive.Archive).fileName() + ": " : QString();
        for (const QString &line : archive.Missing)
            missing.append(prefix + line);
    }
    Inform(this,
           LocalString(32,
                       QStringLiteral(
                           "The archive was written without these files, which were missing (its comment lists them):"))
               + QStringLiteral("\r\n\r\n") + ShownLines(missing).join(QStringLiteral("\r\n")),
           MessageIcon::Exclamation);
}

void frmMain::StartRun(bool restoring, ArchiveJob::Work work)
{
    restoring_ = restoring;
    SetRunning(true);
    job_->Start(std::move(work));
}

// The run has shown its result. Quit asked it to stop: the window goes now.
void frmMain::RunEnded()
{
    SetRunning(false);
    emit runFinished();
    if (quitWhenDone_)
        Btn_Annuler_Click();
}

// The window takes input during a run, so the commands that would start a second one are off
// until it ends.
void frmMain::SetRunning(bool running)
{
    running_ = running;
    for (QPushButton *command : {btnValider_, dbPathDialog_, tessbutton1_, panel_->SavepathDialog()})
        command->setEnabled(!running);
}

// Back to the start state; the folder of this run's archives can now be opened, when it was stored.
void frmMain::Timer1_Timer()
{
    Timer1()->stop();
    panel_->hide();
    corvaOpenThe_->setEnabled(true);
    corvaOpenThe_->setVisible(lastDirStored_);
}

void frmMain::Btn_Annuler_Click()
{
    if (running_) {
        AskToStopAndQuit();
        return;
    }
    close();
    QCoreApplication::quit();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    if (running_) {
        event->ignore();
        AskToStopAndQuit();
        return;
    }
    QWidget::closeEvent(event);
}

// Quitting during a run asks first. The run then stops, removing what it had begun (what it had
// finished stays), and the window closes once it has; "No" lets it go on.
void frmMain::AskToStopAndQuit()
{
    if (quitWhenDone_)
        return; // stopping already
    const QString question =
        restoring_ ? LocalString(36, QStringLiteral("The restore is not finished. Stop it now and quit? The folder "
                                                    "being restored is removed."))
                   : LocalString(35, QStringLiteral("The archiving is not finished. Stop it now and quit? The archive "
                                                    "being written is removed; archives already finished are kept."));
    if (CurrentUserMessages().Show(this, question, QString::fromLatin1(kProgramTitle), MessageIcon::Question,
                                   MessageButtons::YesNo)
        != MessageAnswer::Yes)
        return;
    quitWhenDone_ = true;
    // The run may have ended while the question was shown.
    if (running_)
        job_->RequestStop();
    else
        Btn_Annuler_Click();
}

void frmMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (!running_ && !DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

// A project or a group dropped from the file manager is chosen as the open-file dialog would; an
// archive is restored.
void frmMain::dropEvent(QDropEvent *event)
{
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty() || running_)
        return;
    event->acceptProposedAction();
    if (path.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
        RestoreArchiveFile(path);
    else
        ChooseProjectOrGroup(path);
}
