#include "CorvaRegSettings.h"

#include "FileRegistry.h"

namespace {

using FileRegistry::Hive;

constexpr quint32 kAppNameMissing = 1000;
constexpr quint32 kSectionMissing = 1001;
constexpr quint32 kKeyMissing = 1002;
constexpr quint32 kRegistryBase = 2000; // plus a Windows error code or a value type

// Summed in 32 bits without sign, as Windows adds them: a type code read from a store file can be
// any 32-bit value, and the number must wrap rather than overflow.
[[noreturn]] void Raise(const char *source, quint32 offset, const QString &description)
{
    throw QuenzarError(static_cast<qint32>(static_cast<quint32>(QuenzarError::ObjectErrorBase) + offset),
                       QString::fromLatin1(source), description);
}

// The tests run in this order and the first that fails decides, before the store is touched.
// Reading says "Key  doit" with two spaces, as it always has.
void Validate(const char *source, const QString &appName, const QString &section, const QString &key, bool reading)
{
    if (appName.trimmed().isEmpty())
        Raise(source, kAppNameMissing, QStringLiteral("AppName doit être renseigné"));
    if (section.trimmed().isEmpty())
        Raise(source, kSectionMissing, QStringLiteral("Section doit être renseigné"));
    if (key.trimmed().isEmpty())
        Raise(source, kKeyMissing,
              reading ? QStringLiteral("Key  doit être renseigné") : QStringLiteral("Key doit être renseigné"));
}

QString KeyPath(const QString &appName, const QString &section)
{
    return QStringLiteral("SOFTWARE\\%1\\Settings\\%2").arg(appName.trimmed(), section.trimmed());
}

Hive HiveOf(bool machineWide) { return machineWide ? Hive::LocalMachine : Hive::CurrentUser; }

// Closes the key however the block ends, as the module always closes its handle.
struct OpenedKey {
    FileRegistry::Key key;
    ~OpenedKey() { FileRegistry::CloseKey(key); }
};

} // namespace

void SaveRegSetting(const QString &appName, const QString &section, const QString &key, const QString &value,
                    bool machineWide)
{
    const char *source = "modCorvaRegSettings.SaveRegSetting";
    Validate(source, appName, section, key, false);
    OpenedKey opened;
    if (const long result = FileRegistry::CreateKey(HiveOf(machineWide), KeyPath(appName, section), opened.key))
        Raise(source, kRegistryBase + result, QStringLiteral("Impossible d'ouvrir ou de créer la clef de registre"));
    if (const long result = FileRegistry::SetValue(opened.key, key, FileRegistry::TypeString, value.toUtf8()))
        Raise(source, kRegistryBase + result, QStringLiteral("Impossible d'écrire la clef de registre"));
}

QString GetRegSetting(const QString &appName, const QString &section, const QString &key, const QString &defaultValue,
                      bool machineWide)
{
    const char *source = "modCorvaRegSettings.GetRegSetting";
    Validate(source, appName, section, key, true);
    OpenedKey opened;
    const long result = FileRegistry::OpenKey(HiveOf(machineWide), KeyPath(appName, section), opened.key);
    if (result == FileRegistry::ErrorFileNotFound)
        return defaultValue;
    if (result != FileRegistry::ErrorSuccess)
        Raise(source, kRegistryBase + result, QStringLiteral("Impossible d'ouvrir cette clef de registre"));

    quint32 type = 0;
    QByteArray data;
    if (FileRegistry::QueryValue(opened.key, key, type, data) != FileRegistry::ErrorSuccess)
        return defaultValue;
    if (type != FileRegistry::TypeString)
        Raise(source, kRegistryBase + type,
              QStringLiteral("Les données de la clef de registre ne sont pas une chaine de caractères"));
    return QString::fromUtf8(data);
}
