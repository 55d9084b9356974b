#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

// One line of a text file: its bytes as stored (without the line end) and its text decoded
// from the ANSI code page. Lines copied unchanged are copied from the bytes, never re-encoded.
struct TextLine {
    QByteArray bytes;
    QString text;
};

// Reads a device line by line. CR LF, a lone CR and a lone LF all end a line: files written by
// Visual Basic end lines with CR LF, but git checkouts on Linux often have LF only, and old Mac
// editors left lone CRs. A last line without a line end still counts; a file that ends with a line
// end has no empty line after it.
class LineReader {
public:
    // A reader that only looks for bytes can leave the text empty: decoding costs more than reading.
    explicit LineReader(QIODevice &device, bool decode = true);

    bool Next(TextLine &line);
    // True when reading stopped on a device error rather than at the end of the data.
    bool Failed() const { return failed_; }

private:
    bool Fill();

    QIODevice &device_;
    QByteArray buffer_;
    qsizetype position_ = 0;
    bool skipLineFeed_ = false;
    bool decode_ = true;
    bool failed_ = false;
};
