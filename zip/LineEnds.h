#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Windows line ends for text: every LF that no CR precedes becomes CR LF; CR LF and a lone CR stay
// as they are. A file holding a NUL anywhere is not text, whatever its name says: it stays unchanged.

// The whole text with Windows line ends.
[[nodiscard]] QByteArray WithWindowsLineEnds(const QByteArray &text);

// The same for a text read a chunk at a time, which takes two passes since a NUL at its very end
// still leaves it unchanged: every chunk is counted first, which tells whether the text changes and
// its size once converted, then each chunk is converted in turn. A CR at the end of one chunk
// carries over to an LF at the start of the next.
class LineEndCount {
public:
    void Add(QByteArrayView chunk);
    [[nodiscard]] bool Converts() const { return !holdsNul_ && loneLineFeeds_ > 0; }
    // What converting adds to the text's size.
    [[nodiscard]] qint64 Growth() const { return Converts() ? loneLineFeeds_ : 0; }

private:
    bool holdsNul_ = false;
    qint64 loneLineFeeds_ = 0;
    bool afterCarriageReturn_ = false;
};

class LineEndConversion {
public:
    // The chunk converted into converted, whose earlier content is dropped.
    void Convert(QByteArrayView chunk, QByteArray &converted);

private:
    bool afterCarriageReturn_ = false;
};
