#include "LineReader.h"

#include "CodePage.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr qint64 kChunkSize = 64 * 1024;
}

LineReader::LineReader(QIODevice &device, bool decode) : device_(device), decode_(decode) {}

// The buffer is kept from chunk to chunk, and each line's bytes keep theirs from line to line:
// thousands of files read for their first lines are mostly allocation otherwise.
bool LineReader::Fill()
{
    buffer_.resize(kChunkSize);
    const qint64 read = device_.read(buffer_.data(), kChunkSize);
    buffer_.resize(std::max<qint64>(read, 0));
    position_ = 0;
    if (read < 0 || (read == 0 && !device_.atEnd()))
        failed_ = true;
    return !buffer_.isEmpty();
}

bool LineReader::Next(TextLine &line)
{
    line.bytes.resize(0);
    bool started = false;
    for (;;) {
        if (position_ == buffer_.size() && !Fill())
            break;
        // The LF of a CR LF pair may arrive with the next chunk.
        if (skipLineFeed_) {
            skipLineFeed_ = false;
            if (buffer_.at(position_) == '\n') {
                ++position_;
                continue;
            }
        }
        started = true;
        const char *begin = buffer_.constData() + position_;
        const char *end = buffer_.constData() + buffer_.size();
        // The first line end: the first LF, unless a CR comes before it.
        const char *stop = static_cast<const char *>(std::memchr(begin, '\n', size_t(end - begin)));
        if (!stop)
            stop = end;
        if (const void *carriageReturn = std::memchr(begin, '\r', size_t(stop - begin)))
            stop = static_cast<const char *>(carriageReturn);
        line.bytes.append(begin, stop - begin);
        position_ += stop - begin;
        if (stop != end) {
            skipLineFeed_ = (*stop == '\r');
            ++position_;
            break;
        }
    }
    if (!started)
        return false;
    line.text = decode_ ? CodePage::Decode(line.bytes) : QString();
    return true;
}
