// A settings store file (registry.json) as the program finds it, for the user and the machine:
// reading the last folder, then saving one and reading it back.
#include "CorvaRegSettings.h"
#include "FileRegistry.h"
#include "FuzzSupport.h"

#include <QFile>
#include <QtGlobal>

namespace {

const QString kSaved = QStringLiteral("/fuzz/Dernier dossier é");

QString Read(bool machineWide, bool &raised)
{
    raised = false;
    try {
        return GetRegSetting(kLastDirApp, kLastDirSection, kLastDirKey, QStringLiteral("default"), machineWide);
    } catch (const QuenzarError &) {
        raised = true;
        return QString();
    }
}

void ReadSaveRead(bool machineWide)
{
    bool raised = false;
    Read(machineWide, raised);
    try {
        SaveRegSetting(kLastDirApp, kLastDirSection, kLastDirKey, kSaved, machineWide);
    } catch (const QuenzarError &) {
        return; // a store that cannot be read is never overwritten
    }
    FUZZ_REQUIRE(Read(machineWide, raised) == kSaved);
    FUZZ_REQUIRE(!raised);
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

    FileRegistry::Key key;
    if (FileRegistry::OpenKey(FileRegistry::Hive::CurrentUser, QStringLiteral("software\\quenzar\\settings\\files"), key)
        == FileRegistry::ErrorSuccess) {
        quint32 type = 0;
        QByteArray value;
        FileRegistry::QueryValue(key, QStringLiteral("lastdir"), type, value);
        FileRegistry::CloseKey(key);
    }
    ReadSaveRead(false);
    ReadSaveRead(true);
    return 0;
}
