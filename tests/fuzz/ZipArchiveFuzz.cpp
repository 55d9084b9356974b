// Any bytes as an archive to restore: opened and extracted into a folder of the fuzz folder,
// with the password of the protected seeds when it asks for one. Whatever the archive holds,
// nothing may appear outside that folder: the process runs in an empty folder beside it, and the
// folders above the destination are checked after every input.
// Then the same bytes as the earlier archive of a new one made of the extracted files: whatever
// its entries claim, the new archive holds exactly those files.
#include "FuzzSupport.h"
#include "ZipArchive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
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

// The extracted files archived again with the input as the earlier archive, then read back.
void CheckArchivedAgain(const QString &earlier, const QString &password)
{
    const QString again = WorkFolder() + QStringLiteral("/again.zip");
    QList<std::pair<QString, QString>> files; // entry name, file
    QSet<QString> names;                      // case-folded: a second name of one case would replace the first
    QDirIterator it(Destination(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString name = QDir(Destination()).relativeFilePath(file);
        if (!names.contains(name.toCaseFolded())) {
            names.insert(name.toCaseFolded());
            files.append({name, file});
        }
    }
    {
        ZipArchive zip;
        zip.CreateNew(again);
        zip.ReuseEntriesOf(earlier);
        if (!password.isEmpty()) {
            zip.UsePassword(password);
            zip.EnableProtection(true);
        }
        for (const auto &[name, file] : files) {
            zip.SetFolderPrefix(QFileInfo(name).path() == QLatin1String(".") ? QString() : QFileInfo(name).path());
            FUZZ_REQUIRE(zip.AddMemberFile(file, QFileInfo(name).fileName()) == 1);
        }
        FUZZ_REQUIRE(zip.WriteAndClose() == 1);
    }
    ZipArchive written;
    FUZZ_REQUIRE(written.OpenExisting(again) == 1);
    FUZZ_REQUIRE(written.TestAll(password) == 1);
    for (const auto &[name, file] : files) {
        QFile original(file);
        FUZZ_REQUIRE(original.open(QIODevice::ReadOnly));
        FUZZ_REQUIRE(written.ReadEntry(name, password, original.size()) == original.readAll());
    }
    written.CloseArchive();
    FUZZ_REQUIRE(QFile::remove(again));
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
            QString password;
            int result = archive.ExtractAll(Destination());
            if (result == ZipArchive::ExtractNeedsPassword) {
                password = kPassword;
                result = archive.ExtractAll(Destination(), password);
            }
            FUZZ_REQUIRE(!archive.LastError().isEmpty() || result >= 0);
            // Every entry is judged before any is written.
            if (result == ZipArchive::ExtractRefused || result == ZipArchive::ExtractNeedsPassword)
                FUZZ_REQUIRE(ExtractedFiles() == 0);
            if (result >= 0)
                FUZZ_REQUIRE(ExtractedFiles() <= result);
            else
                ExtractedFiles();
            if (result > 0)
                CheckArchivedAgain(archivePath, password);
        }
    }
    CheckNothingOutside();
    FUZZ_REQUIRE(QDir(WorkFolder()).removeRecursively());
    return 0;
}
