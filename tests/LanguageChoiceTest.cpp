#include "LanguageChoice.h"
#include "LocaleId.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"
#include "TestMounts.h"

#include <gtest/gtest.h>

namespace {

// The default map as Windows' profile reader and Visual Basic write it: CR LF after every line, the
// section first, the override and the note last, a language code for each identifier between.
void ExpectDefaultMap(const QByteArray &map)
{
    ASSERT_TRUE(map.endsWith("\r\n"));
    const QList<QByteArray> lines = map.chopped(1).split('\n');
    ASSERT_EQ(lines.size(), 37);
    for (const QByteArray &line : lines)
        EXPECT_TRUE(line.endsWith('\r')) << line.toStdString();
    EXPECT_EQ(lines.first(), "[LocaleID]\r");
    EXPECT_EQ(lines.mid(35), QList<QByteArray>({"Force=\r", "//case else =eng\r"}));
    for (const QByteArray &line : lines.mid(1, 34)) {
        const QList<QByteArray> entry = line.chopped(1).split('=');
        bool isNumber = false;
        entry.first().toUInt(&isNumber);
        EXPECT_TRUE(isNumber && entry.size() == 2
                    && QList<QByteArray>({"fra", "deu", "ita", "spa", "por", "nld"}).contains(entry.last()))
            << line.toStdString();
    }
}

// A program folder of the test's own, with the language files it is given.
class LanguageChoiceTest : public ::testing::Test {
protected:
    void SetUp() override { environment.set("XDG_CONFIG_HOME", tree.makeFolder("config").toUtf8()); }

    QString Program() const { return tree.makeFolder("program"); }
    void Language(const QString &code) const { tree.write("program/Lng/" + code + ".lng", "[Setup]\r\nlng=xx\r\n"); }
    void Map(const QByteArray &content) const { tree.write("program/Lng/Local.ini", content); }

