#pragma once

#include "DialogBackend.h"

#include <functional>

// The shell's browse-callback messages, for a caller's own callback procedure.
namespace BrowseMessage {
constexpr int Initialized = 1;      // BFFM_INITIALIZED
constexpr int SelectionChanged = 2; // BFFM_SELCHANGED: lParam is the identifier list of the new selection
constexpr int ValidateFailedA = 3;  // BFFM_VALIDATEFAILEDA
constexpr int ValidateFailedW = 4;  // BFFM_VALIDATEFAILEDW: lParam points to the typed text (a const QString)
} // namespace BrowseMessage

// A caller's callback procedure: the dialog's handle, the message, its parameter and the
// caller's data; returns the message's answer (for a failed validation, not 0 keeps the dialog open).
using BrowseCallbackProc = std::function<int(quintptr hWnd, int message, qintptr lParam, qint32 userParam)>;

// Hands the dialog's reports to a caller's callback procedure as the shell's messages, in their
// Unicode forms. The identifier list of a selection lives for the call only, as the shell's does.
class BrowseCallbackMessages final : public FolderDialogCallback {
public:
    BrowseCallbackMessages(BrowseCallbackProc proc, qint32 userParam);

    void Initialized(FolderDialogWindow &window) override;
    void SelectionChanged(FolderDialogWindow &window, const QString &path) override;
    bool ValidateFailed(FolderDialogWindow &window, const QString &typed) override;

private:
    BrowseCallbackProc proc_;
    qint32 userParam_;
};
