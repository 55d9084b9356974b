#include "ArchiveRestore.h"
#include "RecordingObserver.h"
#include "TempTree.h"
#include "TestMounts.h"
#include "ZipWriter.h"
#include "ZipFixtures.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// An archive holding Forms/a.frm, written by Quenzar's own zip binding.
QString QuenzarArchive(const TempTree &tree, const QString &name, const QString &password = QString())
{
    const QString member = tree.write("source/a.frm", "VERSION 5.00\r\n");
    ZipWriter zip(tree.path(name));
    zip.Protect(password);
    zip.SetFolderPrefix("Forms");
    EXPECT_TRUE(zip.AddMemberFile(member));
    const Outcome<ZipWriter::Written> written = zip.Write();
    EXPECT_TRUE(written) << written.error().toStdString();
    return tree.path(name);
}

TEST(Restore, ExtractsBesideTheArchiveWhateverTheCaseOfItsExtension)
{
    TempTree tree;
    RecordingObserver observer;
    const RestoreResult result = RestoreArchive(QuenzarArchive(tree, "MyApp 1.2.3.20240102030405.ZIP"), observer);
    ASSERT_EQ(result.status, RestoreResult::Status::Restored) << result.Error.toStdString();
    EXPECT_EQ(result.Folder, tree.path("MyApp 1.2.3.20240102030405"));
    EXPECT_EQ(tree.read("MyApp 1.2.3.20240102030405/Forms/a.frm"), "VERSION 5.00\r\n");
    EXPECT_FALSE(observer.busy);

    // Restoring again goes into a new folder beside the one now there.
    const RestoreResult again = RestoreArchive(tree.path("MyApp 1.2.3.20240102030405.ZIP"), observer);
    ASSERT_EQ(again.status, RestoreResult::Status::Restored) << again.Error.toStdString();
    EXPECT_EQ(again.Folder, tree.path("MyApp 1.2.3.20240102030405 (2)"));
    EXPECT_EQ(tree.read("MyApp 1.2.3.20240102030405 (2)/Forms/a.frm"), "VERSION 5.00\r\n");
}

TEST(Restore, AFileThatIsNotNamedZipIsLeftAlone)
{
    TempTree tree;
    RecordingObserver observer;
    const QString other = tree.write("backup.rar", "not a zip");
    EXPECT_EQ(RestoreArchive(other, observer).status, RestoreResult::Status::NotAnArchive);
    EXPECT_FALSE(tree.exists("backup"));
}

TEST(Restore, AProtectedArchiveAsksForThePasswordUntilRightOrGivenUp)
{
    TempTree tree;
    const QString archive = QuenzarArchive(tree, "p.zip", "right");
    RecordingObserver observer;
    observer.passwordAnswers = {"wrong", "right"};
    const RestoreResult restored = RestoreArchive(archive, observer);
    ASSERT_EQ(restored.status, RestoreResult::Status::Restored) << restored.Error.toStdString();
    EXPECT_EQ(observer.passwordQuestions, QList<bool>({false, true}));
    EXPECT_EQ(tree.read("p/Forms/a.frm"), "VERSION 5.00\r\n");

    TempTree other;
    const QString second = QuenzarArchive(other, "p.zip", "right");
    RecordingObserver givesUp;
    const RestoreResult cancelled = RestoreArchive(second, givesUp, "wrong");
    EXPECT_EQ(cancelled.status, RestoreResult::Status::Cancelled);
    EXPECT_EQ(givesUp.passwordQuestions, QList<bool>({true}));
    EXPECT_FALSE(other.exists("p/Forms/a.frm"));
}

TEST(Restore, AnArchiveThatWouldWriteOutsideItsFolderIsRefused)
{
    TempTree tree;
    WriteHandMadeArchive(tree.path("evil.zip"), {{"Forms/a.frm", "fine", false}, {"../outside.txt", "escaped", false}});
    RecordingObserver observer;
    const RestoreResult result = RestoreArchive(tree.path("evil.zip"), observer);
    EXPECT_EQ(result.status, RestoreResult::Status::Failed);
    EXPECT_TRUE(result.Error.contains("outside.txt")) << result.Error.toStdString();
    EXPECT_FALSE(tree.exists("outside.txt"));
    EXPECT_FALSE(tree.exists("evil/Forms/a.frm"));
}

// Eight entries of 4 MiB each, in an archive of a few kilobytes, on a disk of one megabyte.
TEST(Restore, AZipBombIsRefusedBeforeAnythingIsReadOrWritten)
{
    TempTree tree;
    const QString disk = tree.makeFolder("disk");
    const SmallTmpfs small(disk, "1m");
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    QList<RawEntry> entries;
    for (int i = 0; i < 8; ++i)
        entries.append({"zeros" + QByteArray::number(i) + ".bin", QByteArray(4 << 20, '\0'), true});
    WriteRawArchive(disk + "/bomb.zip", entries);

    RecordingObserver observer;
    const RestoreResult result = RestoreArchive(disk + "/bomb.zip", observer);
    EXPECT_EQ(result.status, RestoreResult::Status::Failed);
    EXPECT_TRUE(result.Error.contains("need 33.6 MB")) << result.Error.toStdString();
    EXPECT_TRUE(observer.shares.isEmpty()) << "nothing was decompressed";
    EXPECT_FALSE(observer.busy);
    EXPECT_EQ(QDir(disk).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"bomb.zip"});
}

} // namespace
