#include "CliRunner.h"
#include "ProjectTree.h"
#include "ZipFixtures.h"
#include "ZipListing.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <functional>
#include <gtest/gtest.h>

// A second archive of a project copies the entries its newest earlier archive already holds, and
// only those: checked, never trusted, and never across passwords.

namespace {

const QString kFirst = QStringLiteral("20240101000000");
const QString kSecond = QStringLiteral("20240102000000");

// Members with lone LF line ends, as a checkout on Linux has them.
QByteArray LfModuleText(const QByteArray &name, const QByteArray &body) { return ModuleText(name, body, "\n"); }

QByteArray WithCrLf(QByteArray text) { return text.replace("\n", "\r\n"); }

QByteArray FormFrx()
{
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes.append(char((i * 7919) % 251));
    return bytes;
}

QString ArchiveOf(ProjectTree &tree, const QString &stamp) { return tree.path("out/App 0.0.0." + stamp + ".zip"); }

// The CRC-32 of zip (reflected, polynomial 0xEDB88320), one bit at a time: the table is its byte step.
quint32 CrcByteStep(quint32 index)
{
    quint32 value = index;
    for (int bit = 0; bit < 8; ++bit)
        value = (value >> 1) ^ ((value & 1) ? 0xEDB88320u : 0u);
    return value;
}

// The register after bytes, before the final inversion.
quint32 CrcRegister(QByteArrayView bytes, quint32 reg = 0xFFFFFFFFu)
{
    for (const char byte : bytes)
        reg = (reg >> 8) ^ CrcByteStep((reg ^ uchar(byte)) & 0xFF);
    return reg;
}

// Overwrites the last four bytes so that the CRC-32 of the whole is crc. Four bytes XORed into the
// register and then a zero-byte step four times: each step is undone from its top byte, which
// only one table entry has.
void ForceCrc(QByteArray &bytes, quint32 crc)
{
    quint32 reg = crc ^ 0xFFFFFFFFu;
    for (int step = 0; step < 4; ++step) {
        quint32 index = 0;
        while ((CrcByteStep(index) >> 24) != (reg >> 24))
            ++index;
        reg = ((reg ^ CrcByteStep(index)) << 8) | index;
    }
    const quint32 patch = reg ^ CrcRegister(QByteArrayView(bytes).first(bytes.size() - 4));
    for (int at = 0; at < 4; ++at)
        bytes[bytes.size() - 4 + at] = char((patch >> (8 * at)) & 0xFF);
}

// How many entries the run says it copied; 0 when it says nothing of it.
int ReusedCount(const QByteArray &output)
{
    static const QRegularExpression reused(QStringLiteral("reused (\\d+) unchanged entries of "));
    const QRegularExpressionMatch match = reused.match(QString::fromUtf8(output));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QByteArray StoredDataOf(const QString &archive, const QString &entry)
{
    QFile file(archive);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    for (const CentralRecord &record : CentralDirectory(bytes)) {
        if (record.name == entry.toUtf8())
            return StoredData(bytes, record);
    }
    return {};
}

// The archive passes verify (with the status expected) and 7-Zip's test, and each named entry
// holds the content given.
void ExpectSoundArchive(const QString &archive, const QString &passwordFile, int verifyStatus,
                        const QList<std::pair<QString, QByteArray>> &entries)
{
    QByteArray output;
    QStringList verify = {"verify", archive};
    QStringList test = {"t", archive};
    if (!passwordFile.isEmpty()) {
        verify << "--password-file" << passwordFile;
        QFile file(passwordFile);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        test << "-p" + QString::fromUtf8(file.readLine().trimmed());
    }
    EXPECT_EQ(RunCli(verify, &output), verifyStatus) << output.toStdString();
    EXPECT_EQ(RunProgram("7zz", test, &output), 0) << output.toStdString();
    if (!passwordFile.isEmpty())
        return; // bsdtar reads no WinZip AES: verify and 7-Zip have read the contents
    for (const auto &[entry, content] : entries)
        EXPECT_EQ(ArchiveEntryContent(archive, entry), content) << entry.toStdString();
}

// Run twice, plain and with a password: a member kept, one changed (same size), one renamed, one
// removed from the project and one lost from the disk (--keep-going records it); --crlf on both runs.
TEST(CliReuse, OnlyUnchangedEntriesAreCopied)
{
    for (const bool protect : {false, true}) {
        SCOPED_TRACE(protect ? "with a password" : "plain");
        ProjectTree tree;
        const QString passwordFile = protect ? tree.write("pass.txt", "s3cret\n") : QString();
        const QByteArray form = "VERSION 5.00\nBegin VB.Form Form1\n   Icon = \"Form1.frx\":0000\nEnd\n";
        tree.write("App/Form1.frm", form);
        tree.write("App/Form1.frx", FormFrx());
        tree.write("App/Keep.bas", LfModuleText("Keep", "kept"));
        tree.write("App/Change.bas", LfModuleText("Change", "first"));
        tree.write("App/Old.bas", LfModuleText("Old", "moved"));
        tree.write("App/Gone.bas", LfModuleText("Gone", "gone"));
        tree.write("App/Lost.bas", LfModuleText("Lost", "lost"));
        const QList<QByteArray> common = {"Name=\"App\"", "Form=Form1.frm", "Module=Keep; Keep.bas",
                                          "Module=Change; Change.bas", "Module=Lost; Lost.bas"};
        const QString project =
            tree.project("App/App.vbp", common + QList<QByteArray>{"Module=Old; Old.bas", "Module=Gone; Gone.bas"});
        const auto archive = [&](const QString &stamp, QByteArray &output) {
            QStringList arguments = {"archive", project, "--dest", tree.path("out"),
                                     "--stamp", stamp,   "--crlf", "--keep-going"};
            if (protect)
                arguments << "--password-file" << passwordFile;
            return RunCli(arguments, &output);
        };
        QByteArray output;
        ASSERT_EQ(archive(kFirst, output), 0) << output.toStdString();
        EXPECT_EQ(ReusedCount(output), 0);

        tree.write("App/Change.bas", LfModuleText("Change", "later"));
        QFile::rename(tree.path("App/Old.bas"), tree.path("App/New.bas"));
        QFile::remove(tree.path("App/Gone.bas"));
        QFile::remove(tree.path("App/Lost.bas"));
        tree.project("App/App.vbp", common + QList<QByteArray>{"Module=New; New.bas"});
        ASSERT_EQ(archive(kSecond, output), 3) << output.toStdString();
        EXPECT_EQ(ReusedCount(output), 3) << output.toStdString();

        const QString first = ArchiveOf(tree, kFirst);
        const QString second = ArchiveOf(tree, kSecond);
        for (const QString entry : {"Form1.frm", "Form1.frx", "Keep.bas"})
            EXPECT_EQ(StoredDataOf(second, entry), StoredDataOf(first, entry)) << entry.toStdString();
        // With a password every entry has its own salt: only a copy holds the same bytes.
        if (protect) {
            EXPECT_NE(StoredDataOf(second, "Change.bas"), StoredDataOf(first, "Change.bas"));
        }
        EXPECT_EQ(ArchiveEntries(second), QStringList({"Form1.frm", "Form1.frx", "Keep.bas", "Change.bas", "New.bas",
                                                       "App 0.0.0." + kSecond + ".vbp"}));
        ExpectSoundArchive(second, passwordFile, 3,
                           {{"Form1.frm", WithCrLf(form)},
                            {"Form1.frx", FormFrx()},
                            {"Keep.bas", WithCrLf(tree.read("App/Keep.bas"))},
                            {"Change.bas", WithCrLf(tree.read("App/Change.bas"))},
                            {"New.bas", WithCrLf(tree.read("App/New.bas"))}});
    }
}

// An earlier archive that cannot be trusted, or that was written with other protection, gives
// nothing to copy; the new archive is whole and sound all the same.
TEST(CliReuse, NothingIsCopiedThatCannotBeTrusted)
{
    struct Case {
        const char *what;
        QByteArray firstPassword;
        QByteArray secondPassword;
        std::function<void(const QString &earlier)> spoil;
        int reused;
        QString warning;
        QStringList secondOptions = {};
    };
    const auto flipByteOfOther = [](const QString &earlier) { ASSERT_TRUE(FlipStoredByte(earlier, "Other.bas")); };
    const auto truncate = [](const QString &earlier) { QFile::resize(earlier, QFileInfo(earlier).size() / 2); };
    const auto leave = [](const QString &) {};
    // The end record is the archive's last 22 bytes: our archives have no comment unless files are missing.
    const auto rewriteEnd = [](const QString &earlier, const std::function<void(QByteArray &, qsizetype)> &change) {
        QFile file(earlier);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const qsizetype end = bytes.size() - 22;
        ASSERT_TRUE(bytes.mid(end, 4) == "PK\x05\x06");
        change(bytes, end);
        ASSERT_TRUE(file.seek(0) && file.write(bytes) == bytes.size() && file.resize(bytes.size()));
    };
    // A comment may hold the signature's bytes: that candidate's own comment does not end the file.
    const auto quoteEndRecordInComment = [&](const QString &earlier) {
        rewriteEnd(earlier, [](QByteArray &bytes, qsizetype end) {
            const QByteArray comment = QByteArray("PK\x05\x06") + QByteArray(18, '\0') + " quoted";
            bytes[end + 20] = char(comment.size());
            bytes.append(comment);
        });
    };
    const auto countOneEntryLess = [&](const QString &earlier) {
        rewriteEnd(earlier, [](QByteArray &bytes, qsizetype end) {
            bytes[end + 8] = char(bytes[end + 8] - 1);
            bytes[end + 10] = char(bytes[end + 10] - 1);
        });
    };
    const QList<Case> cases = {
        {"a flipped byte", "", "", flipByteOfOther, 1, "is damaged at Other.bas: "},
        {"a flipped byte, protected", "s3cret", "s3cret", flipByteOfOther, 1,
         "is damaged at Other.bas: its data fails its authentication code"},
        {"truncated", "", "", truncate, 0, "cannot be read"},
        {"an end record quoted in the comment", "", "", quoteEndRecordInComment, 2, ""},
        {"an end record counting one entry less", "", "", countOneEntryLess, 0,
         "cannot be read (its central directory is damaged)"},
        {"another password", "s3cret", "other", leave, 0, ""},
        {"protected before, plain now", "s3cret", "", leave, 0, ""},
        {"plain before, protected now", "", "s3cret", leave, 0, ""},
        {"--no-reuse", "", "", leave, 0, "", {"--no-reuse"}},
    };
    for (const Case &test : cases) {
        SCOPED_TRACE(test.what);
        ProjectTree tree;
        tree.write("App/Keep.bas", LfModuleText("Keep", "kept"));
        tree.write("App/Other.bas", LfModuleText("Other", "other"));
        const QString project =
            tree.project("App/App.vbp", {"Name=\"App\"", "Module=Keep; Keep.bas", "Module=Other; Other.bas"});
        const auto archive = [&](const QString &stamp, const QByteArray &password, const QStringList &options) {
            QStringList arguments = {"archive", project, "--dest", tree.path("out"), "--stamp", stamp};
            if (!password.isEmpty())
                arguments << "--password-file" << tree.write(stamp + ".pass", password + "\n");
            QByteArray output;
            EXPECT_EQ(RunCli(arguments + options, &output), 0) << output.toStdString();
            return output;
        };
        archive(kFirst, test.firstPassword, {});
        test.spoil(ArchiveOf(tree, kFirst));
        const QByteArray output = archive(kSecond, test.secondPassword, test.secondOptions);
        EXPECT_EQ(ReusedCount(output), test.reused) << output.toStdString();
        EXPECT_EQ(output.contains("warning: the earlier archive"), !test.warning.isEmpty()) << output.toStdString();
        EXPECT_TRUE(output.contains(test.warning.toUtf8())) << output.toStdString();

        const QString second = ArchiveOf(tree, kSecond);
        const QString secondPassword = test.secondPassword.isEmpty() ? QString() : tree.path(kSecond + ".pass");
        ExpectSoundArchive(second, secondPassword, 0,
                           {{"Keep.bas", tree.read("App/Keep.bas")}, {"Other.bas", tree.read("App/Other.bas")}});
        QFile file(second);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        for (const CentralRecord &record : CentralDirectory(file.readAll()))
            EXPECT_EQ(record.flags & 1, test.secondPassword.isEmpty() ? 0 : 1) << record.name.toStdString();
    }
}

// The content records of a protected archive's entries (extra field 0x5A51 in the central directory):
// one for each member file; the project file, written anew each time, has none.
int ContentRecords(const QString &archive)
{
    QFile file(archive);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    int records = 0;
    for (const CentralRecord &record : CentralDirectory(file.readAll()))
        records += record.extra.contains(QByteArray("\x51\x5A\x51\x00", 4)) ? 1 : 0;
    return records;
}

// Each entry of a protected archive carries a record of its content and stored bytes, which other
// zip readers skip without a word and which the next archive copies with the entry. An archive
// without records (an older one) still has each entry checked in full, and its copies get records.
TEST(CliReuse, ProtectedEntriesCarryContentRecordsThatOtherReadersSkip)
{
    ProjectTree tree;
    const QString passwordFile = tree.write("pass.txt", "s3cret\n");
    tree.write("App/Keep.bas", LfModuleText("Keep", "kept"));
    tree.write("App/Other.bas", LfModuleText("Other", "other"));
    const QString project =
        tree.project("App/App.vbp", {"Name=\"App\"", "Module=Keep; Keep.bas", "Module=Other; Other.bas"});
    const auto archive = [&](const QString &stamp) {
        QByteArray output;
        EXPECT_EQ(
            RunCli({"archive", project, "--dest", tree.path("out"), "--stamp", stamp, "--password-file", passwordFile},
                   &output),
            0)
            << output.toStdString();
        return output;
    };
    archive(kFirst);
    const QString first = ArchiveOf(tree, kFirst);
    EXPECT_EQ(ContentRecords(first), 2);
    for (const QStringList &reader : {QStringList{"7zz", "t", "-ps3cret", first}, QStringList{"unzip", "-l", first},
                                      QStringList{"bsdtar", "-tvf", first}}) {
        QByteArray output;
        EXPECT_EQ(RunProgram(reader.first(), reader.mid(1), &output), 0) << output.toStdString();
        EXPECT_FALSE(output.toLower().contains("warning")) << output.toStdString();
    }

    EXPECT_EQ(ReusedCount(archive(kSecond)), 2);
    EXPECT_EQ(ContentRecords(ArchiveOf(tree, kSecond)), 2);

    // The same archive as an older version wrote it: its fields under another id, unknown to this one.
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    for (const CentralRecord &record : CentralDirectory(bytes)) {
        const qsizetype field = record.extra.indexOf(QByteArray("\x51\x5A\x51\x00", 4));
        if (field >= 0)
            bytes[record.extraAt + field] = 'R';
    }
    ASSERT_TRUE(file.seek(0) && file.write(bytes) == bytes.size());
    file.close();
    ASSERT_EQ(ContentRecords(first), 0);
    QFile::remove(ArchiveOf(tree, kSecond));
    tree.write("App/Other.bas", LfModuleText("Other", "changed"));
    EXPECT_EQ(ReusedCount(archive(kSecond)), 1);
    EXPECT_EQ(ContentRecords(ArchiveOf(tree, kSecond)), 2);
    ExpectSoundArchive(ArchiveOf(tree, kSecond), passwordFile, 0, {});
}

// A member changed to other bytes of the same size and the same CRC-32 is stored anew: size and
// CRC-32 tell a change, never sameness. Plain and protected.
TEST(CliReuse, OtherBytesOfTheSameSizeAndCrcAreNotCopied)
{
    for (const bool protect : {false, true}) {
        SCOPED_TRACE(protect ? "with a password" : "plain");
        ProjectTree tree;
        const QString passwordFile = protect ? tree.write("pass.txt", "s3cret\n") : QString();
        const QByteArray before = LfModuleText("Same", "first");
        QByteArray after = LfModuleText("Same", "later");
        ForceCrc(after, CrcRegister(before) ^ 0xFFFFFFFFu);
        ASSERT_EQ(after.size(), before.size());
        ASSERT_NE(after, before);
        tree.write("App/Same.bas", before);
        tree.write("App/Keep.bas", LfModuleText("Keep", "kept"));
        const QString project =
            tree.project("App/App.vbp", {"Name=\"App\"", "Module=Same; Same.bas", "Module=Keep; Keep.bas"});
        const auto archive = [&](const QString &stamp) {
            QStringList arguments = {"archive", project, "--dest", tree.path("out"), "--stamp", stamp};
            if (protect)
                arguments << "--password-file" << passwordFile;
            QByteArray output;
            EXPECT_EQ(RunCli(arguments, &output), 0) << output.toStdString();
            return output;
        };
        archive(kFirst);
        tree.write("App/Same.bas", after);
        EXPECT_EQ(ReusedCount(archive(kSecond)), 1);

        const QString first = ArchiveOf(tree, kFirst);
        const QString second = ArchiveOf(tree, kSecond);
        if (!protect) {
            EXPECT_EQ(UnzipCrc(second, "Same.bas"), UnzipCrc(first, "Same.bas"));
        }
        EXPECT_NE(StoredDataOf(second, "Same.bas"), StoredDataOf(first, "Same.bas"));
        ExpectSoundArchive(second, passwordFile, 0, {{"Same.bas", after}, {"Keep.bas", tree.read("App/Keep.bas")}});
        if (protect) {
            QByteArray output;
            EXPECT_EQ(RunProgram("7zz", {"e", "-ps3cret", "-o" + tree.path("x"), second, "Same.bas"}, &output), 0)
                << output.toStdString();
            EXPECT_EQ(tree.read("x/Same.bas"), after);
        }
    }
}

// A group's project copies from the group's newest earlier stamp folder.
TEST(CliReuse, AGroupCopiesFromItsNewestStampFolder)
{
    ProjectTree tree;
    tree.write("App/Keep.bas", LfModuleText("Keep", "kept"));
    tree.project("App/App.vbp", {"Name=\"App\"", "Module=Keep; Keep.bas"});
    const QString group = tree.write("G.vbpgroup", "G\r\nApp/App.vbp\r\n");
    const auto run = [&](const QString &stamp) {
        QByteArray output;
        EXPECT_EQ(RunCli({"archive", group, "--dest", tree.path("out"), "--stamp", stamp}, &output), 0)
            << output.toStdString();
        return QString::fromUtf8(output);
    };
    run(kFirst);
    EXPECT_TRUE(run(kSecond).contains("reused 1 unchanged entries of " + tree.path("out/G/" + kFirst + "/")));
    EXPECT_TRUE(run("20240103000000").contains("reused 1 unchanged entries of " + tree.path("out/G/" + kSecond + "/")));
}

} // namespace
