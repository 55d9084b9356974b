#pragma once

#include <QByteArray>

// The text with every LF that no CR precedes turned into CR LF; CR LF and a lone CR stay as they
// are. A file holding a NUL is not text, whatever its name says: it comes back unchanged.
[[nodiscard]] QByteArray WithWindowsLineEnds(const QByteArray &text);
