#include "LineEnds.h"

QByteArray WithWindowsLineEnds(const QByteArray &text)
{
    if (text.contains('\0'))
        return text;
    qsizetype loneLineFeeds = 0;
    for (qsizetype at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1))
        loneLineFeeds += at == 0 || text[at - 1] != '\r';
    if (loneLineFeeds == 0)
        return text; // already Windows text, or one line: no copy
    QByteArray converted;
    converted.reserve(text.size() + loneLineFeeds);
    qsizetype start = 0;
    for (qsizetype at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) {
        if (at > 0 && text[at - 1] == '\r')
            continue;
        converted.append(QByteArrayView(text).sliced(start, at - start)).append("\r\n");
        start = at + 1;
    }
    converted.append(QByteArrayView(text).sliced(start));
    return converted;
}
