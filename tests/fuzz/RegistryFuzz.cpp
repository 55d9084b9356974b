// A settings store file (registry.json) as the program finds it, for the user and the machine:
// reading the last folder, then saving one and reading it back.
#include "CorvaRegSettings.h"
#include "FileRegistry.h"
#include "FuzzSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QtGlobal>
#include <optional>

namespace {

const QString kSaved = QStringLiteral("/fuzz/Dernier dossier é");
// The settings module's number for a store it cannot read (a Windows registry error, 1015, on its
// registry base), and its text for a value that is not text.
const qint32 kStoreCorrupt = static_cast<qint32>(0x800407D0u + 1015);
const QString kNotText = QStringLiteral("Les données de la clef de registre ne sont pas une chaine de caractères");

// The setting as the program reads it, or nothing when reading it raised one of the two errors a
// store file may earn: a store that is not a JSON object cannot be read, and a value of another
// type is not read as text. Any other error is a fault.
std::optional<QString> Read(bool machineWide, bool readable)
{
    try {
        return GetRegSetting(kLastDirApp, kLastDirSection, kLastDirKey, QStringLiteral("default"), machineWide);
    } catch (const QuenzarError &error) {
        FUZZ_REQUIRE(readable ? error.Description() == kNotText : error.Number() == kStoreCorrupt);
        return std::nullopt;
    }
}

void ReadSaveRead(bool machineWide, bool readable)
{
    Read(machineWide, readable);
    try {
        SaveRegSetting(kLastDirApp, kLastDirSection, kLastDirKey, kSaved, machineWide);
    } catch (const QuenzarError &error) {
        // A store that cannot be read is never overwritten; any other store takes the setting.
        FUZZ_REQUIRE(!readable && error.Number() == kStoreCorrupt);
        return;
    }
    FUZZ_REQUIRE(readable);
    FUZZ_REQUIRE(Read(machineWide, readable) == kSaved);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(FuzzSupport::Folder() + QStringLiteral("/user")));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(FuzzSupport::Folder() + QStringLiteral("/machine")));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QFile::remove(FuzzSupport::Folder() + QStringLiteral("/user/Quenzar/VirtualStore/machine-registry.json"));
    FuzzSupport::WriteInput(QStringLiteral("user/Quenzar/registry.json"), data, size);
    FuzzSupport::WriteInput(QStringLiteral("machine/Quenzar/registry.json"), data, size);
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const bool readable = QJsonDocument::fromJson(input).isObject();

    FileRegistry::Key key;
    if (FileRegistry::OpenKey(FileRegistry::Hive::CurrentUser, QStringLiteral("software\\quenzar\\settings\\files"),
                              key)
        == FileRegistry::ErrorSuccess) {
        quint32 type = 0;
        QByteArray value;
        FileRegistry::QueryValue(key, QStringLiteral("lastdir"), type, value);
        FileRegistry::CloseKey(key);
    }
    ReadSaveRead(false, readable);
    ReadSaveRead(true, readable);
    return 0;
}
