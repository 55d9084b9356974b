#pragma once

#include <QtGlobal>
#include <zip.h>

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
