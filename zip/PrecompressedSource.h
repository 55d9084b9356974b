#pragma once

#include "DeflatePipeline.h"
#include "MemberFile.h"
#include "ReadSource.h"

#include <QString>
#include <zip.h>

// A libzip source that hands over a member already deflated (and encrypted) by the pipeline, with
// its sizes and CRC, so that libzip copies it as it is.
// The deflated data is taken from the pipeline only when libzip comes to write the entry (it asks
// for its sizes, then opens it), and let go once written. progressed is told, while the source waits
// for the pipeline and as libzip writes the data, how much of the file's fileSize bytes is written
// (the pipeline counts what it compressed); failed is told why the pipeline could not give it
// (libzip names no file). Null when libzip cannot make the source.
[[nodiscard]] zip_source_t *CreatePrecompressedSource(zip_t *archive, DeflatePipeline &pipeline, size_t index,
                                                      quint64 fileSize, SourceProgress progressed,
                                                      std::function<void(const ReadProblem &)> failed);
