#include "ArchiveBuilder.h"
#include "FixedStamp.h"
#include "ArchiveRestore.h"
#include "ArchiveVerify.h"
#include "RecordingObserver.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "ZipFixtures.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using Status = VerifyResult::Status;

// The examples' Inventory project archived by the builder, as a user would make it.
QString ArchiveInventory(const TempTree &tree, const QString &password = QString())
{
    const QString project = tree.copyExamples() + "/Inventory/Inventory.vbp";
    const Outcome<ArchivingState> prepared = PrepareProject(project, project, ProjectNaming::ByFileName, kFixedStamp);
    EXPECT_TRUE(prepared) << prepared.error().toStdString();
    ArchivingState state = prepared.value();
    state.BackupFolder = tree.makeFolder("backups");
    state.Choices.Password = password;
    RecordingObserver observer;
    EXPECT_TRUE(ArchiveProject(project, state, observer)) << observer.failures.join('\n').toStdString();
    return state.BackupFolder + '/' + state.ArchiveFileName;
}

std::string Described(const VerifyResult &result) { return result.Problems.join('\n').toStdString(); }

bool Mentions(const QStringList &problems, const QString &text)
{
    return std::any_of(problems.begin(), problems.end(),
                       [&](const QString &problem) { return problem.contains(text); });
}

// A small project whose form references its own .frx and a picture file of another stem.
const QByteArray kProject = "Type=Exe\r\nForm=Forms\\Main.frm\r\nModule=Tools; Modules\\Tools.bas\r\nName=\"Tiny\"\r\n";
const QByteArray kForm = "VERSION 5.00\r\nBegin VB.Form Main\r\n   Icon = \"Main.frx\":0000\r\n"
                         "   Picture = \"Logo.frx\":0000\r\nEnd\r\nAttribute VB_Name = \"Main\"\r\n";

QList<HandMadeEntry> TinyArchive()
{
    return {{"Tiny.vbp", kProject},
            {"Forms/Main.frm", kForm},
            {"Forms/Main.frx", "icon"},
            {"Forms/Logo.frx", "logo"},
            {"Modules/Tools.bas", "Attribute VB_Name = \"Tools\"\r\n"}};
}

QList<HandMadeEntry> Without(QList<HandMadeEntry> entries, const QByteArray &name)
{
    entries.removeIf([&](const HandMadeEntry &entry) { return entry.name == name; });
    return entries;
}

class ArchiveVerifyTest : public ::testing::Test {
protected:
    void SetUp() override { environment.set("QUENZAR_CODEPAGE", "windows-1252"); }
    ScopedEnvironment environment;
    TempTree tree;
};

TEST_F(ArchiveVerifyTest, WhatTheBuilderWritesIsSound)
{
    QList<double> shares;
    const VerifyResult result =
        VerifyArchive(ArchiveInventory(tree), QString(), [&](double share) { shares.append(share); });
    EXPECT_EQ(result.status, Status::Sound) << Described(result);
    EXPECT_EQ(result.ProjectFiles, QStringList{"Inventory 1.4.2.20240102030405.vbp"});
    EXPECT_EQ(result.MemberCount, 12);
    EXPECT_GT(result.EntryCount, result.MemberCount);
    ASSERT_FALSE(shares.isEmpty());
    EXPECT_EQ(shares.last(), 1.0);
}

TEST_F(ArchiveVerifyTest, DamagedArchivesAreNotSound)
{
    const QString good = ArchiveInventory(tree);
    const QByteArray bytes = tree.read(good.mid(tree.path("").size()));

    // Cut short: the directory at the end is gone.
    const QString truncated = tree.write("truncated.zip", bytes.left(bytes.size() / 2));
    const VerifyResult cut = VerifyArchive(truncated);
    EXPECT_EQ(cut.status, Status::Unreadable);
    EXPECT_EQ(cut.Problems, QStringList{"Cannot open the archive " + truncated + ": Not a zip archive."});

    // One byte of one entry's compressed data changed: its CRC or its deflate stream tells.
    const QList<CentralRecord> records = CentralDirectory(bytes);
    const auto form = std::find_if(records.begin(), records.end(),
                                   [](const CentralRecord &record) { return record.name.endsWith("frmMain.frm"); });
    ASSERT_NE(form, records.end());
    QByteArray flipped = bytes;
    const qsizetype data = bytes.indexOf(form->name) + form->name.size(); // the local header's name comes first
    flipped[data + 20] = char(flipped[data + 20] ^ 0x40);
    const VerifyResult damaged = VerifyArchive(tree.write("flipped.zip", flipped));
    EXPECT_EQ(damaged.status, Status::NotSound);
    EXPECT_TRUE(Mentions(damaged.Problems, "frmMain.frm")) << Described(damaged);
}

