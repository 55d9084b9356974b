#include "ScriptedDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <gtest/gtest.h>

// The open dialog as the callback sees it; its requests land in the dialog's record.
class ScriptedDialogs::Window final : public FolderDialogWindow {
public:
    Window(ScriptedDialogs &dialogs, qsizetype request) : dialogs_(dialogs), request_(request)
    {
        dialogs_.requests_[request_].window = Handle();
    }

    quintptr Handle() const override { return reinterpret_cast<quintptr>(this); }
    // By index: a handler may open another dialog meanwhile, which grows the list.
    void SelectFolder(const QString &path) override { dialogs_.requests_[request_].selections.append(path); }

private:
    ScriptedDialogs &dialogs_;
    qsizetype request_;
};

std::shared_ptr<ScriptedDialogs> ScriptedDialogs::Install()
{
    auto *dialogs = new ScriptedDialogs;
    // The test's copies own it; the installed one only borrows it and is removed with the last copy.
    SetDialogBackend(std::shared_ptr<DialogBackend>(dialogs, [](DialogBackend *) {}));
    return std::shared_ptr<ScriptedDialogs>(dialogs, [](ScriptedDialogs *installed) {
        if (&CurrentDialogBackend() == installed)
            SetDialogBackend(nullptr);
        delete installed;
    });
}

void ScriptedDialogs::AnswerFile(const QString &path) { answers_.append({Answer::Kind::File, path, {}}); }

void ScriptedDialogs::AnswerFolder(const QString &path, QList<FolderEvent> events)
{
    answers_.append({Answer::Kind::Folder, path, std::move(events)});
}

void ScriptedDialogs::Cancel(QList<FolderEvent> events)
{
    answers_.append({Answer::Kind::Cancel, QString(), std::move(events)});
}

QString ScriptedDialogs::OpenFile(const FileDialogRequest &request)
{
    ScriptedRequest record;
    record.owner = request.owner;
    record.title = request.title;
    record.startFolder = request.startFolder;
    record.fileName = request.fileName;
    record.nameFilters = request.nameFilters;
    record.selectedFilter = request.selectedFilter;
    record.mustExist = request.mustExist;
    record.save = request.save;
    record.confirmOverwrite = request.confirmOverwrite;
    requests_.append(record);
    return Next(record).path;
}

QString ScriptedDialogs::BrowseFolder(const FolderDialogRequest &request, FolderDialogCallback *callback)
{
    ScriptedRequest record;
    record.kind = ScriptedRequest::Kind::Folder;
    record.owner = request.owner;
    record.title = request.title;
    record.rootFolder = request.rootFolder;
    record.flags = request.flags;
    record.hadCallback = callback != nullptr;
    requests_.append(record);
    const Answer answer = Next(record);
    return callback ? Play(answer, *callback) : answer.path;
}

// A missing or mismatched answer fails the test and cancels, so that a test never blocks.
ScriptedDialogs::Answer ScriptedDialogs::Next(const ScriptedRequest &request)
{
    if (answers_.isEmpty()) {
        ADD_FAILURE() << "no answer queued for the dialog \"" << request.title.toStdString() << '"';
        return {Answer::Kind::Cancel, QString(), {}};
    }
    Answer answer = answers_.takeFirst();
    const bool folderDialog = request.kind == ScriptedRequest::Kind::Folder;
    if ((answer.kind == Answer::Kind::File && folderDialog) || (answer.kind == Answer::Kind::Folder && !folderDialog)) {
        ADD_FAILURE() << "the answer \"" << answer.path.toStdString() << "\" is for the other kind of dialog than \""
                      << request.title.toStdString() << '"';
        return {Answer::Kind::Cancel, QString(), {}};
    }
    return answer;
}

QString ScriptedDialogs::Play(const Answer &answer, FolderDialogCallback &callback)
{
    Window window(*this, requests_.size() - 1);
    callback.Initialized(window);
    for (const FolderEvent &event : answer.events) {
        if (event.kind == FolderEvent::Kind::SelectionChanged)
            callback.SelectionChanged(window, event.text);
        else if (!callback.ValidateFailed(window, event.text))
            return QString();
    }
    return answer.path;
}

namespace {

QFileDialog *VisibleFileDialog()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *dialog = qobject_cast<QFileDialog *>(widget);
        if (dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

void ActOnVisibleFileDialog(const std::function<void(QFileDialog &)> &action)
{
    QFileDialog *dialog = VisibleFileDialog();
    if (!dialog) {
        ADD_FAILURE() << "no file dialog on screen";
        return;
    }
    action(*dialog);
    if (dialog->isVisible()) {
        ADD_FAILURE() << "the file dialog was left open";
        dialog->reject();
    }
}

} // namespace

void WhenFileDialogShown(std::function<void(QFileDialog &dialog)> action)
{
    // Twice deferred: the first turn of the dialog's loop runs what the dialog queued as it opened.
    QTimer::singleShot(
        0, [action = std::move(action)] { QTimer::singleShot(0, [action] { ActOnVisibleFileDialog(action); }); });
}
