#include "TestMounts.h"
#include "TempTree.h"
#include "ZipReader.h"
#include "ZipFixtures.h"
#include "ZipTestRuns.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

// Safe extraction: hostile, damaged and lying archives write nothing, or nothing wrong.
namespace {

TEST(ZipArchiveTest, DamagedEntryLeavesTheEarlierFile)
{
    TempTree tree;
    const QByteArray form = QByteArray("Begin VB.Form Form1\r\n").repeated(20000);
    WriteHandMadeArchive(tree.path("backup.zip"), {{"Form1.frm", form}});
    QByteArray bytes = tree.read("backup.zip");
    const qsizetype insideCompressedData = bytes.indexOf("PK\x01\x02") - 8;
    bytes[insideCompressedData] = char(bytes[insideCompressedData] ^ 0x55);
    tree.write("backup.zip", bytes);
    tree.write("out/Form1.frm", "earlier");

    EXPECT_EQ(FailureOf(Extract(tree.path("backup.zip"), tree.path("out"))), ZipFailure::Kind::Failed);
    EXPECT_EQ(tree.read("out/Form1.frm"), "earlier");
    EXPECT_EQ(Contents(tree.root()), QStringList({"backup.zip", "out", "out/Form1.frm"}));
}

TEST(ZipArchiveTest, HostileArchiveIsRefusedWhole)
{
    TempTree tree;
    const QByteArray outside = QFile::encodeName(tree.makeFolder("out"));
    const QList<QList<HandMadeEntry>> hostile{{{"../evil", "x"}},      {{"/abs", "x"}},
                                              {{"C:/drive.txt", "x"}}, {{"a\\..\\..\\x", "x"}},
                                              {{"tab\tname", "x"}},    {{"link", outside, true}, {"link/pwned", "x"}}};
    for (const QList<HandMadeEntry> &entries : hostile) {
        SCOPED_TRACE(entries.last().name.constData());
        WriteHandMadeArchive(tree.path("hostile.zip"), QList<HandMadeEntry>{{"good.txt", "fine"}} + entries);
        const QString destination = tree.makeFolder("out/dest");
        EXPECT_EQ(FailureOf(Extract(tree.path("hostile.zip"), destination)), ZipFailure::Kind::Refused);
        EXPECT_EQ(Contents(tree.path("out")), QStringList{"dest"});
    }
}

// Names libzip itself would not write: the same path twice, a path that is a file and a folder,
// a NUL hiding a climb.
TEST(ZipArchiveTest, ClashingNamesAreRefusedWhole)
{
    TempTree tree;
    const QList<QList<RawEntry>> hostile{
        {{"Forms/a.frm", "one"}, {"Forms/a.frm", "two"}},  {{"Forms/a.frm", "one"}, {"Forms/./a.frm", "two"}},
        {{"Forms\\a.frm", "one"}, {"Forms/a.frm", "two"}}, {{"Forms", "a file"}, {"Forms/a.frm", "two"}},
        {{"Forms/a.frm/", ""}, {"Forms/a.frm", "two"}},    {{QByteArray("a.frm\0/../../evil", 17), "two"}}};
    for (const QList<RawEntry> &entries : hostile) {
        SCOPED_TRACE(entries.last().name.constData());
        WriteRawArchive(tree.path("hostile.zip"), QList<RawEntry>{{"good.txt", "fine"}} + entries);
        const QString destination = tree.makeFolder("out/dest");
        EXPECT_EQ(FailureOf(Extract(tree.path("hostile.zip"), destination)), ZipFailure::Kind::Refused);
        EXPECT_EQ(Contents(tree.path("out")), QStringList{"dest"});
    }
}

// The same names in different case are two files here, as the archive meant on a system that tells them apart.
TEST(ZipArchiveTest, NamesDifferingInCaseAreBothExtracted)
{
    TempTree tree;
    WriteRawArchive(tree.path("backup.zip"), {{"Forms/A.frm", "one"}, {"forms/a.frm", "two"}});
    ASSERT_EQ(FilesWritten(Extract(tree.path("backup.zip"), tree.path("out"))), 2);
    EXPECT_EQ(tree.read("out/Forms/A.frm"), "one");
    EXPECT_EQ(tree.read("out/forms/a.frm"), "two");
}

// A zip bomb: entries that expand far beyond the small disk they are extracted to, declaring
// their sizes honestly (refused before anything is written) or lying about them (stopped at the
// declared size, the partial file removed).
TEST(ZipArchiveTest, ArchivesThatWouldFillTheDiskAreStopped)
{
    TempTree tree;
    const QString disk = tree.makeFolder("disk");
    SmallTmpfs small(disk, "1m");
    if (!small.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    const QByteArray zeros(4 << 20, '\0');
    QList<RawEntry> honest{{"Readme.txt", "small"}};
    for (int i = 0; i < 8; ++i)
        honest.append({"Data/zeros" + QByteArray::number(i) + ".bin", zeros, true});
    WriteRawArchive(tree.path("honest.zip"), honest);
    ASSERT_LT(QFileInfo(tree.path("honest.zip")).size(), 200 * 1024);
    const auto honestly = Extract(tree.path("honest.zip"), disk + "/out");
    ASSERT_FALSE(honestly);
    EXPECT_TRUE(honestly.error().reason.contains("33.6 MB")) << honestly.error().reason.toStdString();
    EXPECT_TRUE(Contents(disk).isEmpty());

    WriteRawArchive(tree.path("liar.zip"), {{"Readme.txt", "small"}, {"zeros.bin", zeros, true, 1000}});
    Outcome<ZipReader> opened = ZipReader::Open(tree.path("liar.zip"));
    ASSERT_TRUE(opened);
    ZipReader liar = std::move(opened).value();
    const auto lied = liar.ExtractAll(disk + "/out");
    ASSERT_FALSE(lied);
    EXPECT_TRUE(lied.error().reason.contains("holds more")) << lied.error().reason.toStdString();
    EXPECT_TRUE(Contents(disk).isEmpty());

    // Left out when damaged entries may be: the rest is extracted.
    const auto rest = liar.ExtractAll(disk + "/out", {}, ZipReader::DamagedEntries::LeaveOut);
    ASSERT_EQ(FilesWritten(rest), 1);
    EXPECT_EQ(rest.value().Folder, disk + "/out");
    EXPECT_EQ(Contents(disk), (QStringList{"out", "out/Readme.txt"}));
    ASSERT_EQ(rest.value().LeftOut.size(), 1);
    EXPECT_TRUE(rest.value().LeftOut[0].contains("zeros.bin")) << rest.value().LeftOut[0].toStdString();
}

// PKWARE's strong encryption (flag bits 0 and 6) is not read by libzip: such an entry, even the
// second, stops the extraction before anything is written, and the check names it.
TEST(ZipArchiveTest, AnEntryEncryptedInAnUnknownWayStopsTheExtractionBeforeWriting)
{
    TempTree tree;
    WriteRawArchive(tree.path("strong.zip"),
                    {{"Module1.bas", "a\r\n"}, {"Module2.bas", "b\r\n", false, std::nullopt, 0x41}});
    Outcome<ZipReader> opened = ZipReader::Open(tree.path("strong.zip"));
    ASSERT_TRUE(opened);
    ZipReader zip = std::move(opened).value();
    const auto extracted = zip.ExtractAll(tree.path("out"), "any password");
    ASSERT_FALSE(extracted);
    EXPECT_TRUE(extracted.error().reason.contains("Module2.bas")) << extracted.error().reason.toStdString();
    EXPECT_FALSE(tree.exists("out"));
    const Outcome<QStringList, ZipFailure> checked = zip.Check("any password");
    ASSERT_TRUE(checked);
    ASSERT_EQ(checked.value().size(), 1);
    EXPECT_TRUE(checked.value()[0].contains("Module2.bas")) << checked.value()[0].toStdString();
}

// A stored entry whose headers claim fewer bytes than it carries is no more trusted than a deflated one.
TEST(ZipArchiveTest, StoredEntryLongerThanDeclaredIsNotWritten)
{
    TempTree tree;
    WriteRawArchive(tree.path("liar.zip"), {{"Module1.bas", QByteArray(5000, 'x'), false, 10}});
    const QString existing = tree.write("out/Module1.bas", "Attribute VB_Name = \"Module1\"");
    EXPECT_EQ(FailureOf(Extract(tree.path("liar.zip"), tree.path("out"))), ZipFailure::Kind::Failed);
    EXPECT_EQ(tree.read("out/Module1.bas"), "Attribute VB_Name = \"Module1\"");
    EXPECT_EQ(Contents(tree.path("out")), QStringList{"Module1.bas"});
}

// An existing folder, with a link inside it, or a link in its place, is never written into or
// through: the extraction takes the next free name.
TEST(ZipArchiveTest, WhatHasTheDestinationsNameIsPassedOver)
{
    TempTree tree;
    const QString destination = tree.makeFolder("dest");
    ASSERT_TRUE(QFile::link(tree.makeFolder("elsewhere"), tree.path("dest/Forms")));
    ASSERT_TRUE(QFile::link(tree.path("elsewhere"), tree.path("dest (2)")));
    WriteHandMadeArchive(tree.path("backup.zip"), {{"Forms/Form1.frm", "Begin VB.Form Form1"}});

    const auto extracted = Extract(tree.path("backup.zip"), destination);
    ASSERT_EQ(FilesWritten(extracted), 1) << extracted.error().reason.toStdString();
    EXPECT_EQ(extracted.value().Folder, tree.path("dest (3)"));
    EXPECT_EQ(tree.read("dest (3)/Forms/Form1.frm"), "Begin VB.Form Form1");
    EXPECT_FALSE(QFileInfo(tree.path("dest (3)/Forms")).isSymLink());
    EXPECT_TRUE(Contents(tree.path("elsewhere")).isEmpty());
}

} // namespace
