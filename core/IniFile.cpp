#include "IniFile.h"

#include "CodePage.h"
#include "LineReader.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <memory>

namespace IniFile {
namespace {

using Section = QHash<QString, QString>; // folded key -> value

struct ParsedFile {
    qint64 size = -1;
    QDateTime modified;
    QDateTime changed;
    QHash<QString, Section> sections; // folded section name -> keys
};

QString Folded(const QString &name) { return name.trimmed().toCaseFolded(); }

QString Unquoted(const QString &value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// Files saved by Linux editors may carry a UTF-8 byte order mark; Windows programs write the code page.
QString DecodeLine(const QByteArray &bytes, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes) : CodePage::Decode(bytes);
}

std::shared_ptr<ParsedFile> Parse(QFile &file, const QFileInfo &info)
{
    auto parsed = std::make_shared<ParsedFile>();
    parsed->size = info.size();
    parsed->modified = info.lastModified();
    parsed->changed = info.metadataChangeTime();

    QByteArray content = file.readAll();
    const bool utf8 = content.startsWith("\xEF\xBB\xBF");
    if (utf8)
        content.remove(0, 3);
    QBuffer buffer(&content);
    buffer.open(QIODevice::ReadOnly);
    LineReader reader(buffer);
    TextLine line;
    Section *current = nullptr;
    while (reader.next(line)) {
        const QString text = DecodeLine(line.bytes, utf8).trimmed();
        if (text.startsWith('[')) {
            const qsizetype close = text.indexOf(']');
            const QString name = Folded(text.mid(1, close < 0 ? -1 : close - 1));
            current = parsed->sections.contains(name) ? nullptr : &parsed->sections[name];
            continue;
        }
        const qsizetype equals = text.indexOf('=');
        if (!current || equals < 0)
            continue;
        const QString key = Folded(text.left(equals));
        if (!current->contains(key))
            current->insert(key, Unquoted(text.mid(equals + 1).trimmed()));
    }
    return parsed;
}

QMutex cacheLock;
QHash<QString, std::shared_ptr<ParsedFile>> cache;

std::shared_ptr<ParsedFile> Load(const QString &filePath)
{
    const QFileInfo info(filePath);
    if (!info.isFile())
        return nullptr;
    const QString key = info.absoluteFilePath();
    QMutexLocker lock(&cacheLock);
    auto cached = cache.value(key);
    if (cached && cached->size == info.size() && cached->modified == info.lastModified()
        && cached->changed == info.metadataChangeTime())
        return cached;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        cache.remove(key);
        return nullptr;
    }
    auto parsed = Parse(file, info);
    cache.insert(key, parsed);
    return parsed;
}

} // namespace

std::optional<QString> Lookup(const QString &filePath, const QString &section, const QString &key)
{
    const auto parsed = Load(filePath);
    if (!parsed)
        return std::nullopt;
    const auto found = parsed->sections.constFind(Folded(section));
    if (found == parsed->sections.constEnd())
        return std::nullopt;
    const auto value = found->constFind(Folded(key));
    if (value == found->constEnd())
        return std::nullopt;
    return *value;
}

} // namespace IniFile
