// Any bytes as an archive to restore: opened and extracted into a folder of the fuzz folder,
// with the password of the protected seeds when it asks for one. Whatever the archive holds,
// nothing may appear outside that folder: the process runs in an empty folder beside it, and the
// folders above the destination are checked after every input.
// Then the same bytes as the earlier archive of a new one made of the extracted files: whatever
// its entries claim, the new archive holds exactly those files.
#include "FuzzSupport.h"
#include "ZipReader.h"
#include "ZipWriter.h"

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
        ZipWriter zip(again);
        zip.ReuseEntriesOf(earlier);
        zip.Protect(password);
        for (const auto &[name, file] : files) {
            zip.SetFolderPrefix(QFileInfo(name).path() == QLatin1String(".") ? QString() : QFileInfo(name).path());
            FUZZ_REQUIRE(zip.AddMemberFile(file, QFileInfo(name).fileName()));
        }
        FUZZ_REQUIRE(zip.Write());
    }
    {
        Outcome<ZipReader> opened = ZipReader::Open(again);
        FUZZ_REQUIRE(opened);
        ZipReader written = std::move(opened).value();
        const Outcome<QStringList, ZipFailure> checked = written.Check(password);
        FUZZ_REQUIRE(checked && checked.value().isEmpty());
        for (const auto &[name, file] : files) {
            QFile original(file);
            FUZZ_REQUIRE(original.open(QIODevice::ReadOnly));
            const Outcome<QByteArray> read = written.ReadEntry(name, password, original.size());
            FUZZ_REQUIRE(read && read.value() == original.readAll());
        }
    }
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
        Outcome<ZipReader> opened = ZipReader::Open(archivePath);
        // Bytes that are no archive, or a damaged one, are refused with a reason, as every failure.
        FUZZ_REQUIRE(opened || !opened.error().isEmpty());
        if (opened) {
            ZipReader archive = std::move(opened).value();
            QString password;
            Outcome<ZipReader::Extraction, ZipFailure> result = archive.ExtractAll(Destination());
            if (!result && result.error().kind == ZipFailure::Kind::NeedsPassword) {
                password = kPassword;
                result = archive.ExtractAll(Destination(), password);
            }
            FUZZ_REQUIRE(result || !result.error().reason.isEmpty());
            // Every entry is judged before any is written.
            if (!result
                && (result.error().kind == ZipFailure::Kind::Refused
                    || result.error().kind == ZipFailure::Kind::NeedsPassword))
                FUZZ_REQUIRE(ExtractedFiles() == 0);
            if (result)
                FUZZ_REQUIRE(ExtractedFiles() <= result.value().Files);
            else
                ExtractedFiles();
            if (result && result.value().Files > 0)
                CheckArchivedAgain(archivePath, password);
        }
    }
    CheckNothingOutside();
    FUZZ_REQUIRE(QDir(WorkFolder()).removeRecursively());
    return 0;
}
