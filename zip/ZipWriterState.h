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
    };

    explicit State(QString path) : archivePath(std::move(path)) {}

    QString archivePath;
    Progress progress;
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

    Outcome<void> TakeName(const QString &entryName);
    std::optional<size_t> StartDeflating(const QString &filePath, qint64 size, const QString &entryName,
                                         const QByteArray &secret, Content content);
    Outcome<void> WriteOnce();
    void RestartDeflating();
    Outcome<void> AddEntry(zip_t *archive, const Member &member);
    void ReadFailed(const QString &file, const ReadProblem &problem);
    Outcome<Written> Publish();
    static void ReportProgress(zip_t *, double share, void *state);
};
