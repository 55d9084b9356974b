#pragma once

#include "MemberFile.h"

#include <QString>
#include <functional>
#include <zip.h>

// A libzip source that reads a member file while libzip compresses it, a chunk at a time, so that a
// file of any size takes little memory. The file is opened when libzip first asks for its size. The
// read must find the file as it was opened: when it does not, or the file cannot be read, failed is
// told why (libzip names no file) and the entry fails. Null when libzip cannot make the source.
[[nodiscard]] zip_source_t *CreateStreamedFileSource(zip_t *archive, const QString &filePath,
                                                     std::function<void(const ReadProblem &)> failed);
