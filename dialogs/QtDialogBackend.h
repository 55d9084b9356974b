#pragma once

#include "DialogBackend.h"

// The real dialogs: Qt's file dialog, modal over the owner. Of the folder dialog's callback it
// reports what Qt can tell (shown, current folder changed) and never a failed validation, since
// Qt's dialog refuses an unknown folder by itself.
class QtDialogBackend final : public DialogBackend {
public:
    QString OpenFile(const FileDialogRequest &request) override;
    QString BrowseFolder(const FolderDialogRequest &request, FolderDialogCallback *callback) override;
};
