#pragma once

#include "ShellExtended.h"

#include <QStringList>

// The desktop opener, replaced for as long as this lives: every target it is handed is kept with
// its working folder, and each start gives the same process id.
class RecordingOpener {
public:
    explicit RecordingOpener(qint64 processId = 4242)
    {
        SetDesktopOpener([this, processId](const QString &target, const QString &workingFolder) -> qint64 {
            targets.append(target);
            workingFolders.append(workingFolder);
            return processId;
        });
    }
    ~RecordingOpener() { SetDesktopOpener(nullptr); }
    RecordingOpener(const RecordingOpener &) = delete;
    RecordingOpener &operator=(const RecordingOpener &) = delete;

    QStringList targets;
    QStringList workingFolders;
};
