#include "WindowsLineEndsSetting.h"

#include "CorvaRegSettings.h"
#include "ProgramSettings.h"

Outcome<void> RememberWindowsLineEnds(bool on)
{
    return RememberProgramSetting(kWindowsLineEndsKey, on ? QStringLiteral("1") : QStringLiteral("0"));
}

Outcome<bool> ReadWindowsLineEnds()
{
    const Outcome<QString> value = ReadProgramSetting(kWindowsLineEndsKey, QStringLiteral("0"));
    return value ? Outcome<bool>::success(value.value() == QLatin1String("1")) : Outcome<bool>::failure(value.error());
}
