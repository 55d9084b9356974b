#include "TestMounts.h"
#include "TempTree.h"
#include "ZipReader.h"
#include "ZipWriter.h"
#include "ZipFixtures.h"
#include "ZipTestRuns.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList BsdtarListing(const QString &archivePath)
{
    QByteArray output;
    EXPECT_EQ(RunProgram("bsdtar", {"-tf", archivePath}, &output), 0) << output.constData();
    QStringList names = QString::fromUtf8(output).split('\n', Qt::SkipEmptyParts);
    names.sort();
    return names;
}

QByteArray BsdtarContent(const QString &archivePath, const QString &entry)
{
    QByteArray output;
    EXPECT_EQ(RunProgram("bsdtar", {"-xOf", archivePath, entry}, &output), 0) << output.constData();
    return output;
}

TEST(ZipArchiveTest, RoundTripKeepsFoldersUtf8NamesAndContent)
{
    TempTree tree;
    const QByteArray form = QByteArray("Begin VB.Form Form1\r\n").repeated(40);
    const struct {
        QString prefix;
        QString file;
        QString entry;
        QByteArray content;
    } files[] = {{"", "Project.vbp", "Project.vbp", "Type=Exe\r\nForm=Form1.frm\r\n"},
                 {"Forms", "Form1.frm", "Forms/Form1.frm", form},
                 {"Forms\\", "Fenêtre.frm", "Forms/Fenêtre.frm", form + "é"},
                 {"Code\\Modules", "Module1.bas", "Code/Modules/Module1.bas", "Attribute VB_Name"}};
    QList<Member> members;
    QStringList names;
    for (const auto &file : files) {
        members.append({file.prefix, tree.write("src/" + file.file, file.content)});
        names.append(file.entry);
    }
    names.sort();
    const QString archivePath = tree.path("backup.zip");
    const Outcome<void> written = Archive(archivePath, members);
    ASSERT_TRUE(written) << written.error().toStdString();

    EXPECT_EQ(BsdtarListing(archivePath), names);
    for (const CentralRecord &record : CentralDirectory(tree.read("backup.zip"))) {
        SCOPED_TRACE(record.name.constData());
        EXPECT_EQ(record.method, 8);
        EXPECT_EQ(record.flags & 0x6, 0) << "deflate level other than normal";
        EXPECT_EQ((record.flags & 0x800) != 0, record.name == "Forms/Fenêtre.frm") << "language encoding flag";
    }
    ASSERT_EQ(FilesWritten(Extract(archivePath, tree.path("out"))), 4);
    for (const auto &file : files) {
        SCOPED_TRACE(file.entry.toStdString());
        EXPECT_EQ(BsdtarContent(archivePath, file.entry), file.content);
        EXPECT_EQ(tree.read("out/" + file.entry), file.content);
    }
}

// Other zip tools show the comment as it was written; one longer than the format holds (its
// length is a 16-bit field: 65,535 bytes) is cut to fit instead of failing the archive; an archive
// written after one with a comment has none.
TEST(ZipArchiveTest, ArchiveCommentIsWrittenForOtherToolsAndReadBack)
{
    TempTree tree;
    const QString file = tree.write("src/Module1.bas", "Attribute VB_Name");
    const QString comment = QStringLiteral("Missing:\r\nModule=Modül; Modules\\Modül.bas");
    const struct {
        QString written;
        QString read;
    } cases[] = {{comment, comment}, {QString(65535 + 10, 'x'), QString(65535, 'x')}, {QString(), QString()}};
    const auto write = [&file](const QString &archive, const QString &written) {
        ZipWriter zip(archive);
        zip.SetComment(written);
        ASSERT_TRUE(zip.AddMemberFile(file));
        const Outcome<ZipWriter::Written> done = zip.Write();
        ASSERT_TRUE(done) << done.error().toStdString();
        EXPECT_EQ(RunProgram("unzip", {"-tq", archive}), 0);
    };
    const auto read = [](const QString &archive) {
        Outcome<ZipReader> zip = ZipReader::Open(archive);
        return zip ? zip.value().Comment() : zip.error();
    };
    for (const auto &one : cases) {
        QFile::remove(tree.path("commented.zip")); // an archive never replaces a file
        write(tree.path("commented.zip"), one.written);
        EXPECT_EQ(read(tree.path("commented.zip")), one.read);
    }
    QFile::remove(tree.path("commented.zip"));
    write(tree.path("commented.zip"), comment);
    QByteArray shown;
    ASSERT_EQ(RunProgram("unzip", {"-z", tree.path("commented.zip")}, &shown), 0);
    EXPECT_TRUE(shown.contains(comment.section('\n', 1).toUtf8())) << shown.constData();
    write(tree.path("plain.zip"), QString());
    EXPECT_EQ(read(tree.path("plain.zip")), QString());
}

