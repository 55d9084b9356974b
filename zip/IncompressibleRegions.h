#pragma once

#include <QByteArrayView>
#include <vector>

struct DataRegion {
    qsizetype offset = 0;
    qsizetype size = 0;
    bool incompressible = false;
};

// Splits a file's bytes into regions worth deflating and regions that would not shrink (JPEG
// photographs and other compressed data inside .frx files, raw data in a resource file), which
// are then stored as they are instead of costing the compressor as much time as text does. Each
// window of 4 KiB whose bytes are spread like random ones counts as incompressible, in runs of
// at least 32 KiB: shorter ones stay with their neighbours. The regions cover the data in order,
// alternating; there is at least one, so empty data is one empty region worth deflating.
[[nodiscard]] std::vector<DataRegion> SplitIncompressibleRegions(QByteArrayView data);
