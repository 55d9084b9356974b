#include "BrowseCallbackMessages.h"

#include "PidlAllocator.h"

BrowseCallbackMessages::BrowseCallbackMessages(BrowseCallbackProc proc, qint32 userParam)
    : proc_(std::move(proc)), userParam_(userParam)
{
}

void BrowseCallbackMessages::Initialized(FolderDialogWindow &window)
{
    proc_(window.Handle(), BrowseMessage::Initialized, 0, userParam_);
}

void BrowseCallbackMessages::SelectionChanged(FolderDialogWindow &window, const QString &path)
{
    const ScopedPidl selection(path);
    proc_(window.Handle(), BrowseMessage::SelectionChanged, static_cast<qintptr>(selection.get()), userParam_);
}

bool BrowseCallbackMessages::ValidateFailed(FolderDialogWindow &window, const QString &typed)
{
    return proc_(window.Handle(), BrowseMessage::ValidateFailedW, reinterpret_cast<qintptr>(&typed), userParam_) != 0;
}
