#include "UnicodeBrowseFolders.h"

#include "PidlAllocator.h"

#include <QDir>
#include <QFileInfo>

// The component's own callback: raises the events and selects the initial folder. The shell's
// new-style dialog may move its selection once after opening, so the first change selects it again.
class UnicodeBrowseFolders::BrowseCallback final : public FolderDialogCallback {
public:
    explicit BrowseCallback(UnicodeBrowseFolders &browser) : browser_(browser) {}

    void Initialized(FolderDialogWindow &window) override
    {
        if (browser_.WantEvents())
            emit browser_.Initialized(window.Handle(), browser_.info_.hookData);
        reselectCount_ = browser_.initial_ ? 2 : 0;
        Reselect(window);
    }

    void SelectionChanged(FolderDialogWindow &window, const QString &path) override
    {
        if (browser_.WantEvents()) {
            const ScopedPidl selection(path);
            emit browser_.SelectionChanged(window.Handle(), selection.get(), browser_.info_.hookData);
        }
        Reselect(window);
    }

    bool ValidateFailed(FolderDialogWindow &window, const QString &typed) override
    {
        if (browser_.WantEvents()) {
            bool closeDialog = false;
            // Reported in its ANSI form whichever form the dialog sent, as handlers expect.
            emit browser_.CallBackMsg(window.Handle(), BrowseMessage::ValidateFailedA,
                                      reinterpret_cast<qintptr>(&typed), browser_.info_.hookData, closeDialog);
            if (closeDialog)
                return false;
        }
        return true;
    }

private:
    void Reselect(FolderDialogWindow &window)
    {
        if (reselectCount_ == 0)
            return;
        --reselectCount_;
        window.SelectFolder(PidlPath(browser_.initial_));
    }

    UnicodeBrowseFolders &browser_;
    quint16 reselectCount_ = 0;
};

