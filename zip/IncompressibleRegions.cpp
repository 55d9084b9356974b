#include "IncompressibleRegions.h"

#include <array>
#include <cmath>

namespace {

constexpr qsizetype kWindow = 4096;
// From 32 KiB on, the compressed data after a stored region could not have referred back past
// it anyway (deflate looks back 32 KiB): splitting there costs only a block header. Short runs
// are random bytes a compressor passes over quickly between its matches.
constexpr qsizetype kMinimumRunWindows = 8;
// Random bytes measure 7.95 bits a byte over 4 KiB; text about 5, pictures of a few colours less.
// Above this, deflate's Huffman codes gain next to nothing on the window.
constexpr double kIncompressibleBitsPerByte = 7.9;

// n log2 n for every count a window can hold, so that a window's entropy costs 256 look-ups.
const std::array<float, kWindow + 1> &CountTimesLog()
{
    static const std::array<float, kWindow + 1> table = [] {
        std::array<float, kWindow + 1> values{};
        for (qsizetype n = 1; n <= kWindow; ++n)
            values[size_t(n)] = float(double(n) * std::log2(double(n)));
        return values;
    }();
    return table;
}

// Whether a full window's order-0 entropy, the bits a byte that a code fitted to the window
// needs, is as high as random bytes'.
bool LooksRandom(const unsigned char *window)
{
    // Four histograms, so that runs of one byte value do not wait on the same counter.
    std::array<std::array<quint32, 256>, 4> counts{};
    for (qsizetype i = 0; i < kWindow; i += 4) {
        ++counts[0][window[i]];
        ++counts[1][window[i + 1]];
        ++counts[2][window[i + 2]];
        ++counts[3][window[i + 3]];
    }
    const auto &countTimesLog = CountTimesLog();
    double sum = 0;
    for (int value = 0; value < 256; ++value)
        sum += countTimesLog[counts[0][value] + counts[1][value] + counts[2][value] + counts[3][value]];
    const double bitsPerByte = std::log2(double(kWindow)) - sum / double(kWindow);
    return bitsPerByte > kIncompressibleBitsPerByte;
}

} // namespace

std::vector<DataRegion> SplitIncompressibleRegions(QByteArrayView data)
{
    const qsizetype windows = data.size() / kWindow;
    if (windows < kMinimumRunWindows)
        return {{0, data.size(), false}};

    const auto *bytes = reinterpret_cast<const unsigned char *>(data.data());
    const auto random = [bytes](qsizetype window) { return LooksRandom(bytes + window * kWindow); };
    std::vector<DataRegion> regions;
    qsizetype compressibleFrom = 0; // the window where the region being passed over began
    // Any run long enough holds a window whose number is a multiple of the shortest run: only
    // those are looked at first, so that compressible data costs few histograms.
    for (qsizetype probe = 0; probe < windows;) {
        if (!random(probe)) {
            probe += kMinimumRunWindows;
            continue;
        }
        qsizetype first = probe;
        while (first > compressibleFrom && random(first - 1))
            --first;
        qsizetype end = probe + 1;
        while (end < windows && random(end))
            ++end;
        if (end - first >= kMinimumRunWindows) {
            if (first > compressibleFrom)
                regions.push_back({compressibleFrom * kWindow, (first - compressibleFrom) * kWindow, false});
            regions.push_back({first * kWindow, (end - first) * kWindow, true});
            compressibleFrom = end;
        }
        // Window end is not random, or past the data.
        probe = (end / kMinimumRunWindows + 1) * kMinimumRunWindows;
    }
    // A tail shorter than a window goes with the one before it.
    if (compressibleFrom < windows)
        regions.push_back({compressibleFrom * kWindow, data.size() - compressibleFrom * kWindow, false});
    else
        regions.back().size = data.size() - regions.back().offset;
    return regions;
}
