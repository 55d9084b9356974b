#include "QtDialogBackend.h"

#include <QDir>
#include <QFileDialog>
#include <QTimer>

namespace {

class QtFolderWindow final : public FolderDialogWindow {
public:
    explicit QtFolderWindow(QFileDialog &dialog) : dialog_(dialog) {}

    quintptr Handle() const override { return reinterpret_cast<quintptr>(static_cast<QWidget *>(&dialog_)); }
    // Showing the folder's content makes it the one chosen, and leaves alone a user's click
    // inside it (selecting the folder by name would undo the click).
    void SelectFolder(const QString &path) override { dialog_.setDirectory(path); }

private:
    QFileDialog &dialog_;
};

QString ChosenPath(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool IsInside(const QString &folder, const QString &root)
{
    const QString relative = QDir(root).relativeFilePath(folder);
    return relative != QLatin1String("..") && !relative.startsWith(QLatin1String("../"));
}

// Qt's dialog has no root of its own: leaving the root takes the user back to it. The platform's
// own dialog would not tell where the user goes, so Qt's is used.
void KeepInside(QFileDialog &dialog, const QString &root)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog, [&dialog, root](const QString &folder) {
        if (!IsInside(folder, root))
            dialog.setDirectory(root);
    });
}

void Report(QFileDialog &dialog, QtFolderWindow &window, FolderDialogCallback &callback)
{
    // Runs once the dialog's own loop runs, so the dialog is on screen.
    QTimer::singleShot(0, &dialog, [&window, &callback] { callback.Initialized(window); });
    QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog,
                     [&window, &callback](const QString &path) { callback.SelectionChanged(window, path); });
}

} // namespace

QString QtDialogBackend::OpenFile(const FileDialogRequest &request)
{
    QFileDialog dialog(request.owner, request.title, request.startFolder);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.nameFilters.isEmpty()) {
        dialog.setNameFilters(request.nameFilters);
        dialog.selectNameFilter(request.selectedFilter);
    }
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    return ChosenPath(dialog);
}

QString QtDialogBackend::BrowseFolder(const FolderDialogRequest &request, FolderDialogCallback *callback)
{
    QFileDialog dialog(request.owner, request.title, request.rootFolder);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!request.rootFolder.isEmpty())
        KeepInside(dialog, request.rootFolder);
    QtFolderWindow window(dialog);
    if (callback)
        Report(dialog, window, *callback);
    return ChosenPath(dialog);
}
