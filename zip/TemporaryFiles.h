#pragma once

#include "Interruption.h"
#include "Outcome.h"

#include <QString>
#include <functional>

// Files and folders made beside the user's files before they are whole: an archive being written,
// a restore being extracted. Each is named ".quenzar-XXXXXX.tmp" whatever its final name, so that
// a final name near the file system's limit still leaves room; its maker holds a lock on it for
// its whole life; it is removed when the run is interrupted (Interruption), and by a later run in
// the same folder once its lock is free (its maker was killed, or the machine lost power).
class TemporaryPath {
public:
    // A new empty file in folder, open for writing through Descriptor().
    [[nodiscard]] static Outcome<TemporaryPath> NewFile(const QString &folder);
    // A new empty folder in folder; Descriptor() is the folder's own.
    [[nodiscard]] static Outcome<TemporaryPath> NewFolder(const QString &folder);

    TemporaryPath(TemporaryPath &&other) noexcept;
    TemporaryPath &operator=(TemporaryPath &&other) noexcept;
    TemporaryPath(const TemporaryPath &) = delete;
    TemporaryPath &operator=(const TemporaryPath &) = delete;
    // Removes it, unless it was published.
    ~TemporaryPath();

    const QString &Path() const { return path_; }
    int Descriptor() const { return descriptor_; }

    // Makes it durable, gives it its final name without ever replacing what is there, and makes
    // that name durable: after this a power cut leaves it whole under its final name. It is then
    // the user's, never removed. Fails, leaving it temporary, when something has that name.
    [[nodiscard]] Outcome<void> Publish(const QString &finalPath);
    // The same under the first free name that candidate gives for 1, 2, 3...; that name.
    [[nodiscard]] Outcome<QString> PublishUnderFreeName(const std::function<QString(int)> &candidate);

private:
    enum class Kind { File, Folder };
    TemporaryPath(Kind kind, QString path, int descriptor);
    [[nodiscard]] static Outcome<TemporaryPath> Create(Kind kind, const QString &folder);
    void Remove();

    Kind kind_ = Kind::File;
    QString path_;
    int descriptor_ = -1;
    Interruption::Registration registration_;
};

// Removes what interrupted runs left in folder: temporary files and folders whose lock is free.
void RemoveDeadLeftovers(const QString &folder);

// Makes the folder's list of names durable, after a rename or a removal in it.
[[nodiscard]] Outcome<void> SyncFolder(const QString &folder);
