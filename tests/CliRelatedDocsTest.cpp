#include "CliStreams.h"
#include "CliRunner.h"
#include "ProjectTree.h"
#include "ZipListing.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

// RelatedDoc= lines name documents that belong to the project (a read-me, a manual). They are
// archived as members are, their lines rewritten to the archived copies; one that is missing is
// recorded in the archive's comment, and the archive is then incomplete, never sound.

namespace {

class CliRelatedDocs : public ::testing::Test {
protected:
    QString Project(const QList<QByteArray> &documentLines)
    {
        tree.member("App/M.bas");
        return tree.project("App/App.vbp", QList<QByteArray>{"Module=M; M.bas"} + documentLines);
    }
    int Archive(const QStringList &options = {})
    {
        return RunCli(QStringList{"archive", tree.path("App/App.vbp"), "--stamp", kFixedStamp} + options, &output);
    }
    QString ArchivePath() const { return tree.path("App/Sources.Backup/App 0.0.0.20240102030405.zip"); }
    QStringList DocumentLines() const
    {
        QStringList lines;
        for (const QByteArray &line : ArchiveEntryLines(ArchivePath(), "App 0.0.0.20240102030405.vbp")) {
            if (line.startsWith("RelatedDoc="))
                lines.append(QString::fromUtf8(line));
        }
        return lines;
    }

