#pragma once

#include "MemberFile.h"
#include "ReadSource.h"
#include "ZipWriter.h"

#include <QString>
#include <functional>
#include <zip.h>

// A libzip source that reads a member file while libzip compresses it, a chunk at a time, so that a
// file of any size takes little memory. The file is opened when libzip first asks for its size.
// With Windows line ends it is read through once then, to learn whether it changes and the size it
// is stored with (libzip writes the entry's header before its data), and converted chunk by chunk
// as it is read again. Each read must find the file as it was opened: when it does not, or the file
// cannot be read, failed is told why (libzip names no file) and the entry fails. progressed is told
// of each piece libzip takes, read and compressed, and written, as libzip compresses and writes it
// at once; with Windows line ends, of each chunk of the first read as read, of each piece of the
// second as written. Null when libzip cannot make the source.
[[nodiscard]] zip_source_t *CreateStreamedFileSource(zip_t *archive, const QString &filePath,
                                                     ZipWriter::Content content, SourceProgress progressed,
                                                     std::function<void(const ReadProblem &)> failed);
