#pragma once

// What the files of ZipReader share, one file for each job: ZipReading.cpp (opening, listing,
// reading and checking), ZipExtraction.cpp (safe extraction, on top of the reading), and
// ZipEntryNames.cpp (the rules every entry name is judged by). Callers of ZipReader never see it.

#include "ZipLibrary.h"
#include "ZipReader.h"

#include <QByteArray>
#include <ctime>
#include <optional>
#include <vector>
#include <zip.h>

struct ZipReader::State {
    using Failure = Outcome<void, ZipFailure>;

    // An entry of the archive.
    struct Entry {
        zip_uint64_t index;
        QString name; // as stored
        QStringList names;
        bool isFolder;
        time_t modified;
        zip_uint64_t size; // as the archive declares it
        zip_uint16_t encryption;
        zip_uint32_t crc;
        bool encrypted() const { return encryption != ZIP_EM_NONE; }
        // libzip would refuse it at reading, and in 1.7.3 leak what it had opened for it.
        bool readable() const { return zip_encryption_method_supported(encryption, 0) != 0; }
    };

    State(QString path, zip_t *archive) : archivePath(std::move(path)), reader(archive) {}
    ~State();

    QString archivePath;
    zip_t *reader;
    Progress progress;
    StopCheck stopCheck;

    static Failure Fail(ZipFailure::Kind kind, const QString &reason)
    {
        return Failure::failure(ZipFailure{kind, reason});
    }

    // Reading and checking.
    quint64 bytesToRead = 0;
    quint64 bytesRead = 0;
    Outcome<std::vector<Entry>> List() const;
    Outcome<Entry> Describe(zip_uint64_t index) const;
    // The sum of the sizes the entries declare; nothing when it overflows 64 bits, which only a
    // forged archive can declare.
    static std::optional<quint64> DeclaredTotal(const std::vector<Entry> &entries);
    void StartReading(const std::vector<Entry> &entries);
    void CountRead(quint64 bytes);
    // Answers a problem that stops the reading, or nothing.
    using ChunkSink = std::function<QString(const char *, zip_int64_t)>;
    Failure ReadThrough(const Entry &entry, const QByteArray &password, const QString &what, const ChunkSink &sink);

    // Safe extraction, below the descriptor of a fresh temporary folder.
    QString extractionPlace; // the folder the temporary folder is made in
    QStringList leftOut;
    Failure Examine(bool havePassword, const std::vector<Entry> &entries) const;
    Outcome<void> CheckRoom(const std::vector<Entry> &entries, const QString &destinationFolder) const;
    // The entries the choice takes; all of them when it is empty.
    static std::vector<Entry> Chosen(const std::vector<Entry> &entries, const EntryChoice &chosen);
    // Whether a file was written (not a folder, not a damaged entry left out).
    Outcome<bool, ZipFailure> ExtractEntry(const Entry &entry, int root, const QByteArray &password,
                                           DamagedEntries damaged);
    Outcome<int, ZipFailure> EnterFolders(int root, const QStringList &names) const;
    Outcome<bool, ZipFailure> WriteEntry(const Entry &entry, int folder, const QByteArray &password,
                                         DamagedEntries damaged);
    QString CannotWriteText(const QString &what, int error) const;

    // Entry names.
    QString RefusalReason(const Entry &entry) const;
    static QString NameClash(const std::vector<Entry> &entries);
};