TEST(ZipArchiveTest, ProgressReachesTheEndWhileWritingAndExtracting)
{
    TempTree tree;
    QList<double> shares;
    const auto record = [&](double share) { shares.append(share); };
    ZipWriter writer(tree.path("backup.zip"));
    writer.SetProgressHandler(record);
    ASSERT_TRUE(writer.AddMemberFile(tree.write("Module1.bas", "Attribute VB_Name")));
    QByteArray picture(8 << 20, Qt::Uninitialized);
    QRandomGenerator(5).fillRange(reinterpret_cast<quint32 *>(picture.data()), picture.size() / 4);
    ASSERT_TRUE(writer.AddMemberFile(tree.write("Main.frx", picture)));
    ASSERT_TRUE(writer.Write());
    ASSERT_FALSE(shares.isEmpty());
    EXPECT_EQ(shares.last(), 1.0);

    // One large entry moves the bar many times while it is checked or extracted, never backwards.
    const auto checkShares = [&] {
        EXPECT_GT(shares.size(), 100);
        EXPECT_TRUE(std::is_sorted(shares.begin(), shares.end()));
        ASSERT_FALSE(shares.isEmpty());
        EXPECT_EQ(shares.last(), 1.0);
    };
    Outcome<ZipReader> opened = ZipReader::Open(tree.path("backup.zip"));
    ASSERT_TRUE(opened) << opened.error().toStdString();
    ZipReader reader = std::move(opened).value();
    reader.SetProgressHandler(record);
    shares.clear();
    const Outcome<QStringList, ZipFailure> checked = reader.Check();
    ASSERT_TRUE(checked && checked.value().isEmpty());
    checkShares();
    shares.clear();
    ASSERT_EQ(FilesWritten(reader.ExtractAll(tree.path("out"))), 2);
    checkShares();
}

TEST(ZipArchiveTest, ProtectedArchiveOpensOnlyWithItsPassword)
{
    TempTree tree;
    const QString archivePath = tree.path("secret.zip");
    ASSERT_TRUE(Archive(archivePath, {{"Forms", tree.write("Form1.frm", "Begin VB.Form Form1")}}, "s3cret"));

    QByteArray output;
    EXPECT_EQ(RunProgram("7zz", {"t", "-ps3cret", archivePath}, &output), 0) << output.constData();
    RunProgram("7zz", {"l", "-slt", "-ps3cret", archivePath}, &output);
    EXPECT_TRUE(output.contains("AES-256")) << output.constData();
    EXPECT_NE(RunProgram("7zz", {"t", archivePath}), 0) << "opened without a password";
    EXPECT_NE(RunProgram("7zz", {"t", "-pwrong", archivePath}), 0) << "opened with a wrong password";

    const struct {
        QString password;
        std::optional<ZipFailure::Kind> failure;
        QStringList extracted;
    } cases[] = {{"s3cret", std::nullopt, {"out", "out/Forms", "out/Forms/Form1.frm"}},
                 {"", ZipFailure::Kind::NeedsPassword, {}},
                 {"wrong", ZipFailure::Kind::WrongPassword, {}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.password.toStdString());
        TempTree out;
        EXPECT_EQ(FailureOf(Extract(archivePath, out.path("out"), c.password)), c.failure);
        EXPECT_EQ(Contents(out.root()), c.extracted);
    }
    TempTree out;
    ASSERT_EQ(FilesWritten(Extract(archivePath, out.path("out"), "s3cret")), 1);
    EXPECT_EQ(out.read("out/Forms/Form1.frm"), "Begin VB.Form Form1");
}

