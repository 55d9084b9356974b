#include "FileRegistry.h"

#include "ConfigFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStorageInfo>
#include <unistd.h>

namespace FileRegistry {
namespace {

// The Windows codes the settings module expects.
constexpr long ErrorAccessDenied = 5;
constexpr long ErrorWriteFault = 29;
constexpr long ErrorReadFault = 30;
constexpr long ErrorDiskFull = 112;
constexpr long ErrorRegistryCorrupt = 1015;

QString UserStore() { return UserConfigFolder() + QStringLiteral("/Quenzar/registry.json"); }
QString MachineStore() { return MachineConfigFolder() + QStringLiteral("/Quenzar/registry.json"); }
QString VirtualStore() { return UserConfigFolder() + QStringLiteral("/Quenzar/VirtualStore/machine-registry.json"); }

bool Writable(const QString &path) { return ::access(QFile::encodeName(path).constData(), W_OK) == 0; }

// Whether the store file could be written: the file itself when it exists, else the nearest
// folder on its way that exists (the others would be created below it).
bool CanWrite(const QString &storeFile)
{
    if (QFileInfo::exists(storeFile))
        return Writable(storeFile);
    QString folder = QFileInfo(storeFile).absolutePath();
    while (!QFileInfo::exists(folder))
        folder = QFileInfo(folder).absolutePath();
    return Writable(folder);
}

long Load(const QString &storeFile, QJsonObject &keys)
{
    keys = QJsonObject();
    QFile file(storeFile);
    if (!file.exists())
        return ErrorSuccess;
    if (!file.open(QIODevice::ReadOnly))
        return file.error() == QFileDevice::PermissionsError ? ErrorAccessDenied : ErrorReadFault;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return ErrorRegistryCorrupt;
    keys = document.object();
    return ErrorSuccess;
}

long Save(const QString &storeFile, const QJsonObject &keys)
{
    QDir().mkpath(QFileInfo(storeFile).absolutePath());
    QSaveFile file(storeFile);
    const QByteArray content = QJsonDocument(keys).toJson();
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.commit())
        return ErrorSuccess;
    const QString folder = QFileInfo(storeFile).absolutePath();
    if (!Writable(folder))
        return ErrorAccessDenied;
    // Qt reports a full disk as a plain write error.
    if (file.error() == QFileDevice::ResourceError || QStorageInfo(folder).bytesAvailable() < content.size())
        return ErrorDiskFull;
    return ErrorWriteFault;
}

// Registry names match without regard to case: the spelling already stored, else the one given.
QString StoredName(const QJsonObject &object, const QString &name)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.key();
    }
    return name;
}

} // namespace

long CreateKey(Hive hive, const QString &path, Key &key)
{
    const QString storeFile = hive == Hive::CurrentUser  ? UserStore()
                              : CanWrite(MachineStore()) ? MachineStore()
                                                         : VirtualStore();
    QJsonObject keys;
    if (const long loaded = Load(storeFile, keys); loaded != ErrorSuccess)
        return loaded;
    const QString stored = StoredName(keys, path);
    if (!keys.contains(stored)) {
        keys.insert(stored, QJsonObject());
        if (const long saved = Save(storeFile, keys); saved != ErrorSuccess)
            return saved;
    }
    key = {storeFile, stored};
    return ErrorSuccess;
}

long OpenKey(Hive hive, const QString &path, Key &key)
{
    const QStringList stores =
        hive == Hive::CurrentUser ? QStringList{UserStore()} : QStringList{VirtualStore(), MachineStore()};
    for (const QString &storeFile : stores) {
        QJsonObject keys;
        if (const long loaded = Load(storeFile, keys); loaded != ErrorSuccess)
            return loaded;
        const QString stored = StoredName(keys, path);
        if (keys.contains(stored)) {
            key = {storeFile, stored};
            return ErrorSuccess;
        }
    }
    return ErrorFileNotFound;
}

long SetValue(const Key &key, const QString &name, quint32 type, const QByteArray &data)
{
    QJsonObject keys;
    if (const long loaded = Load(key.storeFile, keys); loaded != ErrorSuccess)
        return loaded;
    QJsonObject values = keys.value(key.path).toObject();
    QJsonObject value{{QStringLiteral("type"), static_cast<qint64>(type)}};
    if (type == TypeString)
        value.insert(QStringLiteral("text"), QString::fromUtf8(data));
    else
        value.insert(QStringLiteral("data"), QString::fromLatin1(data.toBase64()));
    values.insert(StoredName(values, name), value);
    keys.insert(key.path, values);
    return Save(key.storeFile, keys);
}

long QueryValue(const Key &key, const QString &name, quint32 &type, QByteArray &data)
{
    QJsonObject keys;
    if (const long loaded = Load(key.storeFile, keys); loaded != ErrorSuccess)
        return loaded;
    const QJsonObject values = keys.value(key.path).toObject();
    const QString stored = StoredName(values, name);
    if (!values.contains(stored))
        return ErrorFileNotFound;
    const QJsonObject value = values.value(stored).toObject();
    type = static_cast<quint32>(value.value(QStringLiteral("type")).toInteger());
    data = type == TypeString ? value.value(QStringLiteral("text")).toString().toUtf8()
                              : QByteArray::fromBase64(value.value(QStringLiteral("data")).toString().toLatin1());
    return ErrorSuccess;
}

void CloseKey(Key &key) { key = Key(); }

} // namespace FileRegistry
