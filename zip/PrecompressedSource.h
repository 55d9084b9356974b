#pragma once

#include "DeflatePipeline.h"
#include "MemberFile.h"

#include <QString>
#include <zip.h>

// A libzip source that hands over a member already deflated (and encrypted) by the pipeline, with
// its sizes and CRC, so that libzip copies it as it is.
// The deflated data is taken from the pipeline only when libzip comes to write the entry (it asks
// for its sizes, then opens it), and let go once written; whileWaiting runs while the source waits
// for the pipeline, failed is told why the pipeline could not give it (libzip names no file). Null
// when libzip cannot make the source.
[[nodiscard]] zip_source_t *CreatePrecompressedSource(zip_t *archive, DeflatePipeline &pipeline, size_t index,
                                                      std::function<void()> whileWaiting,
                                                      std::function<void(const ReadProblem &)> failed);