// Windows, where the archive is opened, sees one file where two names differ only in case: the
// second is refused, naming itself, and the first stays as it was.
TEST(ZipArchiveTest, ANameDifferingOnlyInCaseIsRefused)
{
    TempTree tree;
    ZipWriter zip(tree.path("backup.zip"));
    ASSERT_TRUE(zip.AddMemberFile(tree.write("a/Form1.frm", "first")));
    const Outcome<void> second = zip.AddMemberFile(tree.write("b/FORM1.FRM", "second"));
    ASSERT_FALSE(second);
    EXPECT_TRUE(second.error().contains("FORM1.FRM")) << second.error().toStdString();
    ASSERT_TRUE(zip.Write());

    EXPECT_EQ(BsdtarListing(tree.path("backup.zip")), QStringList{"Form1.frm"});
    EXPECT_EQ(BsdtarContent(tree.path("backup.zip"), "Form1.frm"), "first");
}

// Root reads anything, so the unreadable file is tried as the unprivileged user.
class EffectiveUser {
public:
    explicit EffectiveUser(uid_t user) : dropped_(geteuid() == 0 && seteuid(user) == 0) {}
    ~EffectiveUser()
    {
        if (dropped_ && seteuid(0) != 0)
            std::abort();
    }

private:
    bool dropped_;
};

TEST(ZipArchiveTest, AddMemberFileRefusesWhatCannotBeRead)
{
    TempTree tree;
    chmod(QFile::encodeName(tree.root()).constData(), 0755);
    const QString unreadable = tree.write("Locked.frm", "Begin VB.Form Locked");
    chmod(QFile::encodeName(unreadable).constData(), 0);
    const std::pair<QString, const char *> refused[] = {{tree.path("Missing.frm"), "it does not exist"},
                                                        {tree.makeFolder("Folder.frm"), "it is not a regular file"},
                                                        {unreadable, "it cannot be read, Permission denied"}};
    for (const auto &[path, reason] : refused) {
        ZipWriter zip(tree.path("backup.zip"));
        const EffectiveUser nobody(65534);
        const Outcome<void> added = zip.AddMemberFile(path);
        ASSERT_FALSE(added) << path.toStdString();
        EXPECT_EQ(added.error(), "Cannot add " + path + ": " + reason + ".");
    }
}

TEST(ZipArchiveTest, ModificationTimeSurvivesBothWays)
{
    TempTree tree;
    const QDateTime when(QDate(2004, 5, 6), QTime(7, 8, 10));
    QFile form(tree.write("Form1.frm", "Begin VB.Form Form1"));
    ASSERT_TRUE(form.open(QIODevice::ReadWrite) && form.setFileTime(when, QFileDevice::FileModificationTime));
    form.close();
    ASSERT_TRUE(Archive(tree.path("backup.zip"), {{"", form.fileName()}}));

    ASSERT_EQ(RunProgram("bsdtar", {"-xf", tree.path("backup.zip")}, nullptr, tree.makeFolder("bsdtar")), 0);
    EXPECT_EQ(QFileInfo(tree.path("bsdtar/Form1.frm")).lastModified(), when);
    ASSERT_EQ(FilesWritten(Extract(tree.path("backup.zip"), tree.path("out"))), 1);
    EXPECT_EQ(QFileInfo(tree.path("out/Form1.frm")).lastModified(), when);
}

