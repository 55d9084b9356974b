#pragma once

#include "ArchiveObserver.h"

#include <QList>
#include <QStringList>

// Keeps what archiving and restoring told the face, instead of showing it.
class RecordingObserver : public ArchiveObserver {
public:
    void FileProgressMax(qint32 max) override { progressMax = max; }
    void FileProgressValue(qint32 value) override { progressValues.append(value); }
    void FileProgressVisible(bool visible) override { progressVisible = visible; }
    void WriteProgress(double share) override { writeShares.append(share); }
    void Busy(bool busy) override { this->busy = busy; }
    void LetPendingWorkRun() override { ++pendingWorkRuns; }
    void ShowFailure(const QString &title, const QString &text) override { failures.append(title + '|' + text); }
    void FileLeftOut(const QString &memberLine, const QString &namedFile) override
    {
        leftOut.append(memberLine + '|' + namedFile);
    }
    std::optional<QString> AskPassword(const QString &, bool wrongBefore) override
    {
        passwordQuestions.append(wrongBefore);
        if (passwordAnswers.isEmpty())
            return std::nullopt;
        return passwordAnswers.takeFirst();
    }

    bool RestoreUnsoundArchive(const QString &, const QStringList &problems) override
    {
        unsoundProblems = problems;
        return restoreUnsound;
    }

    qint32 progressMax = -1;
    QList<qint32> progressValues;
    bool progressVisible = false;
    QList<double> writeShares;
    bool busy = false;
    int pendingWorkRuns = 0;
    QStringList failures;
    QStringList leftOut;
    QStringList passwordAnswers;
    QList<bool> passwordQuestions;
    bool restoreUnsound = true;
    QStringList unsoundProblems;
};
