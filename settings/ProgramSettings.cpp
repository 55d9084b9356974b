#include "ProgramSettings.h"

#include "CorvaRegSettings.h"

namespace {

QString Reason(const QuenzarError &error)
{
    return QStringLiteral("%1 (%2)").arg(error.Description(),
                                         QString::number(static_cast<quint32>(error.Number()), 16));
}

} // namespace

Outcome<void> RememberProgramSetting(const QString &key, const QString &value)
{
    try {
        SaveRegSetting(kLastDirApp, kLastDirSection, key, value, true);
        return Outcome<void>::success();
    } catch (const QuenzarError &error) {
        return Outcome<void>::failure(Reason(error));
    }
}

Outcome<QString> ReadProgramSetting(const QString &key, const QString &defaultValue)
{
    try {
        return Outcome<QString>::success(GetRegSetting(kLastDirApp, kLastDirSection, key, defaultValue, true));
    } catch (const QuenzarError &error) {
        return Outcome<QString>::failure(Reason(error));
    }
}
