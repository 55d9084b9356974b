#pragma once

#include "Outcome.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// Why reading or extracting an archive failed, when the caller must tell the ways apart: a window
// asks for a password, and says a refused archive is hostile rather than damaged.
struct ZipFailure {
    enum class Kind {
        Failed,        // the archive cannot be read, or a file cannot be written
        Refused,       // an entry would land outside the folder, or on another
        NeedsPassword, // encrypted entries, no password given
        WrongPassword,
        Stopped, // the stop check asked: nothing of what was begun is left
    };
    Kind kind = Kind::Failed;
    QString reason;
};

// An archive open for reading, checking and extraction; one object per archive. Every entry's name
// is judged as extracting would judge it (EntryNameRefusal), whatever the operation.
class ZipReader {
public:
    // Called with the share of the work done, 0.0 to 1.0, as the entries are read.
    using ProgressHandler = std::function<void(double)>;
    // Asked between chunks of Check and ExtractAll, on the caller's thread: true stops them.
    using StopCheck = std::function<bool()>;

    // The archive, when it is a regular file that libzip can read.
    [[nodiscard]] static Outcome<ZipReader> Open(const QString &archivePath);
    ZipReader(ZipReader &&other) noexcept;
    ZipReader &operator=(ZipReader &&other) noexcept;
    ~ZipReader();

    void SetProgressHandler(ProgressHandler handler);
    void SetStopCheck(StopCheck check);

    // What the central directory says of each entry, without reading its data.
    struct EntrySummary {
        QString name;
        quint64 size = 0;
        quint32 crc = 0;
        bool encrypted = false; // the CRC may then be zero whatever the data (WinZip AES AE-2)
    };
    [[nodiscard]] Outcome<std::vector<EntrySummary>> Entries() const;
    // The archive's comment, read as UTF-8; empty when it has none.
    [[nodiscard]] QString Comment() const;
    // The content of the entry of exactly this name, when it can be read and is at most largest bytes.
    [[nodiscard]] Outcome<QByteArray> ReadEntry(const QString &name, const QString &password, qint64 largest);

    // Reads every entry to its end and checks it as extracting would, writing nothing: why the
    // archive would not extract whole, one reason per problem, none when it is sound. A failure only
    // when the archive cannot be listed, or for a password that is missing or wrong.
    [[nodiscard]] Outcome<QStringList, ZipFailure> Check(const QString &password = QString());
    // Which entries are extracted, by their names as stored: all of them when the choice is empty.
    // The others are still judged, so that a hostile archive is refused whole.
    using EntryChoice = std::function<bool(const QString &entryName)>;
    // Whether the sizes the chosen entries declare fit in the free space where the folder is or would
    // be (ExtractAll checks it too): the reason says how much is missing, or that the sizes add up to
    // more than any disk holds.
    [[nodiscard]] Outcome<void> CheckRoom(const QString &destinationFolder, const EntryChoice &chosen = {});

    // What extracting does with an entry whose data fails its checks (a wrong CRC, a size that lies,
    // a stream that does not inflate).
    enum class DamagedEntries {
        StopTheExtraction, // nothing is extracted
        LeaveOut,          // the others are; Extraction::LeftOut names it
    };
    struct Extraction {
        QString Folder;      // the folder made
        int Files = 0;       // files written; folders are not counted
        QStringList LeftOut; // one reason per damaged entry left out, naming it
    };
    // Extracts into a new folder: destinationFolder, or when that name is taken (by anything, a
    // link too) the first free of "destinationFolder (2)", "(3)"... An existing folder is never
    // written into. The entries are written into a temporary folder beside it, which takes the name
    // only once every file is written and durable: a failure or an interruption leaves nothing.
    // Every entry is judged first: when one is refused or cannot be read here, a password is
    // missing, or the files would not fit on the disk, nothing is written.
    [[nodiscard]] Outcome<Extraction, ZipFailure> ExtractAll(const QString &destinationFolder,
                                                             const QString &password = QString(),
                                                             DamagedEntries damaged = DamagedEntries::StopTheExtraction,
                                                             const EntryChoice &chosen = {});

private:
    struct State;
    explicit ZipReader(std::unique_ptr<State> state);
    std::unique_ptr<State> d;
};

// The folders and the file name an entry name stands for when extracted: either separator splits
// them, "." folders are dropped.
QStringList EntryNameParts(const QString &name);

// Why extracting refuses an entry of this name, whatever the entry holds: no name, a control
// character, an absolute path, a drive, or a ".." that climbs; empty when the name is accepted.
[[nodiscard]] QString EntryNameRefusal(const QString &name);
