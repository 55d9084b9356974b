#include "FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace FuzzSupport {

QString Folder()
{
    static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/quenzar-fuzz-XXXXXX"));
    FUZZ_REQUIRE(folder.isValid());
    return folder.path();
}

QString WriteInput(const QString &relative, const uint8_t *data, size_t size)
{
    const QString path = Folder() + '/' + relative;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    FUZZ_REQUIRE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_REQUIRE(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    file.close();
    // The clock may not tick between two inputs of the same size.
    static time_t writes = 0;
    ++writes;
    const timespec times[2] = {{writes, 0}, {writes, 0}};
    FUZZ_REQUIRE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0);
    return path;
}

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

void Broken(const char *rule, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: broken rule: %s\n", file, line, rule);
    std::abort();
}

} // namespace FuzzSupport
