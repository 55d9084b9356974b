#pragma once

// What the files of ZipArchive share, one file for each job: ZipWriting.cpp, ZipReading.cpp
// (reading and checking), ZipExtraction.cpp (safe extraction), ZipEntryNames.cpp (the rules
// every entry name is judged by), and ZipArchiveState.cpp for the object itself. Callers of
// ZipArchive never see it.

#include "DeflatePipeline.h"
#include "MemberFile.h"
#include "TemporaryFiles.h"
#include "ZipArchive.h"

#include <QHash>
#include <QSet>
#include <ctime>
#include <vector>
#include <zip.h>

struct ZipArchive::State {
    // A file to be written, added since CreateNew.
    struct Member {
        QString entryName;
        QString filePath;    // empty: the entry holds data
        QByteArray password; // empty: stored without encryption
        Content content;
        std::optional<size_t> deflated; // its number in the pipeline; none: read as libzip compresses it
        QByteArray data;                // the content of an entry made from memory
        qint64 size = 0;                // of the file, as it was when added
    };

    // An entry of the archive opened for reading.
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

    // A thousandth of the work between two reports: on a 100 MiB project that is a few milliseconds
    // of compressing, so a bar moves smoothly without a flood of reports.
    static constexpr double kProgressPrecision = 0.001;

    // Every job: the archive's path, the reason of the last failure, the progress, the stop check.
    QString archivePath;
    QString error;
    ProgressHandler progress;
    double lastShare = 0;
    StopCheck stopCheck;
    int Fail(int code, const QString &reason);
    void Report(double share) const;
    bool StopAsked() const;
    static QString LibzipText(int code);
    static QString LibzipText(zip_error_t *error);

    // Writing.
    QByteArray password;
    bool protect = false;
    QString prefix;
    QByteArray comment;
    std::vector<Member> members;
    QHash<QString, size_t> memberByFoldedName;
    std::shared_ptr<EarlierEntries> earlier;
    ReuseReport reuse;
    std::unique_ptr<DeflatePipeline> pipeline;
    QString writeFailure;      // a member that could not be read while the archive was written
    QSet<QString> changedOnce; // member files seen changing while they were read
    QStringList changingFiles; // member files that changed each time they were read
    bool writeAgain = false;   // a member file changed while it was read, the first time
    bool writeAttempted = false;
    std::optional<TemporaryPath> written; // the archive written, not yet published
    KeepDecision keepOnlyIf;
    // The write's progress in bytes of the member files: each counted once read and compressed
    // (by the pipeline, or here for the files the writer reads itself), once written.
    quint64 bytesToWrite = 0;
    quint64 bytesCompressedHere = 0;
    quint64 bytesWritten = 0;
    bool stopped = false; // the stop check stopped this write
    void Remember(const QString &entryName, const QString &filePath, qint64 size, Content content);
    std::optional<size_t> StartDeflating(const QString &filePath, qint64 size, const QString &entryName,
                                         const QByteArray &secret, Content content);
    int Write();
    void RestartDeflating();
    QString AddEntry(zip_t *archive, const Member &member);
    void ReadFailed(const QString &file, const ReadProblem &problem);
    int Publish();
    void ForgetMembers();
    bool Progressed(quint64 compressed, quint64 written);
    void ReportWrite();
    static int CancelWhenStopped(zip_t *, void *state);

    // Reading and checking.
    zip_t *reader = nullptr;
    quint64 bytesToRead = 0;
    quint64 bytesRead = 0;
    int List(std::vector<Entry> &entries);
    // The sum of the sizes the entries declare; nothing when it overflows 64 bits, which only a
    // forged archive can declare.
    static std::optional<quint64> DeclaredTotal(const std::vector<Entry> &entries);
    int Describe(zip_uint64_t index, Entry &entry);
    void StartReading(const std::vector<Entry> &entries);
    void CountRead(quint64 bytes);
    // Answers a problem that stops the reading, or nothing.
    using ChunkSink = std::function<QString(const char *, zip_int64_t)>;
    int ReadThrough(const Entry &entry, const QByteArray &password, const QString &what, const ChunkSink &sink);

    // Safe extraction, below the descriptor of a fresh temporary folder.
    QString extractionPlace; // the folder the temporary folder is made in
    QString extractedFolder;
    QStringList leftOut;
    int Examine(bool havePassword, std::vector<Entry> &entries);
    int CheckRoom(const std::vector<Entry> &entries, const QString &destinationFolder);
    int ExtractEntry(const Entry &entry, int root, const QByteArray &password, DamagedEntries damaged);
    int EnterFolders(int root, const QStringList &names, int &folder);
    int WriteEntry(const Entry &entry, int folder, const QByteArray &password, DamagedEntries damaged);
    QString CannotWriteText(const QString &what, int error) const;
    int CannotWrite(const QString &what, int error);

    // Entry names.
    QString RefusalReason(const Entry &entry) const;
    static QString NameClash(const std::vector<Entry> &entries);
};
