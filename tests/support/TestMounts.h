#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <sys/mount.h>

// Mounts that make a write fail for a test, undone when the test ends. Mounting needs root (which
// a session and CI are); a test skips with a reason when mounted() is false.

// A small tmpfs over a folder, 64 KiB unless told: writes fail for want of space once it is full.
class SmallTmpfs {
public:
    explicit SmallTmpfs(const QString &folder, const char *size = "64k") : folder_(QFile::encodeName(folder))
    {
        mounted_ = mount("tmpfs", folder_.constData(), "tmpfs", 0, (QByteArray("size=") + size).constData()) == 0;
    }
    ~SmallTmpfs()
    {
        if (mounted_)
            umount(folder_.constData());
    }
    SmallTmpfs(const SmallTmpfs &) = delete;
    SmallTmpfs &operator=(const SmallTmpfs &) = delete;

    bool mounted() const { return mounted_; }
    // From now on nothing can be written there, as on a read-only medium.
    bool MakeReadOnly() const
    {
        return mounted_ && mount(nullptr, folder_.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray folder_;
    bool mounted_;
};

// The folder, with what it holds, bound read-only over itself: it can be read but not written.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &folder) : folder_(QFile::encodeName(folder))
    {
        mounted_ = mount(folder_.constData(), folder_.constData(), nullptr, MS_BIND, nullptr) == 0;
        readOnly_ =
            mounted_ && mount(nullptr, folder_.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    ~ReadOnlyFolder()
    {
        if (mounted_)
            umount(folder_.constData());
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    bool mounted() const { return readOnly_; }

private:
    QByteArray folder_;
    bool mounted_;
    bool readOnly_;
};