    ProjectTree tree;
    QByteArray output;
};

TEST_F(CliRelatedDocs, EachDocumentIsArchivedAsAMemberAndItsLineNamesTheCopy)
{
    // A document's bytes are never touched, with --crlf either: it may be anything.
    const QByteArray lfText = "first line\nsecond line\n";
    tree.write("App/Docs/Notes.txt", lfText);
    tree.write("Shared/Guide.doc", "\xD0\xCF\x11\xE0 a Word file\n");
    Project({"RelatedDoc=Docs\\Notes.txt", "RelatedDoc=..\\Shared\\Guide.doc", "RelatedDoc=docs/notes.TXT"});

    ASSERT_EQ(Archive({"--crlf", "--quiet"}), 0) << output.toStdString();
    EXPECT_EQ(Output(output), ArchivePath());
    EXPECT_EQ(ArchiveEntryContent(ArchivePath(), "Docs/Notes.txt"), lfText);
    EXPECT_EQ(ArchiveEntryContent(ArchivePath(), "FileNotInRootPath/--/Shared/Guide.doc"),
              "\xD0\xCF\x11\xE0 a Word file\n");
    EXPECT_EQ(DocumentLines(),
              QStringList({"RelatedDoc=Docs\\Notes.txt", "RelatedDoc=FileNotInRootPath\\--\\Shared\\Guide.doc",
                           "RelatedDoc=docs\\notes.TXT"}));

    // Unpacked anywhere, every document line names a file that is there.
    const QString elsewhere = tree.makeFolder("elsewhere");
    ASSERT_EQ(RunProgram("bsdtar", {"-xf", ArchivePath(), "-C", elsewhere}), 0);
    for (const QString &line : DocumentLines().mid(0, 2))
        EXPECT_TRUE(QFile::exists(elsewhere + '/' + line.mid(line.indexOf('=') + 1).replace('\\', '/')))
            << line.toStdString();

    EXPECT_EQ(RunCli({"verify", ArchivePath()}, &output), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("4 members")) << output.toStdString();
}

TEST_F(CliRelatedDocs, AMissingDocumentOrAFolderIsRecordedAndTheArchiveIsIncomplete)
{
    tree.makeFolder("App/Docs");
    tree.write("App/Docs/Here.txt", "here");
    Project({"RelatedDoc=Docs\\Gone.txt", "RelatedDoc=Docs", "RelatedDoc=Docs\\Here.txt"});

    ASSERT_EQ(Archive({"--quiet"}), 3) << output.toStdString();
    EXPECT_TRUE(output.contains("warning: RelatedDoc=Docs\\Gone.txt")) << output.toStdString();
    EXPECT_TRUE(output.contains("warning: RelatedDoc=Docs:")) << output.toStdString();
    QByteArray comment;
    ASSERT_EQ(RunProgram("unzip", {"-z", ArchivePath()}, &comment), 0);
    const QStringList recorded = QString::fromUtf8(comment).split(QRegularExpression("[\r\n]+"), Qt::SkipEmptyParts);
    EXPECT_EQ(recorded.mid(2), QStringList({"RelatedDoc=Docs\\Gone.txt", "RelatedDoc=Docs"})) << comment.toStdString();
    EXPECT_EQ(ArchiveEntryContent(ArchivePath(), "Docs/Here.txt"), "here");
    // The lines still name where the documents would be: putting them back makes the project whole.
    EXPECT_EQ(DocumentLines(),
              QStringList({"RelatedDoc=Docs\\Gone.txt", "RelatedDoc=Docs", "RelatedDoc=Docs\\Here.txt"}));

    EXPECT_EQ(RunCli({"verify", ArchivePath()}, &output), 3) << output.toStdString();
    const CliStreams verified = RunCliStreams({"verify", "--json", ArchivePath()});
    const QJsonObject verifiedJson = JsonOutput(verified);
    EXPECT_EQ(verified.status, 3);
    EXPECT_EQ(verifiedJson["status"].toString(), "incomplete");
    EXPECT_EQ(verifiedJson["missing_when_archived"].toArray(),
              QJsonArray({"RelatedDoc=Docs\\Gone.txt", "RelatedDoc=Docs"}));
    EXPECT_TRUE(verified.err.contains("missing when archived: RelatedDoc=Docs")) << verified.err.toStdString();
}

// An archive of the project file alone, as one written before documents were archived: it would not
// give back the documents its project names.
TEST_F(CliRelatedDocs, VerifyFindsADocumentTheArchiveLacks)
{
    tree.write("Old/Old 1.0.0.20240102030405.vbp", "Type=Exe\r\nRelatedDoc=Docs\\Notes.txt\r\nName=\"Old\"\r\n");
    const QString archive = tree.path("Old.zip");
    ASSERT_EQ(RunProgram("bsdtar",
                         {"--format", "zip", "-cf", archive, "-C", tree.path("Old"), "Old 1.0.0.20240102030405.vbp"}),
              0);
    const CliStreams verified = RunCliStreams({"verify", archive, "--json"});
    const QJsonObject verifiedJson = JsonOutput(verified);
    EXPECT_EQ(verified.status, 1);
    EXPECT_EQ(verifiedJson["status"].toString(), "not_sound");
    EXPECT_TRUE(verifiedJson["problems"].toArray().first().toString().contains("Docs\\Notes.txt"))
        << verified.err.toStdString();
}

TEST_F(CliRelatedDocs, AWebAddressStaysAsItIsAndNamesNoFile)
{
    Project({"RelatedDoc=http://example.com/manual.html"});
    ASSERT_EQ(Archive({"--quiet"}), 0) << output.toStdString();
    EXPECT_EQ(DocumentLines(), QStringList({"RelatedDoc=http://example.com/manual.html"}));
}

TEST_F(CliRelatedDocs, ListShowsEveryDocumentWithItsEntryAndWhetherItIsThere)
{
    tree.write("App/Docs/Notes.txt", "notes");
    const QString project = Project({"RelatedDoc=Docs\\Notes.txt", "RelatedDoc=..\\Gone.doc"});

    EXPECT_EQ(RunCli({"list", project}, &output), 1) << output.toStdString();
    const QString text = QString::fromUtf8(output);
    EXPECT_TRUE(text.contains(QRegularExpression(R"(RelatedDoc +Docs\\Notes\.txt +Docs\\Notes\.txt +\S+ +ok)")))
        << output.toStdString();
    EXPECT_TRUE(text.contains(
        QRegularExpression(R"(RelatedDoc +\.\.\\Gone\.doc +FileNotInRootPath\\--\\Gone\.doc +\S+ +missing)")))
        << output.toStdString();

    const CliStreams listed = RunCliStreams({"list", "--json", project});
    const QJsonObject listedJson = JsonOutput(listed);
    EXPECT_EQ(listed.status, 1);
    const QJsonArray members = listedJson["members"].toArray();
    ASSERT_EQ(members.size(), 3);
    EXPECT_EQ(members[1].toObject()["kind"].toString(), "RelatedDoc");
    EXPECT_EQ(members[1].toObject()["status"].toString(), "ok");
    EXPECT_EQ(members[1].toObject()["local_file"].toString(), tree.path("App/Docs/Notes.txt"));
    EXPECT_EQ(members[2].toObject()["entry"].toString(), "FileNotInRootPath\\--\\Gone.doc");
    EXPECT_EQ(members[2].toObject()["status"].toString(), "missing");
}

} // namespace
