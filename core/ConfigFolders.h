#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

// Where settings live on a freedesktop system.

// $XDG_CONFIG_HOME, by default ~/.config.
inline QString UserConfigFolder()
{
    const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    return home.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : home;
}

// The first folder of $XDG_CONFIG_DIRS, by default /etc/xdg.
inline QString MachineConfigFolder()
{
    const QStringList folders = qEnvironmentVariable("XDG_CONFIG_DIRS").split(':', Qt::SkipEmptyParts);
    return folders.isEmpty() ? QStringLiteral("/etc/xdg") : folders.first();
}
