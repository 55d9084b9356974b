// The main window's small commands: the zip library's version, the help pages, the maker's site,
// the last backup folder, and restoring an archive.
#include "frmMain.h"

#include "ArchiveRestore.h"
#include "ClickableImage.h"
#include "CommonDialog.h"
#include "LanguageStrings.h"
#include "ShellExtended.h"
#include "UserMessages.h"
#include "ComponentVersion.h"
#include "WindowObserver.h"
#include "modMain.h"

#include <QLabel>
#include <QLineEdit>

namespace {

constexpr quint32 kExplorerFileMustExist = 0x81000;

void OpenInShell(const QString &target) { ShellOpen(target, QString(), QStringLiteral("open"), 1, 0); }

} // namespace

void frmMain::Image1_Click(int index)
{
    switch (index) {
    case ComponentVersion:
        CurrentUserMessages().Show(
            this, QStringLiteral("    Toolbox version ") + ComponentVersionText() + QStringLiteral("    "),
            QString::fromLatin1(kProgramTitle), MessageIcon::Information, MessageButtons::Ok);
        break;
    case Help:
        OpenInShell(HelpAddress(Program().HelpLanguage, MakerSite()));
        break;
    case Unzip:
        RestoreArchive_Click();
        break;
    default:
        break;
    }
}

void frmMain::Frame3D2_Click() { OpenInShell(NoticeAddress(Program().HelpLanguage, MakerSite())); }

void frmMain::CorvaOpenThe_Click() { OpenInShell(LastBackupFolder()); }

void frmMain::RestoreArchive_Click()
{
    if (running_)
        return;
    const std::optional<QString> chosen = ChooseFileToOpen(
        this, LocalString(15, QStringLiteral("Choose the compressed project to unzip")),
        QStringLiteral("Zipped Visual Basic Project|*.zip"), kExplorerFileMustExist, LastBackupFolder());
    if (chosen)
        RestoreArchiveFile(*chosen);
}

// Extracts beside the archive on the job's thread, then opens the folder. A protected archive asks
// for its password; an archive that cannot be restored is said so, not passed over in silence.
void frmMain::RestoreArchiveFile(const QString &path)
{
    if (running_)
        return;
    StartRun(true, [this, path](ArchiveObserver &observer) {
        const RestoreResult result = RestoreArchive(path, observer);
        return std::function<void()>([this, result] { ShowRestored(result); });
    });
}

void frmMain::ShowRestored(const RestoreResult &result)
{
    switch (result.status) {
    case RestoreResult::Status::Restored:
        OpenInShell(result.Folder);
        break;
    case RestoreResult::Status::NotAnArchive:
        CurrentUserMessages().Beep();
        break;
    case RestoreResult::Status::Failed:
    case RestoreResult::Status::BadChoice:
        CurrentUserMessages().Show(this,
                                   LocalString(25, QStringLiteral("The archive could not be restored:"))
                                       + QStringLiteral("\r\n") + result.Error,
                                   QString::fromLatin1(kProgramTitle), MessageIcon::Critical, MessageButtons::Ok);
        break;
    case RestoreResult::Status::Cancelled:
        break;
    }
}
