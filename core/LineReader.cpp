#include "LineReader.h"

#include "CodePage.h"

namespace {
constexpr qint64 kChunkSize = 64 * 1024;
}

LineReader::LineReader(QIODevice &device, bool decode) : device_(device), decode_(decode) {}

bool LineReader::Fill()
{
    buffer_ = device_.read(kChunkSize);
    position_ = 0;
    if (buffer_.isEmpty() && !device_.atEnd())
        failed_ = true;
    return !buffer_.isEmpty();
}

bool LineReader::Next(TextLine &line)
{
    line.bytes.clear();
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
        const char *stop = begin;
        while (stop != end && *stop != '\r' && *stop != '\n')
            ++stop;
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