class FailedWriteTest : public ::testing::Test {
protected:
    // A real earlier archive that every failed write must leave as it was.
    void SetUp() override
    {
        tree.makeFolder("archives");
        ASSERT_TRUE(Archive(tree.path("archives/backup.zip"), {{"", tree.write("Old.bas", "old")}}));
        earlier = tree.read("archives/backup.zip");
    }
    void ExpectEarlierArchiveAlone()
    {
        EXPECT_EQ(tree.read("archives/backup.zip"), earlier);
        EXPECT_EQ(Contents(tree.path("archives")), QStringList{"backup.zip"});
    }

    TempTree tree;
    QByteArray earlier;
};

TEST_F(FailedWriteTest, EmptyArchiveIsNotWritten)
{
    ZipWriter zip(tree.path("archives/new.zip"));
    zip.SetFolderPrefix("Forms");
    const Outcome<ZipWriter::Written> written = zip.Write();
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), "Nothing was added to " + tree.path("archives/new.zip") + ", so it was not written.");
    ExpectEarlierArchiveAlone();
}

// The files ahead of the form fill what the workers may read before the write takes their results,
// so that the form is read only once the write has begun: its failure must name it.
TEST_F(FailedWriteTest, MemberRemovedBeforeWriting)
{
    ZipWriter zip(tree.path("archives/new.zip"));
    const QString form = tree.write("Form1.frm", "Begin VB.Form Form1");
    const QByteArray large(15 * 1024 * 1024, 'x');
    for (const QString name : {"One.res", "Two.res", "Three.res"})
        ASSERT_TRUE(zip.AddMemberFile(tree.write(name, large)));
    ASSERT_TRUE(zip.AddMemberFile(form));
    QFile::remove(form);
    const Outcome<ZipWriter::Written> written = zip.Write();
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), "Cannot add " + form + " to " + tree.path("archives/new.zip") + ": it does not exist.");
    ExpectEarlierArchiveAlone();
}

TEST_F(FailedWriteTest, FullDisk)
{
    const SmallTmpfs disk(tree.makeFolder("full"));
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    ASSERT_TRUE(Archive(tree.path("full/backup.zip"), {{"", tree.path("Old.bas")}}));
    const QByteArray small = tree.read("full/backup.zip");
    QByteArray noise(256 * 1024, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);

    const Outcome<void> written = Archive(tree.path("full/new.zip"), {{"", tree.write("Noise.res", noise)}});
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(),
              "Cannot write the archive " + tree.path("full/new.zip") + ": Write error: No space left on device.");
    EXPECT_EQ(tree.read("full/backup.zip"), small);
    EXPECT_EQ(Contents(tree.path("full")), QStringList{"backup.zip"});
}

// Lines of random numbers, which deflate does not shrink to almost nothing, so that libzip's
// progress moves while it compresses them: a few thousand, repeated further apart than deflate sees.
QByteArray RandomLines(qsizetype repeats, quint32 seed, const QByteArray &lineEnd)
{
    QRandomGenerator random(seed);
    QByteArray lines;
    for (int line = 0; line < 10000; ++line)
        lines += "Total = Total + " + QByteArray::number(random.bounded(1000000)) + lineEnd;
    return lines.repeated(repeats);
}

