#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <sys/mount.h>

// A 64 KiB tmpfs mounted over a folder for one test, to make a write fail for want of space.
// Mounting needs root (which a session and CI are); a test skips with a reason otherwise.
class SmallTmpfs {
public:
    explicit SmallTmpfs(const QString &folder) : folder_(QFile::encodeName(folder))
    {
        mounted_ = mount("tmpfs", folder_.constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallTmpfs()
    {
        if (mounted_)
            umount(folder_.constData());
    }
    SmallTmpfs(const SmallTmpfs &) = delete;
    SmallTmpfs &operator=(const SmallTmpfs &) = delete;

    bool mounted() const { return mounted_; }

private:
    QByteArray folder_;
    bool mounted_;
};
