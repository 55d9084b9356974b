#pragma once

#include "BrowseCallbackMessages.h"
#include "QuenzarError.h"

#include <QObject>
#include <QVariant>

// The shell's folder-browse dialog as a reusable object: a title, flags, an initial and a root
// folder, then the chosen folder as a path or as an identifier list (see PidlAllocator.h).
// The instance frees the lists it owns: the selection when shown with releasePidl, the root when
// set with releasePidl or from a path, the initial folder always. Destruction runs Clear.
class UnicodeBrowseFolders : public QObject {
    Q_OBJECT

public:
    // StateBits
    static constexpr quint32 UnicodeForms = 1; // always: Qt's strings are Unicode
    static constexpr quint32 RaisesCancelError = 2;
    static constexpr quint32 OwnsSelection = 4;
    static constexpr quint32 OwnsRoot = 8;
    static constexpr quint32 CallbackInstalled = 16; // while a dialog is shown with the component's callback
    static constexpr quint32 RaisesEvents = 32;

    // The shell's BIF_ flags that a show adjusts
    static constexpr quint32 EditBox = 0x10;
    static constexpr quint32 Validate = 0x20;
    static constexpr quint32 NewDialogStyle = 0x40;
    static constexpr quint32 BrowseIncludeUrls = 0x80;
    static constexpr quint32 BrowseIncludeFiles = 0x4000;
    static constexpr quint32 Shareable = 0x8000;

    static constexpr qint32 CanceledByUser = QuenzarError::ObjectErrorBase + 18;

    explicit UnicodeBrowseFolders(QObject *parent = nullptr);
    ~UnicodeBrowseFolders() override;

    // True when a folder was chosen. With releasePidl the instance keeps ownership of the chosen list.
    bool ShowBrowseForFolder(QWidget *owner, bool releasePidl = false);
    bool CancelError() const { return (state_ & RaisesCancelError) != 0; }
    void SetCancelError(bool raise) { SetState(RaisesCancelError, raise); }
    // Frees what the instance owns and resets every setting.
    void Clear();
    qint32 CustomHookData() const { return info_.hookData; }
    void SetCustomHookData(qint32 data) { info_.hookData = data; }
    // When set, the dialog's callback messages go to it and the component raises no event and
    // selects no initial folder.
    BrowseCallbackProc CustomHookProc() const { return info_.hookProc; }
    void SetCustomHookProc(BrowseCallbackProc proc) { info_.hookProc = std::move(proc); }
    QString DialogTitle() const { return info_.title; }
    void SetDialogTitle(const QString &title) { info_.title = title; }
    // The path of the last choice, "" when none; or its identifier list, which releaseOwnership
    // hands to the caller.
    QVariant SelectedFolder(bool asPidl = false, bool releaseOwnership = false);
    // A path, "" for none; or an identifier list (a number, 0 for none), which is copied.
    QVariant InitialDirectory() const;
    void SetInitialDirectory(const QVariant &folder);
    QString FolderDisplayName() const { return info_.displayName; }
    quint32 Flags() const { return info_.flags; }
    void SetFlags(quint32 flags) { info_.flags = flags; }
    // Qt has no system image list: always 0.
    qint32 SysImageListIconIndex() const { return info_.image; }
    void DestroyPIDL(quintptr pidl);
    // 0 for a path that does not exist; the caller owns the result.
    quintptr PathToPIDL(const QString &path) const;
    // Sets the root from the list, else from the path; both empty clears it. The owned selection
    // cannot become the root.
    bool SetRootFolder(const QString &path, quintptr pidl = 0, bool releasePidl = false);
    QVariant GetRootFolder(bool asPidl = false) const;
    bool WantEvents() const { return (state_ & RaisesEvents) != 0; }
    void SetWantEvents(bool raise) { SetState(RaisesEvents, raise); }
    bool IsPidlOwned(quintptr pidl) const;
    QString PIDLtoPath(quintptr pidl, bool releasePidl = false);
    quint32 StateBits() const { return state_; }

signals:
    void Initialized(quintptr hWnd, qint32 userParam);
    // The list lives for the duration of the signal only.
    void SelectionChanged(quintptr hWnd, quintptr pidl, qint32 userParam);
    // Any other callback message: here a typed name that is no folder (message 3, lParam points to
    // the typed text as a const QString). Setting closeDialog lets the dialog close.
    void CallBackMsg(quintptr hWnd, int message, qintptr lParam, qint32 userParam, bool &closeDialog);

private:
    class BrowseCallback;

    // The shell's browse record, less the owner window, which is only passed on.
    struct BrowseInfo {
        quintptr root = 0;
        QString displayName;
        QString title;
        quint32 flags = 0;
        BrowseCallbackProc hookProc;
        qint32 hookData = 0;
        qint32 image = 0;
    };

    void SetState(quint32 flag, bool on);
    void PrepareBrowse();
    void AdjustFlags();
    quintptr RunDialog(QWidget *owner);
    void ReleaseRoot();
    bool AdoptRoot(quintptr pidl, bool releasePidl);

    BrowseInfo info_;
    quint32 state_ = UnicodeForms;
    quintptr selected_ = 0;
    quintptr initial_ = 0;
};
