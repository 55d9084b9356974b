#pragma once

#include "ArchiveObserver.h"

#include <optional>

// Shows archiving and restoring on a terminal: a progress line on standard error when that is a
// terminal (and not --quiet), failures and warnings on standard error, archive paths on standard
// output. It never asks for a password: scripts give one with --password-file. An archive that is
// not sound is restored all the same, as far as it goes, after a warning for each reason.
class TerminalObserver : public ArchiveObserver {
public:
    explicit TerminalObserver(bool quiet);
    ~TerminalObserver() override;

    void FileProgress(double share) override;
    void ShowFailure(const QString &title, const QString &text) override;
    void DestinationUnavailable(const QString &folder, const QString &reason) override;
    void WaitingForFolder(const QString &folder) override;
    void FolderNotRemembered(const QString &folder, const QString &reason) override;
    void ProjectUnchanged(const QString &earlierArchive, const QString &stamp) override;
    void EarlierArchiveUsed(const EarlierArchiveUse &use) override;
    void FileLeftOut(const QString &memberLine, const QString &namedFile) override;
    void FileChangedWhileRead(const QString &memberLine, const QString &filePath) override;
    void ProjectStarted(const QString &projectPath) override
    {
        project_ = projectPath;
        percentShown_ = -1;
        components_.reset();
    }
    void ComponentsNeeded(const QList<ComponentLine> &components) override
    {
        components_ = CountComponents(components);
    }
    void ProjectArchived(qsizetype archivedCount, const QString &archivePath) override;
    bool RestoreUnsoundArchive(const QString &archivePath, const QStringList &problems) override;

    // Whether the paths of the archives go to standard output (not when a JSON document does).
    void SetPathsPrinted(bool printed) { pathsPrinted_ = printed; }
    // A dry run's warnings say what the archive would be written without.
    void SetDryRun(bool dryRun) { dryRun_ = dryRun; }

private:
    void ShowProgress(const QString &text);
    void EndProgressLine();

    bool quiet_;
    bool pathsPrinted_ = true;
    bool dryRun_ = false;
    bool showProgress_;
    bool progressShown_ = false;
    int percentShown_ = -1;
    QString project_;
    std::optional<ComponentCount> components_; // of the project at hand, once its file was read
};
