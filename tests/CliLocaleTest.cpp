#include "CliRunner.h"
#include "ProjectTree.h"
#include "ScopedEnvironment.h"

#include <QStringEncoder>
#include <gtest/gtest.h>

// A project written on a Russian Windows names its members in Windows-1251; checked out here, the
// files carry the same names in UTF-8. A Russian session reads the project file in that code page and
// finds them; cron's bare environment names no locale, so the project file is read in Windows-1252
// and they are not found, which a failed archive then says, naming the code page and --codepage.

namespace {

QByteArray Windows1251(const QString &text) { return QStringEncoder("windows-1251").encode(text); }

class CliLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        project = tree.project("Uchet/Uchet.vbp", {"Name=\"Uchet\"", Windows1251("Module=Модуль; Модуль.bas"),
                                                   Windows1251("Form=Формы\\Главная.frm")});
        tree.write("Uchet/Модуль.bas", "Attribute VB_Name = \"Module\"\r\n");
        tree.write("Uchet/Формы/Главная.frm", "VERSION 5.00\r\n");
        for (const char *variable : {"LANG", "LC_ALL", "LC_CTYPE", "QUENZAR_CODEPAGE"})
            environment.unset(variable); // as cron starts a job
    }

    ProjectTree tree;
    ScopedEnvironment environment;
    QString project;
};

TEST_F(CliLocale, CyrillicMembersAreFoundUnderARussianLocaleOnly)
{
    QByteArray output;
    environment.set("LANG", "ru_RU.UTF-8");
    EXPECT_EQ(RunCli({"list", project}, &output), 0) << output.toStdString();
    EXPECT_EQ(QString::fromUtf8(output).count(" ok\n"), 2) << output.toStdString();
    EXPECT_TRUE(QString::fromUtf8(output).contains("Формы\\Главная.frm")) << output.toStdString();

    environment.unset("LANG");
    EXPECT_EQ(RunCli({"list", project}, &output), 1) << output.toStdString();
    EXPECT_EQ(QString::fromUtf8(output).count(" missing\n"), 2) << output.toStdString();
    EXPECT_EQ(RunCli({"list", project, "--codepage", "windows-1251"}, &output), 0) << output.toStdString();
}

// The hint comes only where it helps: no locale and no code page given, and another code page finds
// the files; an empty --codepage (a per-project setting left unset) is no choice.
TEST_F(CliLocale, AnArchiveThatFailsWithoutALocaleNamesTheCodePageThatFindsItsMembers)
{
    const QString hint = "hint: " + project
                         + " was read in windows-1252 (LANG, LC_ALL and LC_CTYPE are unset); read in windows-1251, "
                           "it names member files that are there: try --codepage windows-1251";
    const QString group = tree.write("Nightly.vbg", "VBGROUP 5.0\r\nProject=Uchet\\Uchet.vbp\r\n");
    const struct {
        const char *name;
        const char *lang; // nullptr: unset
        QStringList arguments;
        int status;
        QString hint; // empty: none
    } cases[] = {
        {"no locale", nullptr, {"archive", project}, 1, hint},
        {"no locale, an empty --codepage", nullptr, {"archive", project, "--codepage="}, 1, hint},
        {"no locale, with --keep-going", nullptr, {"archive", project, "--keep-going"}, 3, hint},
        {"no locale, in a group", nullptr, {"archive", "--codepage", "", group}, 1, hint},
        {"another locale", "en_US.UTF-8", {"archive", project}, 1, {}},
        {"the code page given", nullptr, {"archive", project, "--codepage", "windows-1251"}, 0, {}},
        {"the Russian locale, an empty --codepage", "ru_RU.UTF-8", {"archive", project, "--codepage="}, 0, {}},
    };
    int run = 0;
    for (const auto &row : cases) {
        if (row.lang)
            environment.set("LANG", row.lang);
        else
            environment.unset("LANG");
        QByteArray output;
        const QString stamp = QStringLiteral("2024010203%1").arg(run++, 4, 10, QLatin1Char('0'));
        EXPECT_EQ(RunCli(row.arguments + QStringList{"--stamp", stamp, "--quiet"}, &output), row.status)
            << row.name << ": " << output.toStdString();
        const QString shown = QString::fromUtf8(output);
        if (row.hint.isEmpty())
            EXPECT_FALSE(shown.contains("hint:")) << row.name << ": " << output.toStdString();
        else
            EXPECT_TRUE(shown.contains(row.hint + '\n')) << row.name << ": " << output.toStdString();
    }
}

// A member missing under every code page is no matter of code pages: no hint.
TEST_F(CliLocale, AMemberMissingUnderEveryCodePageGetsNoHint)
{
    tree.project("App/App.vbp", {"Module=Gone; Gone.bas"});
    QByteArray output;
    EXPECT_EQ(RunCli({"archive", tree.path("App/App.vbp"), "--stamp", kFixedStamp}, &output), 1);
    EXPECT_TRUE(output.contains("Gone.bas")) << output.toStdString();
    EXPECT_FALSE(output.contains("hint:")) << output.toStdString();
}

} // namespace
