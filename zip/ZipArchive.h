#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The zip component behind every archive and restore: one object per operation. A status is 1 for
// success and 0 for a failure whose reason LastError() gives in words, unless the function says
// otherwise.
class ZipArchive {
public:
    // Called with the share of the work done, 0.0 to 1.0, while an archive is written, extracted or
    // checked, so that a window can move its bar. Writing counts each byte of the member files
    // twice, once read and compressed, once written; reading counts the bytes read.
    using ProgressHandler = std::function<void(double)>;
    // Asked between chunks of the work of WriteAndClose, TestAll and ExtractAll, on the caller's
    // thread: true stops it, which then gives Stopped and leaves nothing of what it had begun.
    using StopCheck = std::function<bool()>;
    static constexpr int Stopped = -5;

    // Negative results of ExtractAll, and of TestAll for the two about passwords.
    static constexpr int ExtractFailed = -1;
    static constexpr int ExtractRefused = -2;       // an entry would land outside the folder, or on another
    static constexpr int ExtractNeedsPassword = -3; // encrypted entries, no password given
    static constexpr int ExtractWrongPassword = -4;

    // The zip format keeps the archive comment's length in 16 bits.
    static constexpr qsizetype kLongestComment = 0xFFFF;

    ZipArchive();
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    // Writing: nothing touches the disk until WriteAndClose. CreateNew cannot fail; it gives 1.
    int CreateNew(const QString &archivePath);
    void UsePassword(const QString &password);
    void EnableProtection(bool on);
    void SetFolderPrefix(const QString &folder);
    // What the entry holds of its file.
    enum class Content {
        AsIs,            // the file byte for byte
        WindowsLineEnds, // text: a lone LF becomes CR LF, unless the file holds a NUL (then as is)
    };
    // The entry is the folder prefix joined with entryFileName, by default the file's own name. It
    // keeps the file's modification time; its size and CRC are those of the content stored.
    [[nodiscard]] int AddMemberFile(const QString &filePath, const QString &entryFileName = QString(),
                                    Content content = Content::AsIs);
    // An entry made from bytes in memory, under the folder prefix: what must never lie on a disk
    // unprotected when the archive is protected. It gets the time of the write.
    [[nodiscard]] int AddMemberData(const QByteArray &content, const QString &entryFileName);
    // An earlier archive of the same files, given before they are added: an entry of it that holds
    // exactly what a member would store now (same name and bytes, protected with the same password
    // or neither) is copied as it lies there once its data passes its checks, instead of being
    // compressed again. The new archive stands on its own all the same.
    void ReuseEntriesOf(const QString &earlierArchive);
    // What the last WriteAndClose made of the earlier archive.
    struct ReuseReport {
        QString earlier;
        QString unreadable; // why the earlier archive could not be read at all
        qsizetype reused = 0;
        QStringList damaged; // "ENTRY: reason", each compressed afresh
    };
    [[nodiscard]] ReuseReport LastReuse() const;
    // The archive's comment, which every zip tool shows; UTF-8, at most kLongestComment bytes.
    void SetArchiveComment(const QString &comment);
    // Called when the whole archive is written and durable, still under a temporary name beside
    // its own: false drops it, and WriteAndClose gives NotKept instead of publishing it.
    using KeepDecision = std::function<bool(const QString &writtenArchive)>;
    void KeepOnlyIf(KeepDecision decide);
    static constexpr int NotKept = 2;
    // The archive is written to a temporary file, made durable, and given its name only when
    // nothing has that name already: an archive never replaces a file. 1 when it is there.
    // Every member file must stay the same file all the while it is read (its size and modification
    // time, and as many bytes read as its size). One that changes while it is read is read once
    // more; when it changes again the write fails, naming it.
    [[nodiscard]] int WriteAndClose();
    // The member files that changed each time they were read, when the last WriteAndClose failed.
    [[nodiscard]] QStringList ChangingFiles() const;
    // A file added earlier is not written after all: after a failed WriteAndClose, the archive can be
    // written without it.
    void LeaveOut(const QString &filePath);

    // Reading.
    [[nodiscard]] int OpenExisting(const QString &archivePath);
    // What extracting does with an entry whose data fails its checks (a wrong CRC, a size that lies,
    // a stream that does not inflate).
    enum class DamagedEntries {
        StopTheExtraction, // nothing is extracted
        LeaveOut,          // the others are; LeftOutEntries names it
    };
    // Extracts into a new folder: destinationFolder, or when that name is taken (by anything, a
    // link too) the first free of "destinationFolder (2)", "(3)"...; ExtractedFolder names it. An
    // existing folder is never written into. The entries are written into a temporary folder beside
    // it, which takes the name only once every file is written and durable: a failure or an
    // interruption leaves nothing. The number of files written (folders are not counted), or a
    // negative result above. Every entry is judged first: when one is refused or cannot be read here,
    // a password is missing, or the files would not fit on the disk, nothing is written.
    [[nodiscard]] int ExtractAll(const QString &destinationFolder, const QString &password = QString(),
                                 DamagedEntries damaged = DamagedEntries::StopTheExtraction);
    // The folder the last ExtractAll wrote; empty when it failed.
    [[nodiscard]] QString ExtractedFolder() const;
    // What the last ExtractAll left out, one reason per damaged entry, naming it.
    [[nodiscard]] QStringList LeftOutEntries() const;
    // Reads every entry to its end and checks it as extracting would, writing nothing: 1 when all
    // are sound, 0 when not (LastError gives every reason, one per line), or ExtractNeedsPassword
    // or ExtractWrongPassword.
    [[nodiscard]] int TestAll(const QString &password = QString());
    // 1 when the sizes the entries declare fit in the free space where the folder is or would be
    // (ExtractAll checks it too); 0 otherwise, LastError saying how much is missing, or that the
    // sizes add up to more than any disk holds.
    [[nodiscard]] int CheckRoom(const QString &destinationFolder);
    [[nodiscard]] QStringList EntryNames();
    // What the central directory says of each entry, without reading its data.
    struct EntrySummary {
        QString name;
        quint64 size = 0;
        quint32 crc = 0;
        bool encrypted = false; // the CRC may then be zero whatever the data (WinZip AES AE-2)
    };
    [[nodiscard]] std::vector<EntrySummary> EntrySummaries();
    // The comment of the archive open for reading, read as UTF-8; empty when it has none.
    [[nodiscard]] QString ArchiveComment();
    // The content of the entry of exactly this name, when it can be read and is at most largest
    // bytes; otherwise nothing, and LastError says why.
    [[nodiscard]] std::optional<QByteArray> ReadEntry(const QString &name, const QString &password, qint64 largest);
    void CloseArchive();

    void SetProgressHandler(ProgressHandler handler);
    void SetStopCheck(StopCheck check);
    QString LastError() const;

private:
    struct State;
    std::unique_ptr<State> d;
};

// The folders and the file name an entry name stands for when extracted: either separator splits
// them, "." folders are dropped.
QStringList EntryNameParts(const QString &name);

// Why extracting refuses an entry of this name, whatever the entry holds: no name, a control
// character, an absolute path, a drive, or a ".." that climbs; empty when the name is accepted.
[[nodiscard]] QString EntryNameRefusal(const QString &name);

// The name and version of the zip library, for example "libzip 1.7.3".
QString ComponentVersionText();
