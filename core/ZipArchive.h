#pragma once

#include <QString>
#include <functional>
#include <memory>

// The zip component behind every archive and restore: one object per operation.
// Statuses follow the component's convention: 1 is success, anything else a failure
// whose reason LastError() gives in words.
class ZipArchive {
public:
    // Called with the share of the work done, 0.0 to 1.0, while an archive is written or
    // extracted, so that a window can move its bar and repaint.
    using ProgressHandler = std::function<void(double)>;

    // Negative results of ExtractAll.
    static constexpr int ExtractFailed = -1;
    static constexpr int ExtractRefused = -2;         // an entry would land outside the folder
    static constexpr int ExtractNeedsPassword = -3;   // encrypted entries, no password given
    static constexpr int ExtractWrongPassword = -4;

    ZipArchive();
    ~ZipArchive();
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    // Writing: nothing touches the disk until WriteAndClose.
    int CreateNew(const QString &archivePath);
    void UsePassword(const QString &password);
    void EnableProtection(int on);
    void SetFolderPrefix(const QString &folder);
    // The entry is the folder prefix joined with entryFileName, by default the file's own name.
    int AddMemberFile(const QString &filePath, const QString &entryFileName = QString());
    int WriteAndClose();

    // Reading.
    int OpenExisting(const QString &archivePath);
    int ExtractAll(const QString &destinationFolder, const QString &password = QString());
    void CloseArchive();

    void SetProgressHandler(ProgressHandler handler);
    QString LastError() const;

private:
    struct State;
    std::unique_ptr<State> d;
};

// The name and version of the zip library, for example "libzip 1.7.3".
QString ComponentVersionText();
