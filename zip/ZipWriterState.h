#pragma once

// What ZipWriting.cpp keeps of an archive being written; callers of ZipWriter never see it.

#include "DeflatePipeline.h"
#include "MemberFile.h"
#include "TemporaryFiles.h"
#include "ZipLibrary.h"
#include "ZipWriter.h"

#include <QHash>
#include <QSet>
#include <optional>
#include <vector>
#include <zip.h>

struct ZipWriter::State {
    // A file to be written.
    struct Member {
        QString entryName;
        QString filePath;    // empty: the entry holds data
        QByteArray password; // empty: stored without encryption
        Content content;
        std::optional<size_t> deflated; // its number in the pipeline; none: read as libzip compresses it
        QByteArray data;                // the content of an entry made from memory
        qint64 size = 0;                // of the file, as it was when added
    };

    explicit State(QString path) : archivePath(std::move(path)) {}

    QString archivePath;
    Progress progress;
    StopCheck stopCheck;
    QByteArray password; // empty: entries are not protected
    QString prefix;
    QByteArray comment;
    std::vector<Member> members;
    QSet<QString> foldedNames; // every entry name taken, case-folded
    std::shared_ptr<EarlierEntries> earlier;
    EarlierArchiveUse reuse;
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

    Outcome<void> TakeName(const QString &entryName);
    std::optional<size_t> StartDeflating(const QString &filePath, qint64 size, const QString &entryName,
                                         const QByteArray &secret, Content content);
    // Written, or stopped (false), or why it failed.
    Outcome<bool> WriteOnce();
    void RestartDeflating();
    QHash<QByteArray, QByteArray> RecordFields() const;
    Outcome<void> AddEntry(zip_t *archive, const Member &member);
    void ReadFailed(const QString &file, const ReadProblem &problem);
    Outcome<Written> Publish();
    bool Progressed(quint64 compressed, quint64 written);
    static int CancelWhenStopped(zip_t *, void *state);
};
