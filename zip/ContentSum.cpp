#include "ContentSum.h"

#include "LineEnds.h"
#include "MemberFile.h"

#include <libdeflate.h>

ContentSum SumOf(const QByteArray &content)
{
    return {quint64(content.size()), quint32(libdeflate_crc32(0, content.constData(), size_t(content.size())))};
}

// Source files are small; the whole file is held so that its line ends can be judged as a whole.
Outcome<ContentSum> SumOfFile(const QString &path, bool windowsLineEnds)
{
    const auto failed = [&path](const QString &reason) {
        return Outcome<ContentSum>::failure(path + QStringLiteral(": ") + reason);
    };
    MemberFile file;
    if (const ReadOutcome opened = file.Open(path); !opened)
        return failed(opened.error().reason);
    QByteArray content;
    content.reserve(qsizetype(file.Size()));
    char chunk[65536];
    for (;;) {
        const Outcome<qint64, ReadProblem> read = file.Read(chunk, sizeof chunk);
        if (!read)
            return failed(read.error().reason);
        if (read.value() == 0)
            break;
        content.append(chunk, qsizetype(read.value()));
    }
    if (const ReadOutcome unchanged = file.CheckUnchanged(); !unchanged)
        return failed(unchanged.error().reason);
    return Outcome<ContentSum>::success(SumOf(windowsLineEnds ? WithWindowsLineEnds(content) : content));
}
