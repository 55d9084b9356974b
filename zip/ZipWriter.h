#pragma once

#include "Outcome.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// What a new archive took from the project's earlier archive: entries copied as they lay there,
// entries whose data failed its check (compressed afresh), or why the earlier archive could not be
// read at all (everything compressed afresh).
struct EarlierArchiveUse {
    QString Archive;
    QString Unreadable;
    qsizetype Reused = 0;
    QStringList Damaged; // "ENTRY: reason"
};

// A new zip archive, written whole or not at all; one object per archive. Nothing touches the disk
// until Write: members are only checked as they are added, and compressed ahead on every core.
class ZipWriter {
public:
    // Called with the share of the write done, 0.0 to 1.0: each byte of the member files counts
    // twice, once read and compressed, once written.
    using ProgressHandler = std::function<void(double)>;
    // Asked between chunks of the write, on the caller's thread: true stops it, leaving nothing of
    // what it had begun.
    using StopCheck = std::function<bool()>;
    // The zip format keeps the archive comment's length in 16 bits.
    static constexpr qsizetype kLongestComment = 0xFFFF;

    explicit ZipWriter(const QString &archivePath);
    ~ZipWriter();
    ZipWriter(const ZipWriter &) = delete;
    ZipWriter &operator=(const ZipWriter &) = delete;

    void SetProgressHandler(ProgressHandler handler);
    void SetStopCheck(StopCheck check);
    // Every entry added from now on is protected with WinZip AES-256 under this password; an empty
    // password protects nothing.
    void Protect(const QString &password);
    // The folder entries added next go under, "\" or "/" between names; "" for the root.
    void SetFolderPrefix(const QString &folder);
    // What the entry holds of its file.
    enum class Content {
        AsIs,            // the file byte for byte
        WindowsLineEnds, // text: a lone LF becomes CR LF, unless the file holds a NUL (then as is)
    };
    // The entry is the folder prefix joined with entryFileName, by default the file's own name. It
    // keeps the file's modification time; its size and CRC are those of the content stored. An
    // entry name is taken once, whatever its case: Windows, where the archive is opened, would see
    // one file where two names differ only in case.
    [[nodiscard]] Outcome<void> AddMemberFile(const QString &filePath, const QString &entryFileName = QString(),
                                              Content content = Content::AsIs);
    // An entry made from bytes in memory, under the folder prefix: what must never lie on a disk
    // unprotected when the archive is protected. It gets the time of the write.
    [[nodiscard]] Outcome<void> AddMemberData(const QByteArray &content, const QString &entryFileName);
    // An earlier archive of the same files, given before they are added: an entry of it that holds
    // exactly what a member would store now (same name and bytes, protected with the same password
    // or neither) is copied as it lies there once its data passes its checks, instead of being
    // compressed again. The new archive stands on its own all the same.
    void ReuseEntriesOf(const QString &earlierArchive);
    // The archive's comment, which every zip tool shows; UTF-8, at most kLongestComment bytes.
    void SetComment(const QString &comment);
    // Called when the whole archive is written and durable, still under a temporary name beside
    // its own: false drops it instead of publishing it.
    using KeepDecision = std::function<bool(const QString &writtenArchive)>;
    void KeepOnlyIf(KeepDecision decide);

    // The archive is written to a temporary file, made durable, and given its name only when
    // nothing has that name already: an archive never replaces a file. Every member file must stay
    // the same file all the while it is read (its size and modification time, and as many bytes
    // read as its size). One that changes while it is read is read once more, the whole archive
    // written again; when it changes again the write fails, naming it (ChangingFiles).
    // How a write that did not fail ended: published under its name, dropped as KeepOnlyIf asked, or
    // stopped as the stop check asked.
    enum class Written { Published, Dropped, Stopped };
    [[nodiscard]] Outcome<Written> Write();
    // The member files that changed each time they were read, when the last Write failed.
    [[nodiscard]] QStringList ChangingFiles() const;
    // A file added earlier is not written after all: after a failed Write, the archive can be
    // written without it.
    void LeaveOut(const QString &filePath);
    // What the last Write made of the earlier archive; its Archive is empty when none was given.
    [[nodiscard]] const EarlierArchiveUse &Reuse() const;

    // What Write would store, found the way Write finds it but with nothing written, not even a
    // temporary file: every member file read (one beyond the pipeline's largest whole into memory
    // too), given its line ends, its CRC-32 taken, and offered to the earlier archive, whose verdict
    // Reuse() then gives. A file that cannot be read, or changes while it is read, fails the plan,
    // naming it; so does the stop check, when it asks.
    struct PlannedEntry {
        QString name;
        quint64 size = 0; // as it would be stored, uncompressed
        quint32 crc = 0;
        bool encrypted = false;
        bool reused = false; // copied from the earlier archive as it lies there
    };
    struct Planned {
        std::vector<PlannedEntry> entries; // in the order they would be written
        QString comment;
    };
    [[nodiscard]] Outcome<Planned> Plan();

private:
    struct State;
    std::unique_ptr<State> d;
};
