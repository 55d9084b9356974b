#pragma once

#include "DeflatePipeline.h"

#include <QString>
#include <zip.h>

// A libzip source that hands over a member already deflated (and encrypted) by the pipeline, with
// its sizes and CRC, so that libzip copies it as it is.
// The deflated data is held only from the moment libzip opens the source until it closes it.
// whileWaiting runs while the source waits for the pipeline.
zip_source_t *CreatePrecompressedSource(zip_t *archive, DeflatePipeline &pipeline, size_t index, const QString &file,
                                        std::function<void()> whileWaiting);
