#pragma once

#include <QtGlobal>
#include <functional>
#include <zip.h>

// What the read sources of ours (PrecompressedSource, StreamedFileSource) answer libzip alike. Each
// keeps its state in an object made with new, holding a zip_error_t named error.

// What a source tells the archive writer as it goes: the bytes of its file newly read and
// compressed, and newly written (none of either while it waits). The answer false stops the write:
// the source then fails with ZIP_ER_CANCELLED.
using SourceProgress = std::function<bool(quint64 compressed, quint64 written)>;

// The failure of a source whose write was stopped.
template <typename Source>
zip_int64_t FailAsStopped(Source &source)
{
    zip_error_set(&source.error, ZIP_ER_CANCELLED, 0);
    return -1;
}

// The answer to libzip's question for a source's file attributes, the same as its own file source
// gives: made on Unix, with the file's type and permissions (mode).
inline zip_int64_t GiveFileAttributes(quint32 mode, void *data)
{
    auto *attributes = static_cast<zip_file_attributes_t *>(data);
    zip_file_attributes_init(attributes);
    attributes->valid = ZIP_FILE_ATTRIBUTES_HOST_SYSTEM | ZIP_FILE_ATTRIBUTES_EXTERNAL_FILE_ATTRIBUTES;
    attributes->host_system = ZIP_OPSYS_UNIX;
    attributes->external_file_attributes = mode << 16;
    return sizeof(*attributes);
}

// The commands every read source answers the same: its error, its end, what it supports, and any
// command it does not know. A source's callback hands them here after its own.
template <typename Source>
zip_int64_t AnswerLikeEveryReadSource(Source &source, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    switch (command) {
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&source.error, data, length);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&source.error);
        delete &source;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_GET_FILE_ATTRIBUTES, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        zip_error_set(&source.error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// The source reading through callback from state, which libzip owns from then on; null, state
// gone, when it cannot be made.
template <typename Source>
zip_source_t *MakeReadSource(zip_t *archive, zip_source_callback callback, Source *state)
{
    zip_error_init(&state->error);
    zip_source_t *source = zip_source_function(archive, callback, state);
    if (!source) {
        zip_error_fini(&state->error);
        delete state;
    }
    return source;
}
