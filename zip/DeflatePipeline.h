#pragma once

#include "EarlierEntries.h"
#include "IncompressibleRegions.h"
#include "MemberFile.h"
#include "ReusedBuffers.h"
#include "ZipWriter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Compresses (and encrypts) member files ahead of the archive writer, one worker per core: each file is read
// once, whole, given Windows line ends when asked, with its CRC-32, and deflated at level 6 with
// libdeflate into one deflate stream; a file that holds long regions that cannot shrink is deflated
// around them, and they are stored as they are. Workers run ahead of the writer in file order, with a bounded amount of
// memory in flight (the files being worked on, and the results the writer has not taken), so memory stays small
// however large the project.
class DeflatePipeline {
public:
    struct Compressed {
        QByteArray data;  // raw deflate data, or when encrypted the WinZip AES data around it
        quint64 size = 0; // uncompressed, as stored (after any line-end conversion)
        quint32 crc = 0;
        bool encrypted = false; // WinZip AES-256 around the deflate data
        qint64 modified = 0;    // the file's, in seconds since the epoch
        quint32 mode = 0100644; // the file's type and permissions
        bool reused = false;    // the data was copied from the earlier archive
        QString earlierDamage;  // why the earlier archive's entry could not be copied, when damaged
        QByteArray recordField; // when encrypted, the entry's content record (ContentRecord)
    };
    using Result = Outcome<Compressed, ReadProblem>;

    // Files larger than this are left to the archive writer, which reads them as it compresses them.
    static constexpr qint64 kLargestFile = 16 * 1024 * 1024;

    // earlier, when given, is offered every file first: an entry of it that holds the same is
    // copied instead of compressed.
    explicit DeflatePipeline(std::shared_ptr<EarlierEntries> earlier = nullptr);
    ~DeflatePipeline();
    DeflatePipeline(const DeflatePipeline &) = delete;
    DeflatePipeline &operator=(const DeflatePipeline &) = delete;

    // Queues a file and gives its number; a worker takes it as soon as one is free and the memory in
    // flight leaves room, while the caller goes on. With a password the deflated data is also
    // encrypted (WinZip AES-256).
    [[nodiscard]] size_t Add(const QString &file, qint64 size, const QByteArray &password = QByteArray(),
                             ZipWriter::Content content = ZipWriter::Content::AsIs,
                             const QString &entryName = QString());
    // The result of a queued file will never be taken (its entry was replaced): it is dropped.
    void Discard(size_t index);

    // The result for file number index, waiting for it when needed; each is taken once. While it
    // waits, keepWaiting runs every few milliseconds (the writer reports its progress there): false
    // gives up the wait, and then there is no result.
    [[nodiscard]] std::optional<Result> Take(size_t index, const std::function<bool()> &keepWaiting = {});
    // The bytes of the queued files read and compressed (or found in the earlier archive) so far;
    // safe to ask from any thread.
    quint64 CompressedBytes() const { return compressedBytes_.load(std::memory_order_relaxed); }

    // Of the results taken so far: how many were copied from the earlier archive, and the earlier
    // entries found damaged ("ENTRY: reason"), compressed afresh instead.
    qsizetype ReusedCount() const { return reusedCount_; }
    // The data of a result once written, for the workers to fill again.
    void GiveBack(QByteArray data) { buffers_.GiveBack(std::move(data)); }
    const QStringList &EarlierDamage() const { return earlierDamage_; }
    // The content record of a result taken, as an extra field; empty for a plain entry.
    QByteArray RecordField(size_t index) const { return recordFields_[index]; }

private:
    void Work();
    struct Job {
        QString file;
        QString entryName;
        QByteArray password;
        qint64 size;
        ZipWriter::Content content;
    };
    Result Compress(const Job &job, struct libdeflate_compressor *compressor) const;
    QByteArray RecordField(const Job &job, QByteArrayView content, QByteArrayView stored) const;

    std::shared_ptr<EarlierEntries> earlier_;
    // The records of new entries take the salt of those they are written beside.
    const QByteArray recordSalt_;
    mutable BufferPool buffers_;
    std::vector<Job> jobs_;
    std::vector<std::optional<Result>> results_;
    std::vector<bool> discarded_;
    std::vector<QByteArray> recordFields_;
    std::vector<qint64> held_; // what a job holds in memory: its file while a worker has it, then its result
    std::mutex lock_;
    // Workers wait for a job and room in flight, the writer for a result: each is woken only for its own.
    std::condition_variable jobsOrRoom_;
    std::condition_variable resultsReady_;
    qsizetype reusedCount_ = 0;
    QStringList earlierDamage_;
    size_t next_ = 0;
    qint64 inFlight_ = 0; // the sum of held_
    std::atomic<quint64> compressedBytes_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

// One deflate stream of data: each region worth deflating compressed by libdeflate, the others and
// any that does not shrink kept as they are in stored blocks (a few bytes per 64 KiB), so that a
// member that does not shrink still says deflate. The regions cover data in order, alternating.
[[nodiscard]] QByteArray DeflateRegions(struct libdeflate_compressor *compressor, QByteArrayView data,
                                        const std::vector<DataRegion> &regions);
