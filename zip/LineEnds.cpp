#include "LineEnds.h"

#include "ReusedBuffers.h"

#include <cstring>

namespace {

// The next LF at or after at, or nullptr.
const char *NextLineFeed(const char *at, const char *end)
{
    return static_cast<const char *>(std::memchr(at, '\n', size_t(end - at)));
}

// Whether the LF at at ends a line alone; afterCarriageReturn says what came before the chunk.
bool LoneLineFeed(const char *at, const char *begin, bool afterCarriageReturn)
{
    return at == begin ? !afterCarriageReturn : at[-1] != '\r';
}

qint64 CountLoneLineFeeds(QByteArrayView chunk, bool afterCarriageReturn)
{
    const char *const end = chunk.data() + chunk.size();
    qint64 count = 0;
    for (const char *at = NextLineFeed(chunk.data(), end); at; at = NextLineFeed(at + 1, end))
        count += LoneLineFeed(at, chunk.data(), afterCarriageReturn);
    return count;
}

// Writes the chunk converted at out, which has room for it, and gives the end of what it wrote.
// memchr finds the line ends and memcpy copies the lines between: conversion runs as fast as reading.
char *ConvertLoneLineFeeds(QByteArrayView chunk, bool afterCarriageReturn, char *out)
{
    const char *const begin = chunk.data();
    const char *const end = begin + chunk.size();
    const char *copied = begin;
    for (const char *at = NextLineFeed(begin, end); at; at = NextLineFeed(at + 1, end)) {
        if (!LoneLineFeed(at, begin, afterCarriageReturn))
            continue;
        std::memcpy(out, copied, size_t(at - copied));
        out += at - copied;
        *out++ = '\r';
        *out++ = '\n';
        copied = at + 1;
    }
    std::memcpy(out, copied, size_t(end - copied));
    return out + (end - copied);
}

} // namespace

QByteArray WithWindowsLineEnds(const QByteArray &text)
{
    LineEndCount count;
    count.Add(text);
    if (!count.Converts())
        return text; // not text, already Windows text, or one line: no copy
    QByteArray converted(text.size() + count.Growth(), Qt::Uninitialized);
    ConvertLoneLineFeeds(text, false, converted.data());
    return converted;
}

void LineEndCount::Add(QByteArrayView chunk)
{
    if (chunk.isEmpty() || holdsNul_)
        return;
    holdsNul_ = std::memchr(chunk.data(), '\0', size_t(chunk.size())) != nullptr;
    loneLineFeeds_ += CountLoneLineFeeds(chunk, afterCarriageReturn_);
    afterCarriageReturn_ = chunk.back() == '\r';
}

void LineEndConversion::Convert(QByteArrayView chunk, QByteArray &converted)
{
    ResizeForOverwrite(converted, 2 * chunk.size());
    const char *end = ConvertLoneLineFeeds(chunk, afterCarriageReturn_, converted.data());
    converted.resize(end - converted.constData());
    if (!chunk.isEmpty())
        afterCarriageReturn_ = chunk.back() == '\r';
}
