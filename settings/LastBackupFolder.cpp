#include "LastBackupFolder.h"

#include "CorvaRegSettings.h"

namespace {

QString Reason(const QuenzarError &error)
{
    return QStringLiteral("%1 (%2)").arg(error.Description(),
                                         QString::number(static_cast<quint32>(error.Number()), 16));
}

} // namespace

Outcome<void> RememberLastBackupFolder(const QString &folder)
{
    try {
        SaveRegSetting(kLastDirApp, kLastDirSection, kLastDirKey, folder, true);
        return Outcome<void>::success();
    } catch (const QuenzarError &error) {
        return Outcome<void>::failure(Reason(error));
    }
}

Outcome<QString> ReadLastBackupFolder()
{
    try {
        return Outcome<QString>::success(GetRegSetting(kLastDirApp, kLastDirSection, kLastDirKey, QString(), true));
    } catch (const QuenzarError &error) {
        return Outcome<QString>::failure(Reason(error));
    }
}
