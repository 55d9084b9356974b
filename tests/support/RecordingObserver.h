#pragma once

#include "ArchiveObserver.h"

#include <QList>
#include <QStringList>
#include <functional>

// Keeps what archiving and restoring told the face, instead of showing it.
class RecordingObserver : public ArchiveObserver {
public:
    void FileProgressVisible(bool visible) override { progressVisible = visible; }
    void FileProgress(double share) override { shares.append(share); }
    void Busy(bool busy) override { this->busy = busy; }
    bool StopRequested() override { return stopWhen && stopWhen(*this); }
    void ShowFailure(const QString &title, const QString &text) override { failures.append(title + '|' + text); }
    void DestinationUnavailable(const QString &folder, const QString &reason) override
    {
        failures.append(folder + '|' + reason);
    }
    void ProjectArchived(qsizetype, const QString &archivePath) override { archived.append(archivePath); }
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

    bool progressVisible = false;
    QList<double> shares;
    bool busy = false;
    // Asked, with what was recorded so far, whether the user asks the run to stop.
    std::function<bool(const RecordingObserver &)> stopWhen;
    QStringList failures;
    QStringList archived;
    QStringList leftOut;
    QStringList passwordAnswers;
    QList<bool> passwordQuestions;
    bool restoreUnsound = true;
    QStringList unsoundProblems;
};
