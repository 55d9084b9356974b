#include "OperationsFichiers.h"

#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

QString TrimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == ' ')
        ++first;
    while (last > first && text.at(last - 1) == ' ')
        --last;
    return text.mid(first, last - first);
}

QString AddBackslash(const QString &path)
{
    QString folder = TrimBlanks(path);
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

QString ParentFolder(const QString &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QString() : path.left(slash);
}

QString FileNamePart(const QString &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

bool FileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

bool SameFile(const QString &one, const QString &other)
{
    struct stat first, second;
    return ::stat(QFile::encodeName(one).constData(), &first) == 0
           && ::stat(QFile::encodeName(other).constData(), &second) == 0 && first.st_dev == second.st_dev
           && first.st_ino == second.st_ino;
}

void MakeDirs(const QString &path)
{
    const qsizetype lastSlash = path.lastIndexOf('/');
    QDir().mkpath(lastSlash < 0 ? path : path.left(lastSlash + 1));
}

void DeleteFileQuiet(const QString &path) { QFile::remove(path); }

QString ReadIni(const QString &section, const QString &key, const QString &defaultValue, const QString &filePath)
{
    return IniFile::Lookup(filePath, section, key).value_or(defaultValue).left(254);
}