    TempTree tree;
    ScopedEnvironment environment;
};

TEST_F(LanguageChoiceTest, FirstRunWritesTheDefaultMapAndFollowsIt)
{
    ASSERT_FALSE(tree.exists("program/Lng"));
    EXPECT_EQ(GetLanguageCode(1036, Program()), "eng") << "no French file yet";
    ExpectDefaultMap(tree.read("program/Lng/Local.ini"));

    Language("fra");
    Language("spa");
    EXPECT_EQ(GetLanguageCode(1036, Program()), "fra");
    EXPECT_EQ(GetLanguageCode(1033, Program()), "eng") << "English (United States) is not listed";
    EXPECT_EQ(GetLanguageCode(3082, Program()), "spa") << "not listed, but of the same language as 1034";
    EXPECT_EQ(GetLanguageCode(1034, Program()), "spa");
    EXPECT_EQ(GetLanguageCode(3084, Program()), "fra");
    EXPECT_EQ(GetLanguageCode(1031, Program()), "eng") << "the German file is missing";
}

// Users in these places get their language, whether the map lists their territory or only another
// territory of their language.
TEST_F(LanguageChoiceTest, ALocaleTheMapDoesNotListTakesItsLanguagesEntry)
{
    for (const char *code : {"fra", "deu", "spa", "por", "nld"})
        Language(code);
    const QList<std::pair<const char *, const char *>> cases{
        {"es_ES.UTF-8", "spa"}, {"es_MX.UTF-8", "spa"}, {"pt_BR.UTF-8", "por"}, {"fr_CA.UTF-8", "fra"},
        {"de_AT.UTF-8", "deu"}, {"nl_BE.UTF-8", "nld"}, {"en_GB.UTF-8", "eng"}, {"ja_JP.UTF-8", "eng"},
    };
    for (const auto &[locale, code] : cases)
        EXPECT_EQ(GetLanguageCode(LocaleIdOf(locale), Program()), code) << locale;
    // The lowest identifier of the language wins, whatever the order of the lines.
    Map("[LocaleID]\r\n2058=nld\r\n1034=deu\r\n");
    EXPECT_EQ(GetLanguageCode(LocaleIdOf("es_ES"), Program()), "deu");
    EXPECT_EQ(GetLanguageCode(LocaleIdOf("es_MX"), Program()), "nld") << "a listed locale keeps its own line";
}

TEST_F(LanguageChoiceTest, TheMapIsTheUsersToEditAndNeverRewritten)
{
    Language("deu");
    Language("ita");
    Map("[LocaleID]\r\n1036=ita\r\nForce=\r\n");
    EXPECT_EQ(GetLanguageCode(1036, Program()), "ita");
    Map("[LocaleID]\r\nForce=deu\r\n1036=ita\r\n");
    EXPECT_EQ(GetLanguageCode(1036, Program()), "deu");
    EXPECT_EQ(GetLanguageCode(1033, Program()), "deu");
    Map("[LocaleID]\r\nForce=xyz\r\n");
    EXPECT_EQ(GetLanguageCode(1036, Program()), "eng");
    Map("; no section at all\r\n1036=ita\r\n");
    EXPECT_EQ(GetLanguageCode(1036, Program()), "eng");
    EXPECT_EQ(tree.read("program/Lng/Local.ini"), "; no section at all\r\n1036=ita\r\n");
}

TEST_F(LanguageChoiceTest, AnInstalledProgramFindsItsFilesAndKeepsItsMapWithTheUser)
{
    tree.write("usr/share/quenzar/Lng/fra.lng", "[Setup]\r\nlng=fr\r\n");
    const QString program = tree.makeFolder("usr/bin");
    const ReadOnlyFolder readOnly(tree.path("usr"));
    if (!readOnly.mounted())
        GTEST_SKIP() << "cannot make a read-only bind mount here (needs root)";
    EXPECT_EQ(LanguageFolder(program), tree.path("usr/share/quenzar/Lng"));
    EXPECT_EQ(GetLanguageCode(1036, program), "fra");
    EXPECT_EQ(LocalIniPath(program), tree.path("config/Quenzar/Local.ini"));
    ExpectDefaultMap(tree.read("config/Quenzar/Local.ini"));
}

TEST_F(LanguageChoiceTest, FolderAndFileNamesMatchWithoutRegardToCase)
{
    tree.write("program/lng/FRA.LNG", "[Setup]\r\nlng=fr\r\n");
    EXPECT_EQ(GetLanguageCode(1036, Program()), "fra");
    EXPECT_TRUE(tree.exists("program/lng/Local.ini")) << "the existing folder is used, not a second one";
}

TEST(LocaleId, TakenFromLcAllThenLcMessagesThenLang)
{
    ScopedEnvironment environment;
    environment.set("LANG", "de_AT.UTF-8");
    environment.set("LC_MESSAGES", "fr_CA.UTF-8");
    environment.set("LC_ALL", "es_ES.UTF-8");
    EXPECT_EQ(UserLocaleId(), 3082u);
    environment.unset("LC_ALL");
    EXPECT_EQ(UserLocaleId(), 3084u);
    environment.unset("LC_MESSAGES");
    EXPECT_EQ(UserLocaleId(), 3079u);
    environment.unset("LANG");
    EXPECT_EQ(UserLocaleId(), 1033u);

    const QList<std::pair<const char *, quint32>> cases{
        {"C", 1033},           {"POSIX", 1033},  {"fr_FR.UTF-8", 1036}, {"fr_BE", 2060},       {"fr_LU", 5132},
        {"fr_CH", 4108},       {"de_DE", 1031},  {"de_LI", 5127},       {"de_CH", 2055},       {"it_IT", 1040},
        {"it_CH", 2064},       {"es_AR", 11274}, {"es_BO", 16394},      {"es_CL", 13322},      {"es_CO", 9226},
        {"es_CR", 5130},       {"es_DO", 7178},  {"es_EC", 12298},      {"es_GT", 4106},       {"es_HN", 18442},
        {"es_MX", 2058},       {"es_NI", 19466}, {"es_PA", 6154},       {"es_PE", 10250},      {"es_PR", 20490},
        {"es_PY", 15370},      {"es_SV", 17418}, {"es_UY", 14346},      {"es_VE", 8202},       {"pt_PT", 2070},
        {"pt_BR.UTF-8", 1046}, {"nl_NL", 1043},  {"nl_BE@euro", 2067},  {"en_GB.UTF-8", 2057}, {"fr", 1036},
        {"fr_XX", 1036},       {"xx_YY", 1033},
    };
    for (const auto &[locale, id] : cases)
        EXPECT_EQ(LocaleIdOf(QString::fromLatin1(locale)), id) << locale;
}

} // namespace
