// A deflate stream is carried on past its last block only once that block has been found. Prints
// what finding it costs with our scanner (ScanDeflateBlocks, which decodes the symbols and writes
// nothing) and with zlib's inflate stopping at each block (Z_BLOCK, which writes the data out), on
// the streams the compression workers make of a project's files, next to what making them costs.
//
//     bench-deflate-scan FOLDER    (a project written by bench/generate-project)
#include "DeflateBlockScan.h"
#include "DeflatePipeline.h"
#include "IncompressibleRegions.h"

#include <QByteArray>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <libdeflate.h>
#include <vector>
#include <zlib.h>

namespace {

struct Streams {
    std::vector<QByteArray> compressed;
    qint64 inputBytes = 0;
    double compressMs = 0;
};

// The stream of every region the workers deflate and then scan: compressible, shrinking, and not
// the last of its file (a last region ends the member's stream as it is). With everyRegion, the
// last ones too, for a larger sample.
Streams CompressProject(const QString &folder, bool everyRegion)
{
    Streams streams;
    libdeflate_compressor *compressor = libdeflate_alloc_compressor(6);
    QElapsedTimer timer;
    QDirIterator files(folder, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (file.size() > DeflatePipeline::kLargestFile || !file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray data = file.readAll();
        const std::vector<DataRegion> regions = SplitIncompressibleRegions(data);
        for (const DataRegion &region : regions) {
            if (region.incompressible || (!everyRegion && &region == &regions.back()))
                continue;
            QByteArray out(qsizetype(libdeflate_deflate_compress_bound(compressor, size_t(region.size))), '\0');
            timer.start();
            const size_t written = libdeflate_deflate_compress(compressor, data.constData() + region.offset,
                                                               size_t(region.size), out.data(), size_t(out.size()));
            streams.compressMs += timer.nsecsElapsed() / 1e6;
            if (written > 0 && qsizetype(written) < region.size) {
                out.truncate(qsizetype(written));
                streams.compressed.push_back(out);
                streams.inputBytes += region.size;
            }
        }
    }
    libdeflate_free_compressor(compressor);
    return streams;
}

// inflate with Z_BLOCK returns at each block boundary; data_type tells the bits left unused in the
// last byte taken (its low 6 bits), whether the last block has begun (64) and whether it stopped
// between blocks (128).
std::optional<DeflateLastBlock> ZlibLastBlock(QByteArrayView stream, std::vector<unsigned char> &scratch)
{
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        return std::nullopt;
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.data()));
    z.avail_in = uInt(stream.size());
    std::optional<DeflateLastBlock> found;
    qint64 blockStart = 0;
    for (;;) {
        z.next_out = scratch.data();
        z.avail_out = uInt(scratch.size());
        if (inflate(&z, Z_BLOCK) != Z_OK)
            break;
        if (!(z.data_type & 128))
            continue;
        const qint64 position = qint64(z.total_in) * 8 - (z.data_type & 63);
        if (z.data_type & 64) {
            if ((position + 7) / 8 == stream.size())
                found = DeflateLastBlock{blockStart, position};
            break;
        }
        blockStart = position;
    }
    inflateEnd(&z);
    return found;
}

// Best of five runs over every stream, in milliseconds; the last run's answers land in found.
double BestMs(const Streams &streams, std::vector<std::optional<DeflateLastBlock>> &found,
              const std::function<std::optional<DeflateLastBlock>(QByteArrayView)> &scan)
{
    double best = 1e12;
    for (int run = 0; run < 5; ++run) {
        found.clear();
        QElapsedTimer timer;
        timer.start();
        for (const QByteArray &stream : streams.compressed)
            found.push_back(scan(stream));
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

bool Same(const std::optional<DeflateLastBlock> &a, const std::optional<DeflateLastBlock> &b)
{
    return a.has_value() == b.has_value() && (!a || (a->headerBit == b->headerBit && a->endBit == b->endBit));
}

// Returns whether both ways found the same last block of every stream.
bool Measure(const char *what, const Streams &streams)
{
    std::vector<std::optional<DeflateLastBlock>> ours;
    std::vector<std::optional<DeflateLastBlock>> zlibs;
    std::vector<unsigned char> scratch(256 * 1024);
    const double scannerMs = BestMs(streams, ours, [](QByteArrayView stream) { return ScanDeflateBlocks(stream); });
    const double zlibMs = BestMs(streams, zlibs, [&](QByteArrayView stream) { return ZlibLastBlock(stream, scratch); });
    qint64 compressedBytes = 0;
    for (const QByteArray &stream : streams.compressed)
        compressedBytes += stream.size();
    const bool same = std::equal(ours.begin(), ours.end(), zlibs.begin(), zlibs.end(), Same);
    const bool allFound = std::all_of(ours.begin(), ours.end(), [](const auto &last) { return last.has_value(); });
    std::printf("%-26s %7zu %9.1f %9.1f %12.1f %12.1f %10.1f  %s%s\n", what, streams.compressed.size(),
                streams.inputBytes / 1e6, compressedBytes / 1e6, scannerMs, zlibMs, streams.compressMs,
                same ? "same blocks" : "DIFFERENT BLOCKS", allFound ? "" : ", SOME NOT FOUND");
    return same && allFound;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-deflate-scan FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    std::printf("%-26s %7s %9s %9s %12s %12s %10s\n", "streams", "count", "in MB", "out MB", "scanner ms", "zlib ms",
                "deflate ms");
    const bool scanned = Measure("scanned by the workers", CompressProject(folder, false));
    const bool every = Measure("every deflated region", CompressProject(folder, true));
    return scanned && every ? 0 : 1;
}
