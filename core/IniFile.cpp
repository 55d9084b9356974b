#include "IniFile.h"

#include "CodePage.h"
#include "LineReader.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <memory>
#include <sys/stat.h>

namespace IniFile {
namespace {

using Section = QHash<QString, QString>; // folded key -> value

// What tells a file changed: a rewrite in place changes the times, a replacement the inode.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    timespec changed{};

    bool operator==(const FileStamp &other) const
    {
        return device == other.device && inode == other.inode && size == other.size
               && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec
               && changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

// A plain stat: building Qt's local-time stamps costs more than the look-up itself.
std::optional<FileStamp> StampOf(const QByteArray &path)
{
    struct stat info;
    if (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return FileStamp{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

struct ParsedFile {
    FileStamp stamp;
    QHash<QString, Section> sections; // folded section name -> keys
};

QString Unquoted(const QString &value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// Files saved by Linux editors may carry a UTF-8 byte order mark; the language files and their map
// are Windows-1252 otherwise, whatever the user's locale or ANSI code page.
QString DecodeLine(const QByteArray &bytes, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes) : CodePage::DecodeWindows1252(bytes);
}

std::shared_ptr<ParsedFile> Parse(QFile &file, const FileStamp &stamp)
{
    auto parsed = std::make_shared<ParsedFile>();
    parsed->stamp = stamp;

    QByteArray content = file.readAll();
    const bool utf8 = content.startsWith("\xEF\xBB\xBF");
    if (utf8)
        content.remove(0, 3);
    QBuffer buffer(&content);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer);
    TextLine line;
    Section *current = nullptr;
    while (reader.Next(line)) {
        const QString text = DecodeLine(line.bytes, utf8).trimmed();
        if (text.startsWith('[')) {
            const qsizetype close = text.indexOf(']');
            const QString name = FoldedName(text.mid(1, close < 0 ? -1 : close - 1));
            current = parsed->sections.contains(name) ? nullptr : &parsed->sections[name];
            continue;
        }
        const qsizetype equals = text.indexOf('=');
        if (!current || equals < 0)
            continue;
        const QString key = FoldedName(text.left(equals));
        if (!current->contains(key))
            current->insert(key, Unquoted(text.mid(equals + 1).trimmed()));
    }
    return parsed;
}

QMutex cacheLock;
QHash<QString, std::shared_ptr<ParsedFile>> cache;

std::shared_ptr<ParsedFile> Load(const QString &filePath)
{
    const std::optional<FileStamp> stamp = StampOf(QFile::encodeName(filePath));
    QMutexLocker lock(&cacheLock);
    if (!stamp) {
        cache.remove(filePath);
        return nullptr;
    }
    auto cached = cache.value(filePath);
    if (cached && cached->stamp == *stamp)
        return cached;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        cache.remove(filePath);
        return nullptr;
    }
    auto parsed = Parse(file, *stamp);
    cache.insert(filePath, parsed);
    return parsed;
}

} // namespace

QString FoldedName(const QString &name) { return name.trimmed().toCaseFolded(); }

std::optional<QHash<QString, QString>> SectionValues(const QString &filePath, const QString &section)
{
    const auto parsed = Load(filePath);
    if (!parsed)
        return std::nullopt;
    const auto found = parsed->sections.constFind(FoldedName(section));
    if (found == parsed->sections.constEnd())
        return std::nullopt;
    return *found;
}

std::optional<QString> Lookup(const QString &filePath, const QString &section, const QString &key)
{
    const auto values = SectionValues(filePath, section);
    if (!values)
        return std::nullopt;
    const auto value = values->constFind(FoldedName(key));
    if (value == values->constEnd())
        return std::nullopt;
    return *value;
}

} // namespace IniFile
