#include "StreamedFileSource.h"

#include "ReadSource.h"
#include "LineEnds.h"
#include "ReusedBuffers.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr qint64 kChunkSize = 1024 * 1024;

struct Streamed {
    QString path;
    ZipWriter::Content content = ZipWriter::Content::AsIs;
    SourceProgress progressed;
    std::function<void(const ReadProblem &)> failed;
    MemberFile file;
    bool prepared = false;
    bool converting = false;
    qint64 storedSize = 0;
    QByteArray chunk;
    QByteArray converted;
    LineEndConversion conversion;
    QByteArrayView given;   // the chunk, or its conversion, as libzip takes it
    QByteArrayView pending; // what libzip has not taken yet of it
    zip_error_t error;

    bool Fail(const ReadProblem &problem)
    {
        failed(problem);
        zip_error_set(&error, ZIP_ER_READ, EIO);
        return false;
    }

    // The next chunk of the file; empty at its end. A file changed by then stops the read at once:
    // compressing the rest of a large file would be time lost.
    bool ReadChunk()
    {
        ResizeForOverwrite(chunk, kChunkSize);
        const Outcome<qint64, ReadProblem> got = file.Read(chunk.data(), kChunkSize);
        if (!got)
            return Fail(got.error());
        if (const ReadOutcome same = file.CheckSame(); !same)
            return Fail(same.error());
        chunk.resize(qsizetype(got.value()));
        return true;
    }

    // Opens the file, and for Windows line ends reads it through once: whether it is converted, and
    // the size it is stored with.
    bool Prepare()
    {
        if (prepared)
            return true;
        if (const ReadOutcome opened = file.Open(path); !opened)
            return Fail(opened.error());
        storedSize = file.Size();
        if (content == ZipWriter::Content::WindowsLineEnds) {
            LineEndCount count;
            do {
                if (!ReadChunk())
                    return false;
                count.Add(chunk);
                if (!progressed(quint64(chunk.size()), 0)) {
                    FailAsStopped(*this);
                    return false;
                }
            } while (!chunk.isEmpty());
            if (const ReadOutcome unchanged = file.CheckUnchanged(); !unchanged)
                return Fail(unchanged.error());
            converting = count.Converts();
            storedSize += count.Growth();
        }
        prepared = true;
        return true;
    }

    bool Start()
    {
        if (!Prepare())
            return false;
        if (const ReadOutcome rewound = file.Rewind(); !rewound)
            return Fail(rewound.error());
        conversion = LineEndConversion();
        given = pending = {};
        return true;
    }

    // The bytes of the file that the first bytes of given up to position stand for.
    quint64 FileBytesUpTo(qsizetype position) const
    {
        return given.isEmpty() ? 0 : quint64(chunk.size()) * quint64(position) / quint64(given.size());
    }

    // At the end of the file, nothing more is given unless the file was the same all along.
    zip_int64_t Read(void *data, zip_uint64_t length)
    {
        if (pending.isEmpty()) {
            if (!ReadChunk())
                return -1;
            if (chunk.isEmpty()) {
                const ReadOutcome unchanged = file.CheckUnchanged();
                if (!unchanged)
                    Fail(unchanged.error());
                return unchanged ? 0 : -1;
            }
            if (converting)
                conversion.Convert(chunk, converted);
            given = pending = converting ? QByteArrayView(converted) : QByteArrayView(chunk);
        }
        const qsizetype count = qsizetype(std::min<zip_uint64_t>(length, zip_uint64_t(pending.size())));
        std::memcpy(data, pending.data(), size_t(count));
        const qsizetype taken = given.size() - pending.size();
        pending = pending.sliced(count);
        // Read once, a chunk is compressed and written as libzip takes it.
        const quint64 written = FileBytesUpTo(taken + count) - FileBytesUpTo(taken);
        if (!progressed(content == ZipWriter::Content::AsIs ? written : 0, written))
            return FailAsStopped(*this);
        return count;
    }

    zip_int64_t Stat(void *data)
    {
        if (!Prepare())
            return -1;
        auto *st = static_cast<zip_stat_t *>(data);
        zip_stat_init(st);
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        st->size = zip_uint64_t(storedSize);
        st->mtime = file.Modified();
        return sizeof(*st);
    }
};

zip_int64_t Callback(void *state, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto &source = *static_cast<Streamed *>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        return source.Start() ? 0 : -1;
    case ZIP_SOURCE_READ:
        return source.Read(data, length);
    case ZIP_SOURCE_CLOSE: // a project of many large files keeps one of them open at a time
        source.file.Close();
        return 0;
    case ZIP_SOURCE_STAT:
        return source.Stat(data);
    case ZIP_SOURCE_GET_FILE_ATTRIBUTES:
        return source.Prepare() ? GiveFileAttributes(source.file.Mode(), data) : -1;
    default:
        return AnswerLikeEveryReadSource(source, data, length, command);
    }
}

} // namespace

zip_source_t *CreateStreamedFileSource(zip_t *archive, const QString &filePath, ZipWriter::Content content,
                                       SourceProgress progressed, std::function<void(const ReadProblem &)> failed)
{
    auto *state = new Streamed();
    state->path = filePath;
    state->content = content;
    state->progressed = std::move(progressed);
    state->failed = std::move(failed);
    return MakeReadSource(archive, Callback, state);
}