// A member that changes while it is read (an editor saving it, a build rewriting it) is never stored
// half old and half new: it is read once more, and when it changes again the write fails naming it;
// the archive can then be written without it. The large member is the second of two entries, so the
// write's progress runs past one half between two chunks of its read, and the change lands there.
TEST_F(FailedWriteTest, MemberChangingWhileReadIsReadAgainOrFails)
{
    const QByteArray before = RandomLines(80, 1, "\n"); // 18 MB: read by the archive writer itself
    const QByteArray saved = RandomLines(81, 2, "\n");
    const QByteArray savedCrlf = RandomLines(81, 2, "\r\n");
    const QByteArray sameSize = QByteArray(before).replace("Total", "Count");
    const QDateTime longAgo(QDate(2001, 2, 3), QTime(4, 5, 6));
    enum class Change { Rewritten, SameSizeOtherTime };
    const struct {
        const char *name;
        ZipWriter::Content content;
        Change change;
        int changes;       // how many reads see it change
        QByteArray stored; // empty: the write fails
    } cases[] = {
        {"rewritten once", ZipWriter::Content::AsIs, Change::Rewritten, 1, saved},
        {"rewritten once, line ends converted", ZipWriter::Content::WindowsLineEnds, Change::Rewritten, 1, savedCrlf},
        {"same size, other time", ZipWriter::Content::AsIs, Change::SameSizeOtherTime, 1, sameSize},
        {"rewritten at every read", ZipWriter::Content::AsIs, Change::Rewritten, 2, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString big = tree.write("Big.bas", before);
        const QString small = tree.write("Small.bas", "Attribute VB_Name = \"Small\"\r\n");
        int changes = 0;
        double previous = 0;
        bool changedThisWrite = false;
        const QString written = tree.path("archives/new.zip"); // beside the earlier archive
        QFile::remove(written);
        ZipWriter zip(written);
        zip.SetProgressHandler([&](double share) {
            if (share < previous)
                changedThisWrite = false; // written again from the start
            previous = share;
            if (share <= 0.5 || share >= 1 || changedThisWrite || changes == c.changes)
                return;
            changedThisWrite = true;
            ++changes;
            QFile file(big);
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            if (c.change == Change::Rewritten) {
                ASSERT_TRUE(file.resize(0));
                ASSERT_EQ(file.write(saved), saved.size());
            } else {
                ASSERT_EQ(file.write(sameSize), sameSize.size());
                ASSERT_TRUE(file.setFileTime(longAgo, QFileDevice::FileModificationTime));
            }
        });
        ASSERT_TRUE(zip.AddMemberFile(small));
        ASSERT_TRUE(zip.AddMemberFile(big, QString(), c.content));
        if (!c.stored.isEmpty()) {
            const Outcome<ZipWriter::Written> done = zip.Write();
            ASSERT_TRUE(done) << done.error().toStdString();
            EXPECT_TRUE(BsdtarContent(written, "Big.bas") == c.stored);
            EXPECT_EQ(BsdtarContent(written, "Small.bas"), tree.read("Small.bas"));
            continue;
        }
        const Outcome<ZipWriter::Written> failed = zip.Write();
        ASSERT_FALSE(failed);
        EXPECT_EQ(failed.error(), "Cannot add " + big + " to " + written + ": it changed while it was read.");
        EXPECT_EQ(zip.ChangingFiles(), QStringList{big});
        ExpectEarlierArchiveAlone();
        zip.LeaveOut(big);
        const Outcome<ZipWriter::Written> done = zip.Write();
        ASSERT_TRUE(done) << done.error().toStdString();
        EXPECT_EQ(BsdtarListing(written), QStringList{"Small.bas"});
    }
}

// Members deflated ahead on several cores, one that does not shrink, one that holds random bytes
// between compressible ones, an empty one and one too large for that path: every independent
// reader takes the archive, with and without a password.
TEST(ZipArchiveTest, ParallelDeflatedArchivesStayStandard)
{
    TempTree tree;
    QByteArray noise(200 * 1024, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
    const QByteArray mixed =
        QByteArray("lt\0\0BM\x10\x20\x30", 10).repeated(7000) + noise + QByteArray("Picture = ").repeated(5000);
    QList<Member> members{{"", tree.write("noise.res", noise)},
                          {"Forms", tree.write("Forms/frmMixed.frx", mixed)},
                          {"", tree.write("empty.bas", QByteArray())},
                          {"Large", tree.write("large.frx", QByteArray(17 * 1024 * 1024, 'x') + noise)}};
    for (int i = 0; i < 40; ++i)
        members.append({"Modules", tree.write(QString("Modules/mod%1.bas").arg(i),
                                              QByteArray("Attribute VB_Name\r\n").repeated(200 + i))});

    for (const QString &password : {QString(), QString("s3cret")}) {
        const QString archive = tree.path(password.isEmpty() ? "plain.zip" : "protected.zip");
        const Outcome<void> written = Archive(archive, members, password);
        ASSERT_TRUE(written) << written.error().toStdString();
        QByteArray output;
        EXPECT_EQ(RunProgram("7zz", {"t", "-p" + password, archive}, &output), 0) << output.toStdString();
        if (password.isEmpty()) {
            EXPECT_EQ(RunProgram("unzip", {"-tq", archive}, &output), 0) << output.toStdString();
            EXPECT_EQ(RunProgram("bsdtar", {"-xOf", archive, "noise.res"}, &output), 0);
            EXPECT_EQ(output, noise);
            EXPECT_EQ(RunProgram("bsdtar", {"-xOf", archive, "Forms/frmMixed.frx"}, &output), 0);
            EXPECT_TRUE(output == mixed) << "bsdtar gives " << output.size() << " bytes of " << mixed.size();
            EXPECT_LT(QFileInfo(archive).size(), 3 * noise.size() + 60 * 1024)
                << "the noise stays its size, the rest shrinks";
        }
        const QString out = tree.path("out-" + QFileInfo(archive).baseName());
        EXPECT_EQ(FilesWritten(Extract(archive, out, password)), members.size());
        EXPECT_EQ(tree.read("out-" + QFileInfo(archive).baseName() + "/Large/large.frx").size(),
                  17 * 1024 * 1024 + noise.size());
        EXPECT_TRUE(tree.read("out-" + QFileInfo(archive).baseName() + "/Forms/frmMixed.frx") == mixed);
    }
}

// Text members of a Windows program checked out on Linux often have LF only. Only a LF with no CR
// before it changes, wherever it lies; a file holding a NUL is not text; a file too large for the
// parallel path is converted all the same; a file added as it is keeps its bytes.
TEST(ZipArchiveTest, WindowsLineEndsReplaceOnlyLoneLineFeeds)
{
    TempTree tree;
    const QByteArray largeLines = QByteArray("Attribute VB_Name\n").repeated(1024 * 1024);
    const struct {
        const char *name;
        QByteArray content;
        QByteArray stored;
        ZipWriter::Content rule = ZipWriter::Content::WindowsLineEnds;
    } cases[] = {
        {"empty.bas", "", ""},
        {"lf-only.bas", "\nA\nB\n", "\r\nA\r\nB\r\n"},
        {"crlf.bas", "A\r\nB\r\n", "A\r\nB\r\n"},
        {"mixed.bas", "A\r\nB\nC\rD\n\n", "A\r\nB\r\nC\rD\r\n\r\n"},
        {"cr-at-end.bas", "A\nB\r", "A\r\nB\r"},
        {"no-line-end.bas", "A", "A"},
        {"nul.bas", QByteArray("A\nB\0\n", 5), QByteArray("A\nB\0\n", 5)},
        {"as-is.frx", "A\nB\n", "A\nB\n", ZipWriter::Content::AsIs},
        {"large.bas", largeLines, QByteArray("Attribute VB_Name\r\n").repeated(1024 * 1024)},
    };
    const QString archive = tree.path("text.zip");
    ZipWriter zip(archive);
    for (const auto &c : cases)
        ASSERT_TRUE(zip.AddMemberFile(tree.write(c.name, c.content), QString(), c.rule)) << c.name;
    ASSERT_TRUE(zip.Write());

    QByteArray output;
    EXPECT_EQ(RunProgram("unzip", {"-tq", archive}, &output), 0) << output.toStdString();
    for (const auto &c : cases)
        EXPECT_TRUE(BsdtarContent(archive, c.name) == c.stored) << c.name;
}

} // namespace
