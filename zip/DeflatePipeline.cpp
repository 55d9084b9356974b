#include "DeflatePipeline.h"

#include "DeflateStreamWriter.h"
#include "LineEnds.h"
#include "WinZipAes.h"

#include <QFile>
#include <libdeflate.h>

namespace {

constexpr int kLevel = 6;
// Input read but not yet written: enough to keep every core busy, small next to the machine.
constexpr qint64 kInFlightBudget = 32 * 1024 * 1024;

} // namespace

QByteArray DeflateRegions(libdeflate_compressor *compressor, QByteArrayView data,
                          const std::vector<DataRegion> &regions)
{
    DeflateStreamWriter stream;
    QByteArray compressed;
    for (const DataRegion &region : regions) {
        const bool final = &region == &regions.back();
        const QByteArrayView bytes = data.sliced(region.offset, region.size);
        if (!region.incompressible) {
            compressed.resize(qsizetype(libdeflate_deflate_compress_bound(compressor, size_t(bytes.size()))));
            const auto written = qsizetype(libdeflate_deflate_compress(compressor, bytes.data(), size_t(bytes.size()),
                                                                       compressed.data(), size_t(compressed.size())));
            const QByteArrayView output(compressed.constData(), written);
            if (written > 0 && written < bytes.size()) {
                if (final) {
                    stream.AppendFinalCompressed(output);
                    continue;
                }
                if (const std::optional<DeflateLastBlock> last = ScanDeflateBlocks(output)) {
                    stream.AppendCompressed(output, *last);
                    continue;
                }
            }
        }
        stream.AppendStored(bytes, final);
    }
    return stream.Take();
}

DeflatePipeline::DeflatePipeline()
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned worker = 0; worker < cores; ++worker)
        workers_.emplace_back([this] { Work(); });
}

size_t DeflatePipeline::Add(const QString &file, qint64 size, const QByteArray &password, ZipArchive::Content content)
{
    {
        std::lock_guard guard(lock_);
        files_.push_back(file);
        passwords_.push_back(password);
        sizes_.push_back(size);
        contents_.push_back(content);
        results_.emplace_back();
        discarded_.push_back(false);
    }
    changed_.notify_all();
    return files_.size() - 1;
}

void DeflatePipeline::Discard(size_t index)
{
    {
        std::lock_guard guard(lock_);
        discarded_[index] = true;
        if (!results_[index])
            return; // dropped when its worker is done
        results_[index].reset();
        inFlight_ -= sizes_[index];
    }
    changed_.notify_all();
}

DeflatePipeline::~DeflatePipeline()
{
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread &worker : workers_)
        worker.join();
}

void DeflatePipeline::Work()
{
    libdeflate_compressor *compressor = libdeflate_alloc_compressor(kLevel);
    for (;;) {
        size_t index = 0;
        QString file;
        QByteArray password;
        ZipArchive::Content content = ZipArchive::Content::AsIs;
        {
            std::unique_lock guard(lock_);
            // The first file in flight always goes, however large: the writer waits for it.
            changed_.wait(guard, [this] {
                return stopping_
                       || (next_ < files_.size() && (inFlight_ == 0 || inFlight_ + sizes_[next_] <= kInFlightBudget));
            });
            if (stopping_ || next_ >= files_.size())
                break;
            index = next_++;
            file = files_[index];
            password = passwords_[index];
            content = contents_[index];
            inFlight_ += sizes_[index];
        }
        Compressed result = compressor ? Compress(file, password, content, compressor)
                                       : Compressed{QStringLiteral("out of memory"), {}, 0, 0, false};
        {
            std::lock_guard guard(lock_);
            if (discarded_[index])
                inFlight_ -= sizes_[index];
            else
                results_[index] = std::move(result);
        }
        changed_.notify_all();
    }
    libdeflate_free_compressor(compressor);
}

DeflatePipeline::Compressed DeflatePipeline::Compress(const QString &file, const QByteArray &password,
                                                      ZipArchive::Content content, libdeflate_compressor *compressor)
{
    QFile source(file);
    if (!source.open(QIODevice::ReadOnly))
        return {source.errorString(), {}, 0, 0, false};
    QByteArray data = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return {source.errorString(), {}, 0, 0, false};
    if (content == ZipArchive::Content::WindowsLineEnds)
        data = WithWindowsLineEnds(data);

    Compressed result;
    result.size = static_cast<quint64>(data.size());
    result.crc = libdeflate_crc32(0, data.constData(), static_cast<size_t>(data.size()));
    result.data = DeflateRegions(compressor, data, SplitIncompressibleRegions(data));
    if (!password.isEmpty()) {
        result.data = WinZipAes256Encrypt(result.data, password);
        result.encrypted = true;
        if (result.data.isEmpty())
            result.error = QStringLiteral("the encryption failed");
    }
    return result;
}

DeflatePipeline::Compressed DeflatePipeline::Take(size_t index, const std::function<void()> &whileWaiting)
{
    std::unique_lock guard(lock_);
    const auto ready = [this, index] { return results_[index].has_value(); };
    while (!changed_.wait_for(guard, std::chrono::milliseconds(10), ready)) {
        if (whileWaiting) {
            guard.unlock();
            whileWaiting();
            guard.lock();
        }
    }
    Compressed result = std::move(*results_[index]);
    results_[index].reset();
    inFlight_ -= sizes_[index];
    guard.unlock();
    changed_.notify_all();
    return result;
}
