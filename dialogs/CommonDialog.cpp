#include "CommonDialog.h"

#include "DialogBackend.h"
#include "QuenzarError.h"

namespace {

QStringList Patterns(const QString &item)
{
    QStringList patterns;
    for (const QString &pattern : item.split(';')) {
        if (!pattern.trimmed().isEmpty())
            patterns.append(pattern.trimmed());
    }
    return patterns;
}

// "desc|*.a;*.b" becomes "desc (*.a *.b)"; a description alone would name no pattern, so a
// malformed filter still opens a dialog, at worst one showing every file.
QStringList QtNameFilters(const QString &filter)
{
    const QStringList items = filter.split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        const QStringList patterns = Patterns(items[i + 1]);
        if (patterns.isEmpty())
            continue;
        const QString description = items[i].simplified();
        const QString joined = patterns.join(' ');
        // Qt takes a bare pattern list as a filter named after itself.
        entries.append(description.isEmpty() ? joined : description + QStringLiteral(" (") + joined + ')');
    }
    return entries;
}

QString Preselected(const QStringList &entries, int filterIndex)
{
    if (entries.isEmpty())
        return QString();
    return filterIndex >= 1 && filterIndex <= entries.size() ? entries[filterIndex - 1] : entries.constFirst();
}

} // namespace

void CommonDialog::ShowOpen(QWidget *owner) { Show(owner, false); }

void CommonDialog::ShowSave(QWidget *owner) { Show(owner, true); }

void CommonDialog::Show(QWidget *owner, bool save)
{
    FileDialogRequest request;
    request.owner = owner;
    request.title = dialogTitle_;
    request.startFolder = initDir_;
    request.fileName = fileName_;
    request.nameFilters = QtNameFilters(filter_);
    request.selectedFilter = Preselected(request.nameFilters, filterIndex_);
    request.mustExist = (flags_ & FileMustExist) != 0;
    request.save = save;
    request.confirmOverwrite = (flags_ & OverwritePrompt) != 0;
    fileName_ = CurrentDialogBackend().OpenFile(request);
    if (fileName_.isEmpty() && cancelError_)
        throw QuenzarError(CancelErrorNumber, QStringLiteral("CommonDialog"), QStringLiteral("Cancel was selected."));
}

namespace {

std::optional<QString> ChooseFile(QWidget *owner, const QString &title, const QString &filter, quint32 flags,
                                  const QString &initDir, void (CommonDialog::*show)(QWidget *))
{
    CommonDialog dialog;
    dialog.SetDialogTitle(title);
    dialog.SetFileName(QString());
    if (!initDir.isEmpty())
        dialog.SetInitDir(initDir);
    dialog.SetFilter(filter);
    dialog.SetFilterIndex(1);
    dialog.SetFlags(flags);
    dialog.SetCancelError(true);
    try {
        (dialog.*show)(owner);
    } catch (const QuenzarError &) {
        return std::nullopt;
    }
    if (dialog.FileName().isEmpty())
        return std::nullopt;
    return dialog.FileName();
}

} // namespace

std::optional<QString> ChooseFileToOpen(QWidget *owner, const QString &title, const QString &filter, quint32 flags,
                                        const QString &initDir)
{
    return ChooseFile(owner, title, filter, flags, initDir, &CommonDialog::ShowOpen);
}

std::optional<QString> ChooseFileToSave(QWidget *owner, const QString &title, const QString &filter, quint32 flags,
                                        const QString &initDir)
{
    return ChooseFile(owner, title, filter, flags, initDir, &CommonDialog::ShowSave);
}
