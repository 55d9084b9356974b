#include "TempTree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <fcntl.h>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

TempTree::TempTree()
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

// Removed name by name, as bytes (Qt's own removal cannot name what is not UTF-8), never below a
// mount point that a test left there.
TempTree::~TempTree()
{
    const auto removeOne = [](const char *path, const struct stat *, int, FTW *) {
        ::remove(path);
        return 0;
    };
    ::nftw(QFile::encodeName(dir_.path()).constData(), removeOne, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
}

QString TempTree::root() const { return dir_.path(); }

QString TempTree::path(const QString &relative) const { return dir_.path() + '/' + relative; }

QString TempTree::write(const QString &relative, const QByteArray &bytes) const
{
    const QString target = path(relative);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + target.toStdString());
    return target;
}

QString TempTree::makeFolder(const QString &relative) const
{
    const QString target = path(relative);
    QDir().mkpath(target);
    return target;
}

QByteArray TempTree::writeBytesNamed(const QByteArray &relative, const QByteArray &bytes) const
{
    const QByteArray target = QFile::encodeName(dir_.path()) + '/' + relative;
    for (qsizetype slash = target.indexOf('/', 1); slash >= 0; slash = target.indexOf('/', slash + 1))
        ::mkdir(target.left(slash).constData(), 0755);
    const int file = ::open(target.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const bool written = file >= 0 && ::write(file, bytes.constData(), size_t(bytes.size())) == bytes.size();
    if (file >= 0)
        ::close(file);
    if (!written)
        throw std::runtime_error("cannot write test file " + target.toStdString());
    return target;
}

QByteArray TempTree::read(const QString &relative) const
{
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool TempTree::exists(const QString &relative) const { return QFileInfo::exists(path(relative)); }

QString TempTree::copyExamples() const { return copyFolder(qEnvironmentVariable("QUENZAR_EXAMPLES"), "examples"); }

QString TempTree::copyFolder(const QString &folder, const QString &relative) const
{
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        QFile source(file);
        if (!source.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read " + file.toStdString());
        write(relative + '/' + file.mid(folder.size() + 1), source.readAll());
    }
    return path(relative);
}

int RunProgram(const QString &program, const QStringList &arguments, QByteArray *output, const QString &workingFolder)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(120000))
        return -1;
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}
