// Any bytes as an archive to restore: opened and extracted into a folder of the fuzz folder,
// with the password of the protected seeds when it asks for one. Whatever the archive holds,
// nothing may appear outside that folder: the process runs in an empty folder beside it, and the
// folders above the destination are checked after every input.
#include "FuzzSupport.h"
#include "ZipArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <unistd.h>

namespace {

// The password the protected seeds were made with.
const QString kPassword = QStringLiteral("Fuzz-Pa55word");

QString WorkFolder() { return FuzzSupport::Folder() + QStringLiteral("/work"); }
QString Destination() { return WorkFolder() + QStringLiteral("/out"); }
QString CurrentFolder() { return FuzzSupport::Folder() + QStringLiteral("/cwd"); }

// Regular files below the destination; a symbolic link there is a broken rule of its own.
int ExtractedFiles()
{
    int files = 0;
    QDirIterator it(Destination(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        FUZZ_REQUIRE(!info.isSymLink());
        files += info.isFile() ? 1 : 0;
    }
    return files;
}

void CheckNothingOutside()
{
    FUZZ_REQUIRE(FuzzSupport::Entries(CurrentFolder()).isEmpty());
    FUZZ_REQUIRE(FuzzSupport::Entries(FuzzSupport::Folder()) == QStringList({"cwd", "work"}));
    const QStringList work = FuzzSupport::Entries(WorkFolder());
    FUZZ_REQUIRE(work == QStringList({"input.zip"}) || work == QStringList({"input.zip", "out"}));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FUZZ_REQUIRE(QDir().mkpath(CurrentFolder()));
    FUZZ_REQUIRE(::chdir(QFile::encodeName(CurrentFolder()).constData()) == 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString archivePath = FuzzSupport::WriteInput(QStringLiteral("work/input.zip"), data, size);
    {
        ZipArchive archive;
        const int opened = archive.OpenExisting(archivePath);
        // Bytes that are no archive, or a damaged one, are refused with a reason, as every failure.
        FUZZ_REQUIRE(opened == 1 || !archive.LastError().isEmpty());
        if (opened == 1) {
            int result = archive.ExtractAll(Destination());
            if (result == ZipArchive::ExtractNeedsPassword)
                result = archive.ExtractAll(Destination(), kPassword);
            FUZZ_REQUIRE(!archive.LastError().isEmpty() || result >= 0);
            // Every entry is judged before any is written.
            if (result == ZipArchive::ExtractRefused || result == ZipArchive::ExtractNeedsPassword)
                FUZZ_REQUIRE(ExtractedFiles() == 0);
            if (result >= 0)
                FUZZ_REQUIRE(ExtractedFiles() <= result);
            else
                ExtractedFiles();
        }
    }
    CheckNothingOutside();
    FUZZ_REQUIRE(QDir(WorkFolder()).removeRecursively());
    return 0;
}
