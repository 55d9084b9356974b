#include "LineEnds.h"

#include <cstring>

namespace {

// The next LF at or after at, or nullptr.
const char *NextLineFeed(const char *at, const char *end)
{
    return static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)));
}

} // namespace

// Two passes of memchr and one of memcpy: the workers convert members as fast as they read them.
QByteArray WithWindowsLineEnds(const QByteArray &text)
{
    const char *const begin = text.constData();
    const char *const end = begin + text.size();
    if (std::memchr(begin, '\0', size_t(text.size())))
        return text;
    qsizetype loneLineFeeds = 0;
    for (const char *at = NextLineFeed(begin, end); at; at = NextLineFeed(at + 1, end))
        loneLineFeeds += at == begin || at[-1] != '\r';
    if (loneLineFeeds == 0)
        return text; // already Windows text, or one line: no copy
    QByteArray converted(text.size() + loneLineFeeds, Qt::Uninitialized);
    char *out = converted.data();
    const char *copied = begin;
    for (const char *at = NextLineFeed(begin, end); at; at = NextLineFeed(at + 1, end)) {
        if (at != begin && at[-1] == '\r')
            continue;
        std::memcpy(out, copied, size_t(at - copied));
        out += at - copied;
        *out++ = '\r';
        *out++ = '\n';
        copied = at + 1;
    }
    std::memcpy(out, copied, size_t(end - copied));
    return converted;
}