namespace {

// Clears the installed-callback flag whatever the dialog's outcome, before a cancel error.
class CallbackRelease {
public:
    explicit CallbackRelease(quint32 &state) : state_(state) {}
    ~CallbackRelease() { state_ &= ~UnicodeBrowseFolders::CallbackInstalled; }
    CallbackRelease(const CallbackRelease &) = delete;
    CallbackRelease &operator=(const CallbackRelease &) = delete;

private:
    quint32 &state_;
};

QString DisplayName(const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

} // namespace

UnicodeBrowseFolders::UnicodeBrowseFolders(QObject *parent) : QObject(parent) {}

UnicodeBrowseFolders::~UnicodeBrowseFolders() { Clear(); }

bool UnicodeBrowseFolders::ShowBrowseForFolder(QWidget *owner, bool releasePidl)
{
    PrepareBrowse();
    if (!releasePidl)
        state_ &= ~OwnsSelection;
    selected_ = RunDialog(owner);
    if (selected_)
        return true;
    state_ &= ~OwnsSelection;
    if (CancelError())
        throw QuenzarError(CanceledByUser, QStringLiteral("ShowBrowseForFolder"), QStringLiteral("Canceled by user"));
    return false;
}

void UnicodeBrowseFolders::PrepareBrowse()
{
    if (selected_ && (state_ & OwnsSelection))
        FreePidl(selected_);
    selected_ = 0;
    state_ |= OwnsSelection;
    AdjustFlags();
    info_.displayName.clear();
    info_.image = 0;
    if (info_.hookProc)
        return;
    if (WantEvents() || initial_)
        state_ |= CallbackInstalled;
    else
        info_.flags &= ~Validate; // nothing would answer the validation
}

// The shell shows files and typed names with the URL option, and shareable resources only in
// the new-style dialog; the adjusted flags stay in the property.
void UnicodeBrowseFolders::AdjustFlags()
{
    if (info_.flags & BrowseIncludeUrls)
        info_.flags |= BrowseIncludeFiles | NewDialogStyle | EditBox;
    if (info_.flags & Shareable)
        info_.flags |= NewDialogStyle;
}

quintptr UnicodeBrowseFolders::RunDialog(QWidget *owner)
{
    const CallbackRelease release(state_);
    BrowseCallback browseCallback(*this);
    BrowseCallbackMessages hookMessages(info_.hookProc, info_.hookData);
    FolderDialogCallback *callback = nullptr;
    if (info_.hookProc)
        callback = &hookMessages;
    else if (state_ & CallbackInstalled)
        callback = &browseCallback;
    const QString chosen =
        CurrentDialogBackend().BrowseFolder({owner, info_.title, PidlPath(info_.root), info_.flags}, callback);
    if (chosen.isEmpty())
        return 0;
    info_.displayName = DisplayName(chosen);
    return AllocatePidl(chosen);
}

void UnicodeBrowseFolders::Clear()
{
    SetRootFolder(QString());
    if (selected_ && (state_ & OwnsSelection)) {
        FreePidl(selected_);
        selected_ = 0;
    }
    FreePidl(initial_);
    initial_ = 0;
    info_ = BrowseInfo();
    state_ &= UnicodeForms;
}

QVariant UnicodeBrowseFolders::SelectedFolder(bool asPidl, bool releaseOwnership)
{
    if (!asPidl)
        return selected_ ? PIDLtoPath(selected_) : QString();
    if (releaseOwnership)
        state_ &= ~OwnsSelection;
    return QVariant::fromValue(selected_);
}

QVariant UnicodeBrowseFolders::InitialDirectory() const
{
    if (!initial_)
        return QString();
    const QString path = PidlPath(initial_);
    return path.isEmpty() ? QVariant::fromValue(initial_) : QVariant(path);
}

void UnicodeBrowseFolders::SetInitialDirectory(const QVariant &folder)
{
    FreePidl(initial_);
    initial_ = 0;
    if (folder.typeId() == QMetaType::QString)
        initial_ = PathToPIDL(folder.toString());
    else if (folder.isValid())
        initial_ = ClonePidl(folder.value<quintptr>());
}

void UnicodeBrowseFolders::DestroyPIDL(quintptr pidl)
{
    if (!pidl)
        return;
    FreePidl(pidl);
    if (pidl == selected_) {
        selected_ = 0;
        state_ &= ~OwnsSelection;
    }
    if (pidl == info_.root) {
        info_.root = 0;
        state_ &= ~OwnsRoot;
    }
    // The initial folder is always the instance's own: once freed here, Clear must not free it again.
    if (pidl == initial_)
        initial_ = 0;
}

quintptr UnicodeBrowseFolders::PathToPIDL(const QString &path) const
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists())
        return 0;
    return AllocatePidl(QDir::cleanPath(file.absoluteFilePath()));
}

bool UnicodeBrowseFolders::SetRootFolder(const QString &path, quintptr pidl, bool releasePidl)
{
    ReleaseRoot();
    if (pidl)
        return AdoptRoot(pidl, releasePidl);
    if (path.isEmpty())
        return true;
    info_.root = PathToPIDL(path);
    if (!info_.root)
        return false;
    state_ |= OwnsRoot;
    return true;
}

void UnicodeBrowseFolders::ReleaseRoot()
{
    if (info_.root && (state_ & OwnsRoot) && info_.root != selected_)
        FreePidl(info_.root);
    info_.root = 0;
    state_ &= ~OwnsRoot;
}

bool UnicodeBrowseFolders::AdoptRoot(quintptr pidl, bool releasePidl)
{
    if (pidl == selected_ && (state_ & OwnsSelection))
        return false;
    info_.root = pidl;
    if (releasePidl)
        state_ |= OwnsRoot;
    return true;
}

QVariant UnicodeBrowseFolders::GetRootFolder(bool asPidl) const
{
    return asPidl ? QVariant::fromValue(info_.root) : QVariant(PidlPath(info_.root));
}

bool UnicodeBrowseFolders::IsPidlOwned(quintptr pidl) const
{
    return (pidl == selected_ && (state_ & OwnsSelection)) || (pidl == info_.root && (state_ & OwnsRoot));
}

QString UnicodeBrowseFolders::PIDLtoPath(quintptr pidl, bool releasePidl)
{
    const QString path = PidlPath(pidl);
    if (releasePidl)
        DestroyPIDL(pidl);
    return path;
}

void UnicodeBrowseFolders::SetState(quint32 flag, bool on)
{
    if (on)
        state_ |= flag;
    else
        state_ &= ~flag;
}
