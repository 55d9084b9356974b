#pragma once

#include <QString>
#include <optional>

class QWidget;

// The open-file dialog with the members of Visual Basic's common-dialog control. A cancel empties
// FileName and, with CancelError, raises QuenzarError 32755 "Cancel was selected." from
// "CommonDialog", as the control does.
class CommonDialog {
public:
    // OFN_FILEMUSTEXIST and OFN_OVERWRITEPROMPT; the other flags (OFN_EXPLORER 0x80000...) describe
    // Windows' dialog only.
    static constexpr quint32 FileMustExist = 0x1000;
    static constexpr quint32 OverwritePrompt = 0x2;
    static constexpr qint32 CancelErrorNumber = 32755;

    QString DialogTitle() const { return dialogTitle_; }
    void SetDialogTitle(const QString &title) { dialogTitle_ = title; }
    QString FileName() const { return fileName_; }
    void SetFileName(const QString &fileName) { fileName_ = fileName; }
    // Description and pattern pairs, every item separated by "|", the patterns of one entry by ";".
    // An entry without a pattern cannot filter and is left out.
    QString Filter() const { return filter_; }
    void SetFilter(const QString &filter) { filter_ = filter; }
    // The entry preselected, counted from 1 among those offered; out of range, the first.
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int index) { filterIndex_ = index; }
    quint32 Flags() const { return flags_; }
    void SetFlags(quint32 flags) { flags_ = flags; }
    QString InitDir() const { return initDir_; }
    void SetInitDir(const QString &folder) { initDir_ = folder; }
    bool CancelError() const { return cancelError_; }
    void SetCancelError(bool raise) { cancelError_ = raise; }

    // FileName, when set, is offered in the name box; a chosen file leaves its full path there.
    void ShowOpen(QWidget *owner);
    // The same as a save dialog, whose name box takes a new name; it asks before an existing file is
    // chosen only with OverwritePrompt.
    void ShowSave(QWidget *owner);

private:
    void Show(QWidget *owner, bool save);

    QString dialogTitle_;
    QString fileName_;
    QString filter_;
    int filterIndex_ = 0;
    quint32 flags_ = 0;
    QString initDir_;
    bool cancelError_ = false;
};

// The open-file dialog as every file choice of the program shows it: title, an empty name, the
// start folder when one is given, the filter with its first entry preselected, the flags, and a
// cancel reported as an error. The chosen file, or nothing when cancelled or empty.
std::optional<QString> ChooseFileToOpen(QWidget *owner, const QString &title, const QString &filter, quint32 flags,
                                        const QString &initDir = QString());
// The same with the save dialog, for a file that may be new.
std::optional<QString> ChooseFileToSave(QWidget *owner, const QString &title, const QString &filter, quint32 flags,
                                        const QString &initDir = QString());
