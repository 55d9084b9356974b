#include "PrecompressedSource.h"

#include "ReadSource.h"

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

struct Precompressed {
    DeflatePipeline *pipeline = nullptr;
    size_t index = 0;
    quint64 fileSize = 0;
    SourceProgress progressed;
    std::function<void(const ReadProblem &)> failed;
    bool taken = false;
    DeflatePipeline::Compressed result;
    std::optional<ReadProblem> problem;
    zip_uint64_t compressedSize = 0;
    zip_uint64_t position = 0;
    zip_error_t error;

    // The pipeline's result, taken once; a file it could not give fails every later call too.
    bool Load()
    {
        if (!taken) {
            std::optional<DeflatePipeline::Result> given = pipeline->Take(index, [this] { return progressed(0, 0); });
            if (!given) {
                FailAsStopped(*this);
                return false;
            }
            taken = true;
            if (!*given) {
                problem = given->error();
                failed(*problem);
            } else {
                result = std::move(*given).value();
                compressedSize = static_cast<zip_uint64_t>(result.data.size());
            }
        }
        if (!problem)
            return true;
        zip_error_set(&error, ZIP_ER_READ, EIO);
        return false;
    }

    // The bytes of the file that the compressed data up to there stands for.
    quint64 FileBytesUpTo(zip_uint64_t compressedPosition) const
    {
        return compressedSize == 0 ? fileSize : fileSize * compressedPosition / compressedSize;
    }
};

zip_int64_t Stat(Precompressed &source, void *data)
{
    if (!source.Load())
        return -1;
    auto *st = static_cast<zip_stat_t *>(data);
    zip_stat_init(st);
    st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_MTIME;
    st->size = source.result.size;
    st->comp_size = source.compressedSize;
    st->comp_method = ZIP_CM_DEFLATE;
    st->crc = source.result.crc;
    st->mtime = time_t(source.result.modified);
    if (source.result.encrypted) {
        st->valid |= ZIP_STAT_ENCRYPTION_METHOD;
        st->encryption_method = ZIP_EM_AES_256;
    }
    return sizeof(*st);
}

zip_int64_t Read(Precompressed &source, void *data, zip_uint64_t length)
{
    const auto available = static_cast<zip_uint64_t>(source.result.data.size()) - source.position;
    const zip_uint64_t count = std::min(length, available);
    const quint64 writtenBefore = source.FileBytesUpTo(source.position);
    std::memcpy(data, source.result.data.constData() + source.position, count);
    source.position += count;
    if (!source.progressed(0, source.FileBytesUpTo(source.position) - writtenBefore))
        return FailAsStopped(source);
    return static_cast<zip_int64_t>(count);
}

zip_int64_t Callback(void *state, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto &source = *static_cast<Precompressed *>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        source.position = 0;
        return source.Load() ? 0 : -1;
    case ZIP_SOURCE_READ:
        return Read(source, data, length);
    case ZIP_SOURCE_CLOSE:
        source.pipeline->GiveBack(std::exchange(source.result.data, QByteArray())); // written
        return 0;
    case ZIP_SOURCE_STAT:
        return Stat(source, data);
    case ZIP_SOURCE_GET_FILE_ATTRIBUTES:
        return source.Load() ? GiveFileAttributes(source.result.mode, data) : -1;
    default:
        return AnswerLikeEveryReadSource(source, data, length, command);
    }
}

} // namespace

zip_source_t *CreatePrecompressedSource(zip_t *archive, DeflatePipeline &pipeline, size_t index, quint64 fileSize,
                                        SourceProgress progressed, std::function<void(const ReadProblem &)> failed)
{
    auto *state = new Precompressed();
    state->pipeline = &pipeline;
    state->index = index;
    state->fileSize = fileSize;
    state->progressed = std::move(progressed);
    state->failed = std::move(failed);
    return MakeReadSource(archive, Callback, state);
}
