#pragma once

#include "DialogBackend.h"
#include "QtPrinting.h"

#include <QList>
#include <functional>
#include <memory>

class QFileDialog;

// One dialog the program opened, as the scripted answerer saw it.
struct ScriptedRequest {
    enum class Kind { File, Folder };

    Kind kind = Kind::File;
    QWidget *owner = nullptr;
    QString title;
    // Open-file dialogs
    QString startFolder;
    QString fileName;
    QStringList nameFilters;
    QString selectedFilter;
    bool mustExist = false;
    bool save = false;
    bool confirmOverwrite = false;
    // Folder dialogs
    QString rootFolder;
    quint32 flags = 0;
    bool hadCallback = false;
    quintptr window = 0;    // the handle the callback was given
    QStringList selections; // folders the callback asked the open dialog to select
};

// What the user does in an open folder dialog before the scripted answer; it reaches the dialog's
// callback only, so a dialog without one ignores it.
struct FolderEvent {
    enum class Kind { SelectionChanged, ValidateFailed };

    Kind kind;
    QString text; // the folder clicked, or the name typed
};

inline FolderEvent UserSelects(const QString &folder) { return {FolderEvent::Kind::SelectionChanged, folder}; }
inline FolderEvent UserTypesInvalidName(const QString &name) { return {FolderEvent::Kind::ValidateFailed, name}; }

// Answers the program's dialogs in order from a queue, without a person, and records every
// request. A folder dialog with a callback reports that it opened, then plays its answer's
// events; a failed validation that the callback lets close ends it with no folder.
//
//     auto dialogs = ScriptedDialogs::Install();
//     dialogs->AnswerFile("/x/App.vbp");
//     dialogs->Cancel();
//     ... dialogs->requests()[0].title ...
class ScriptedDialogs final : public DialogBackend {
public:
    // In place of the real dialogs until the last copy of the result goes.
    static std::shared_ptr<ScriptedDialogs> Install();

    void AnswerFile(const QString &path);
    void AnswerFolder(const QString &path, QList<FolderEvent> events = {});
    // Cancels the next dialog, of either kind.
    void Cancel(QList<FolderEvent> events = {});

    const QList<ScriptedRequest> &requests() const { return requests_; }
    // Answers queued that no dialog has taken yet.
    qsizetype pending() const { return answers_.size(); }

    QString OpenFile(const FileDialogRequest &request) override;
    QString BrowseFolder(const FolderDialogRequest &request, FolderDialogCallback *callback) override;

private:
    struct Answer {
        enum class Kind { File, Folder, Cancel };
        Kind kind;
        QString path;
        QList<FolderEvent> events;
    };
    class Window;

    ScriptedDialogs() = default;
    Answer Next(const ScriptedRequest &request);
    QString Play(const Answer &answer, FolderDialogCallback &callback);

    QList<Answer> answers_;
    QList<ScriptedRequest> requests_;
};

// For tests of the real dialogs: acts on the file dialog on screen, from inside its loop and after
// the dialog's own start-up work. A dialog the action leaves open fails the test and is cancelled,
// so that the test never blocks.
void WhenFileDialogShown(std::function<void(QFileDialog &dialog)> action);
