#pragma once

#include "ArchiveRun.h"

#include <QJsonObject>

// What archive prints of a run beside its progress and warnings: a dry run's plan as text, and the
// --json document of any run.

// For each project, the archive it would get with its entries and sizes, what it would lack and
// take from the earlier archive, or that it would get none; then what --keep would remove.
void PrintDryRun(const ArchiveRunResult &run);

// The run's summary; a dry run's lists each archive's entries too.
QJsonObject ArchiveRunJson(const ArchiveRunResult &run, bool dryRun);
