#include "DeflatePipeline.h"

#include "DeflateStreamWriter.h"
#include "LineEnds.h"
#include "MemberFile.h"
#include "ReusedBuffers.h"
#include "WinZipAes.h"

#include <libdeflate.h>

namespace {

constexpr int kLevel = 6;
// Input read but not yet written: enough to keep every core busy, small next to the machine.
constexpr qint64 kInFlightBudget = 32 * 1024 * 1024;

// The whole file into data, with its time and mode into result. A byte beyond the size it had when
// opened is room enough to see that it grew.
ReadOutcome ReadWhole(const QString &path, QByteArray &data, DeflatePipeline::Compressed &result)
{
    MemberFile file;
    if (ReadOutcome opened = file.Open(path); !opened)
        return opened;
    result.modified = file.Modified();
    result.mode = file.Mode();
    ResizeForOverwrite(data, qsizetype(file.Size()) + 1);
    qsizetype total = 0;
    qint64 got = 1;
    while (got > 0 && total < data.size()) {
        const Outcome<qint64, ReadProblem> read = file.Read(data.data() + total, data.size() - total);
        if (!read)
            return ReadOutcome::failure(read.error());
        got = read.value();
        total += qsizetype(got);
    }
    data.resize(total);
    return file.CheckUnchanged();
}

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

DeflatePipeline::DeflatePipeline(std::shared_ptr<EarlierEntries> earlier)
    : earlier_(std::move(earlier)),
      recordSalt_(earlier_ && !earlier_->RecordSalt().isEmpty() ? earlier_->RecordSalt() : ContentRecord::NewSalt())
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    for (unsigned worker = 0; worker < cores; ++worker)
        workers_.emplace_back([this] { Work(); });
}

size_t DeflatePipeline::Add(const QString &file, qint64 size, const QByteArray &password, ZipWriter::Content content,
                            const QString &entryName)
{
    size_t index = 0;
    {
        std::lock_guard guard(lock_);
        index = jobs_.size();
        jobs_.push_back({file, entryName, password, size, content});
        results_.emplace_back();
        discarded_.push_back(false);
        recordFields_.emplace_back();
        held_.push_back(0);
    }
    jobsOrRoom_.notify_one();
    return index;
}

void DeflatePipeline::Discard(size_t index)
{
    {
        std::lock_guard guard(lock_);
        discarded_[index] = true;
        if (!results_[index])
            return; // dropped when its worker is done
        results_[index].reset();
        inFlight_ -= held_[index];
    }
    jobsOrRoom_.notify_all();
}

DeflatePipeline::~DeflatePipeline()
{
    {
        std::lock_guard guard(lock_);
        stopping_ = true;
    }
    jobsOrRoom_.notify_all();
    for (std::thread &worker : workers_)
        worker.join();
}

void DeflatePipeline::Work()
{
    libdeflate_compressor *compressor = libdeflate_alloc_compressor(kLevel);
    for (;;) {
        size_t index = 0;
        Job job;
        {
            std::unique_lock guard(lock_);
            // The first file in flight always goes, however large: the writer waits for it.
            jobsOrRoom_.wait(guard, [this] {
                return stopping_
                       || (next_ < jobs_.size()
                           && (inFlight_ == 0 || inFlight_ + jobs_[next_].size <= kInFlightBudget));
            });
            if (stopping_ || next_ >= jobs_.size())
                break;
            index = next_++;
            job = jobs_[index];
            held_[index] = job.size;
            inFlight_ += job.size;
        }
        Result result = compressor ? Compress(job, compressor) : Result::failure({QStringLiteral("out of memory")});
        bool roomForWaitingJob = false;
        {
            std::lock_guard guard(lock_);
            if (discarded_[index]) {
                inFlight_ -= held_[index];
            } else {
                // Done, a job holds only its result: mostly far less than its file, and with the room
                // left over the workers go on while the writer has not begun to take results.
                const qint64 kept = result ? result.value().data.size() : 0;
                inFlight_ += kept - held_[index];
                held_[index] = kept;
                results_[index] = std::move(result);
                compressedBytes_ += quint64(job.size);
            }
            roomForWaitingJob = next_ < jobs_.size();
        }
        resultsReady_.notify_one();
        // A result mostly holds less than its file did: room may have opened for a worker held back.
        if (roomForWaitingJob)
            jobsOrRoom_.notify_one();
    }
    libdeflate_free_compressor(compressor);
}

DeflatePipeline::Result DeflatePipeline::Compress(const Job &job, libdeflate_compressor *compressor) const
{
    Compressed result;
    thread_local QByteArray data;
    if (const ReadOutcome read = ReadWhole(job.file, data, result); !read)
        return Result::failure(read.error());
    if (job.content == ZipWriter::Content::WindowsLineEnds)
        data = WithWindowsLineEnds(data);

    result.size = static_cast<quint64>(data.size());
    result.crc = libdeflate_crc32(0, data.constData(), static_cast<size_t>(data.size()));
    result.encrypted = !job.password.isEmpty();
    if (earlier_) {
        EarlierEntries::Match match =
            earlier_->Compare(job.entryName, data, result.crc, job.password, buffers_, result.data);
        result.earlierDamage = match.damage;
        if (match.verdict == EarlierEntries::Verdict::Reused) {
            result.reused = true;
            result.recordField =
                match.recordField.isEmpty() ? RecordField(job, data, result.data) : std::move(match.recordField);
            return Result::success(std::move(result));
        }
    }
    result.data = DeflateRegions(compressor, data, SplitIncompressibleRegions(data));
    if (result.encrypted) {
        Outcome<QByteArray> encrypted = WinZipAes256Encrypt(result.data, job.password);
        if (!encrypted)
            return Result::failure({"it could not be encrypted: " + encrypted.error()});
        result.data = std::move(encrypted).value();
        result.recordField = RecordField(job, data, result.data);
    }
    return Result::success(std::move(result));
}

QByteArray DeflatePipeline::RecordField(const Job &job, QByteArrayView content, QByteArrayView stored) const
{
    if (job.password.isEmpty())
        return QByteArray();
    return ContentRecord::Field(ContentRecord::Make(job.password, recordSalt_, content, stored));
}

std::optional<DeflatePipeline::Result> DeflatePipeline::Take(size_t index, const std::function<bool()> &keepWaiting)
{
    std::unique_lock guard(lock_);
    const auto ready = [this, index] { return results_[index].has_value(); };
    while (!resultsReady_.wait_for(guard, std::chrono::milliseconds(10), ready)) {
        if (keepWaiting) {
            guard.unlock();
            const bool waiting = keepWaiting();
            guard.lock();
            if (!waiting)
                return std::nullopt;
        }
    }
    Result result = std::move(*results_[index]);
    results_[index].reset();
    if (result) {
        reusedCount_ += result.value().reused ? 1 : 0;
        recordFields_[index] = result.value().recordField;
        if (!result.value().earlierDamage.isEmpty())
            earlierDamage_.append(QStringLiteral("%1: %2").arg(jobs_[index].entryName, result.value().earlierDamage));
    }
    inFlight_ -= held_[index];
    const bool roomForWaitingJob = next_ < jobs_.size();
    guard.unlock();
    if (roomForWaitingJob)
        jobsOrRoom_.notify_all();
    return result;
}
