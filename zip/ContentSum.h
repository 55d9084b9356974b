#pragma once

#include "Outcome.h"

#include <QByteArray>
#include <QString>

// The size and CRC-32 of what an entry stores for a file or for bytes, as the central directory of
// an archive written now would give them: for comparing files on disk with archived entries.
struct ContentSum {
    quint64 size = 0;
    quint32 crc = 0;
};

[[nodiscard]] ContentSum SumOf(const QByteArray &content);

// The file read as one version of itself (MemberFile), with Windows line ends first when asked (as
// archiving with them stores a text member). The reason names the file.
[[nodiscard]] Outcome<ContentSum> SumOfFile(const QString &path, bool windowsLineEnds);