TEST_F(ArchiveVerifyTest, MissingMembersAndReferencedFilesAreNamed)
{
    WriteHandMadeArchive(tree.path("whole.zip"), TinyArchive());
    const VerifyResult whole = VerifyArchive(tree.path("whole.zip"));
    EXPECT_EQ(whole.status, Status::Sound) << Described(whole);
    EXPECT_EQ(whole.MemberCount, 2);

    // Other tools write the project file's name in capitals.
    QList<HandMadeEntry> capitals = Without(TinyArchive(), "Tiny.vbp");
    capitals.append({"TINY.VBP", kProject});
    WriteHandMadeArchive(tree.path("capitals.zip"), capitals);
    const VerifyResult upper = VerifyArchive(tree.path("capitals.zip"));
    EXPECT_EQ(upper.status, Status::Sound) << Described(upper);
    EXPECT_EQ(upper.ProjectFiles, QStringList{"TINY.VBP"});

    WriteHandMadeArchive(tree.path("nomodule.zip"), Without(TinyArchive(), "Modules/Tools.bas"));
    const VerifyResult noModule = VerifyArchive(tree.path("nomodule.zip"));
    EXPECT_EQ(noModule.status, Status::NotSound);
    EXPECT_EQ(noModule.Problems, QStringList{"Tiny.vbp names Modules\\Tools.bas, which is not in the archive."});

    WriteHandMadeArchive(tree.path("nologo.zip"), Without(TinyArchive(), "Forms/Logo.frx"));
    const VerifyResult noLogo = VerifyArchive(tree.path("nologo.zip"));
    EXPECT_EQ(noLogo.Problems, QStringList{"Forms\\Main.frm needs Logo.frx beside it, which is not in the archive."});

    WriteHandMadeArchive(tree.path("noproject.zip"), Without(TinyArchive(), "Tiny.vbp"));
    const VerifyResult noProject = VerifyArchive(tree.path("noproject.zip"));
    EXPECT_EQ(noProject.status, Status::NotSound);
    EXPECT_EQ(noProject.MemberCount, 0);
}

TEST_F(ArchiveVerifyTest, ProtectedArchivesNeedTheirPassword)
{
    const QString archive = ArchiveInventory(tree, "s3cret");
    EXPECT_EQ(VerifyArchive(archive).status, Status::NeedsPassword);
    EXPECT_EQ(VerifyArchive(archive, "wrong").status, Status::WrongPassword);
    const VerifyResult opened = VerifyArchive(archive, "s3cret");
    EXPECT_EQ(opened.status, Status::Sound) << Described(opened);
    EXPECT_EQ(opened.MemberCount, 12);
}

TEST_F(ArchiveVerifyTest, AnUnsoundArchiveIsRestoredOnlyWhenTheUserAgrees)
{
    WriteHandMadeArchive(tree.path("nomodule.zip"), Without(TinyArchive(), "Modules/Tools.bas"));
    RecordingObserver declines;
    declines.restoreUnsound = false;
    const RestoreResult declined = RestoreArchive(tree.path("nomodule.zip"), declines);
    EXPECT_EQ(declined.status, RestoreResult::Status::Cancelled);
    EXPECT_TRUE(Mentions(declines.unsoundProblems, "Modules\\Tools.bas"));
    EXPECT_FALSE(tree.exists("nomodule"));

    RecordingObserver agrees;
    const RestoreResult restored = RestoreArchive(tree.path("nomodule.zip"), agrees);
    EXPECT_EQ(restored.status, RestoreResult::Status::Restored) << restored.Error.toStdString();
    EXPECT_EQ(restored.Problems, agrees.unsoundProblems);
    EXPECT_EQ(tree.read("nomodule/Forms/Main.frm"), kForm);

    // A sound archive asks nothing.
    WriteHandMadeArchive(tree.path("whole.zip"), TinyArchive());
    RecordingObserver silent;
    silent.restoreUnsound = false;
    EXPECT_EQ(RestoreArchive(tree.path("whole.zip"), silent).status, RestoreResult::Status::Restored);
    EXPECT_TRUE(silent.unsoundProblems.isEmpty());
}

} // namespace
