#include "ArchiveFileTarget.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kBufferSize = 1024 * 1024;

struct Target {
    QString path;
    std::optional<TemporaryPath> temporary;
    ArchiveFileOutcome *outcome = nullptr;
    int file = -1;
    std::vector<char> buffer = std::vector<char>(kBufferSize);
    zip_uint64_t bufferStart = 0; // where buffer[0] goes in the file
    zip_uint64_t buffered = 0;    // bytes of the buffer to be written
    zip_uint64_t position = 0;
    zip_uint64_t length = 0;
    zip_error_t error;

    int Fail(int code, int system)
    {
        zip_error_set(&error, code, system);
        return -1;
    }

    // Beside the archive, so that giving it its name stays on one file system; the umask applies.
    int Begin()
    {
        Outcome<TemporaryPath> made = TemporaryPath::NewFile(QFileInfo(path).absolutePath());
        if (!made) {
            outcome->failure = made.error();
            return Fail(ZIP_ER_TMPOPEN, 0);
        }
        temporary.emplace(std::move(made).value());
        file = temporary->Descriptor();
        bufferStart = buffered = position = length = 0;
        return 0;
    }

    // Each piece starts on its way to the disk as soon as it is written, so that the sync before
    // the archive takes its name waits only for the last of it. Only a start: a failure shows in
    // that sync.
    bool WriteAt(const char *data, zip_uint64_t size, zip_uint64_t at)
    {
        const zip_uint64_t start = at;
        const zip_uint64_t count = size;
        while (size > 0) {
            const ssize_t written = ::pwrite(file, data, size, off_t(at));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                Fail(ZIP_ER_WRITE, written < 0 ? errno : ENOSPC);
                return false;
            }
            data += written;
            at += zip_uint64_t(written);
            size -= zip_uint64_t(written);
        }
        ::sync_file_range(file, off_t(start), off_t(count), SYNC_FILE_RANGE_WRITE);
        return true;
    }

    bool Flush()
    {
        const bool written = WriteAt(buffer.data(), buffered, bufferStart);
        buffered = 0;
        return written;
    }

    // Within or right after what the buffer holds, the bytes join it; elsewhere the buffer is
    // written first. A piece larger than the buffer goes straight to the file.
    zip_int64_t Write(const void *data, zip_uint64_t size)
    {
        const bool outside =
            position < bufferStart || position > bufferStart + buffered || position + size > bufferStart + kBufferSize;
        if (buffered > 0 && outside && !Flush())
            return -1;
        if (size > kBufferSize) {
            if (!WriteAt(static_cast<const char *>(data), size, position))
                return -1;
        } else {
            if (buffered == 0)
                bufferStart = position;
            std::memcpy(buffer.data() + (position - bufferStart), data, size);
            buffered = std::max(buffered, position - bufferStart + size);
        }
        position += size;
        length = std::max(length, position);
        return zip_int64_t(size);
    }

    // The whole archive is in the temporary file: it is handed over, still temporary, for the
    // caller to publish under its name or to drop.
    int Commit()
    {
        if (!Flush())
            return -1;
        outcome->written = std::move(temporary);
        temporary.reset();
        file = -1;
        return 0;
    }

    void Discard()
    {
        temporary.reset();
        file = -1;
        buffered = 0;
    }
};

zip_int64_t Callback(void *state, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto &target = *static_cast<Target *>(state);
    switch (command) {
    case ZIP_SOURCE_STAT: // no archive there yet: libzip makes a new one
        return target.Fail(ZIP_ER_READ, ENOENT);
    case ZIP_SOURCE_BEGIN_WRITE:
        return target.Begin();
    case ZIP_SOURCE_WRITE:
        return target.Write(data, length);
    case ZIP_SOURCE_SEEK_WRITE: {
        const zip_int64_t offset =
            zip_source_seek_compute_offset(target.position, target.length, data, length, &target.error);
        if (offset < 0)
            return -1;
        target.position = zip_uint64_t(offset);
        return 0;
    }
    case ZIP_SOURCE_TELL_WRITE:
        return zip_int64_t(target.position);
    case ZIP_SOURCE_COMMIT_WRITE:
        return target.Commit();
    case ZIP_SOURCE_ROLLBACK_WRITE:
        target.Discard();
        return 0;
    case ZIP_SOURCE_REMOVE: // libzip's way to leave no empty archive: none was written, nothing to remove
        return 0;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&target.error, data, length);
    case ZIP_SOURCE_FREE:
        target.Discard();
        zip_error_fini(&target.error);
        delete &target;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                                              ZIP_SOURCE_SUPPORTS, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_WRITE,
                                              ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_SEEK_WRITE,
                                              ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, -1);
    default: // reading: an archive made anew has nothing to read
        return target.Fail(ZIP_ER_OPNOTSUPP, 0);
    }
}

} // namespace

zip_source_t *CreateArchiveFileTarget(const QString &archivePath, ArchiveFileOutcome &outcome, zip_error_t *error)
{
    auto *target = new Target();
    target->path = archivePath;
    target->outcome = &outcome;
    zip_error_init(&target->error);
    zip_source_t *source = zip_source_function_create(Callback, target, error);
    if (!source) {
        zip_error_fini(&target->error);
        delete target;
    }
    return source;
}
