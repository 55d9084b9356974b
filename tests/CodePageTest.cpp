#include "CodePage.h"
#include "ScopedEnvironment.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePage, LocaleGivesTheWindowsCodePageOfItsLanguage)
{
    const QList<std::pair<const char *, QByteArray>> cases{
        {"", "windows-1252"},
        {"C", "windows-1252"},
        {"POSIX", "windows-1252"},
        {"en_US.UTF-8", "windows-1252"},
        {"fr_CA.UTF-8", "windows-1252"},
        {"pl_PL.UTF-8", "windows-1250"},
        {"ru_RU.UTF-8", "windows-1251"},
        {"sr_RS@latin", "windows-1251"},
        {"el_GR.UTF-8", "windows-1253"},
        {"tr_TR.UTF-8", "windows-1254"},
        {"he_IL.UTF-8", "windows-1255"},
        {"ar_SA.UTF-8", "windows-1256"},
        {"fa_IR", "windows-1256"},
        {"lt_LT.UTF-8", "windows-1257"},
        {"vi_VN", "windows-1258"},
        {"th_TH.UTF-8", "windows-874"},
        {"ja_JP.UTF-8", "windows-932"},
        {"ko_KR.EUC-KR", "windows-949"},
        {"zh_CN.UTF-8", "windows-936"},
        {"zh_SG", "windows-936"},
        {"zh_TW.UTF-8", "windows-950"},
        {"zh_HK.Big5-HKSCS", "windows-950"},
    };
    for (const auto &[locale, codePage] : cases)
        EXPECT_EQ(CodePage::ForLocale(QString::fromLatin1(locale)), codePage) << locale;
}

TEST(CodePage, LcAllWinsOverLcCtypeOverLangAndTheOverrideWinsOverAll)
{
    ScopedEnvironment environment;
    environment.unset("QUENZAR_CODEPAGE");
    environment.set("LANG", "ru_RU.UTF-8");
    environment.set("LC_CTYPE", "el_GR.UTF-8");
    environment.set("LC_ALL", "ar_SA.UTF-8");
    EXPECT_EQ(CodePage::AnsiName(), "windows-1256");
    environment.unset("LC_ALL");
    EXPECT_EQ(CodePage::AnsiName(), "windows-1253");
    environment.unset("LC_CTYPE");
    EXPECT_EQ(CodePage::AnsiName(), "windows-1251");
    environment.set("QUENZAR_CODEPAGE", "big5");
    EXPECT_EQ(CodePage::AnsiName(), "big5");
    environment.set("QUENZAR_CODEPAGE", "no-such-code-page");
    EXPECT_EQ(CodePage::AnsiName(), "windows-1251");
}

TEST(CodePage, TextTheCodePageCannotHoldIsRefusedNotDamaged)
{
    ScopedEnvironment environment("QUENZAR_CODEPAGE", "windows-1252");
    EXPECT_EQ(CodePage::Encode(QString::fromUtf8("Fenêtre")), QByteArray("Fen\xEAtre"));
    EXPECT_FALSE(CodePage::Encode(QString::fromUtf8("نافذة")).has_value());
    EXPECT_FALSE(CodePage::Encode(QString::fromUtf8("Fenêtre ن")).has_value()) << "unmappable at the very end";
    EXPECT_FALSE(CodePage::Encode(QString::fromUtf8("ā")).has_value()) << "no best-fit substitute";
    EXPECT_EQ(CodePage::Encode("after a refusal"), QByteArray("after a refusal"));

    environment.set("QUENZAR_CODEPAGE", "windows-1256");
    const QString arabic = QString::fromUtf8("نافذة");
    const auto bytes = CodePage::Encode(arabic);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(CodePage::Decode(*bytes), arabic);
}

} // namespace
