#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QWidget;

// Every file and folder dialog of the program is shown through the current backend, so that a
// test can answer them without a person and without blocking.

// A file dialog as the program asks for it: an open dialog, or a save dialog for a file that may
// be new (a desktop's own open chooser takes existing files only).
struct FileDialogRequest {
    QWidget *owner = nullptr;
    QString title;
    QString startFolder;     // "" lets the dialog choose
    QString fileName;        // preset in the name box
    QStringList nameFilters; // Qt's "desc (pat pat)" entries, in order
    QString selectedFilter;  // one of nameFilters, or "" when there are none
    bool mustExist = false;
    bool save = false;             // a save dialog: the name may be typed
    bool confirmOverwrite = false; // a save dialog asks before an existing file is chosen
};

// A folder dialog as the program asks for it.
struct FolderDialogRequest {
    QWidget *owner = nullptr;
    QString title;
    QString rootFolder; // the user stays inside it; "" for the whole file system
    quint32 flags = 0;  // the shell's BIF_ values, for backends that can use them
};

// The folder dialog while it is open, as its callback sees it.
class FolderDialogWindow {
public:
    // Identifies the open dialog to event handlers (the shell's window handle).
    virtual quintptr Handle() const = 0;
    // Selects a folder in the open dialog, as if the user had clicked it.
    virtual void SelectFolder(const QString &path) = 0;

protected:
    ~FolderDialogWindow() = default;
};

// What an open folder dialog reports to the one who showed it: the shell's browse callback.
class FolderDialogCallback {
public:
    virtual void Initialized(FolderDialogWindow &window) = 0;
    virtual void SelectionChanged(FolderDialogWindow &window, const QString &path) = 0;
    // The user typed a name that is no folder; true keeps the dialog open.
    virtual bool ValidateFailed(FolderDialogWindow &window, const QString &typed) = 0;

protected:
    ~FolderDialogCallback() = default;
};

class DialogBackend {
public:
    virtual ~DialogBackend() = default;
    // The full path of the chosen file; "" when the dialog was cancelled.
    virtual QString OpenFile(const FileDialogRequest &request) = 0;
    // The chosen folder; "" when cancelled. The callback, when given, hears the dialog's reports
    // while it is open.
    virtual QString BrowseFolder(const FolderDialogRequest &request, FolderDialogCallback *callback) = 0;
};

// Puts a backend in place of the real dialogs; nullptr puts the real ones back.
void SetDialogBackend(std::shared_ptr<DialogBackend> backend);
DialogBackend &CurrentDialogBackend();
