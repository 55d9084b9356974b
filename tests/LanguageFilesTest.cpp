#include "IniFile.h"
#include "LanguageChoice.h"
#include "LanguageStrings.h"
#include "LocaleId.h"
#include "OperationsFichiers.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"

#include <QFileInfo>
#include <QFile>
#include <QStringDecoder>
#include <gtest/gtest.h>
#include <map>

namespace {

const QString kLanguageFolder = QStringLiteral(QUENZAR_LNG);
const QStringList kCodes{"eng", "fra", "deu", "ita", "spa", "por", "nld"};
const QStringList kHelpLanguages{"en", "fr", "de", "it", "es", "pt", "nl"};
const QStringList kSections{"Setup", "Strings", "frmMain", "frmGroup"};

QString LanguageFile(const QString &code) { return kLanguageFolder + '/' + code + ".lng"; }

QStringList SortedKeys(const QString &code, const QString &section)
{
    QStringList keys = IniFile::SectionValues(LanguageFile(code), section).value_or(QHash<QString, QString>()).keys();
    keys.sort();
    return keys;
}

// The number under which the English file ends its texts.
int EndMarkerNumber()
{
    const QHash<QString, QString> texts =
        IniFile::SectionValues(LanguageFile("eng"), "Strings").value_or(QHash<QString, QString>());
    for (int number = 1; number <= 32000; ++number) {
        if (texts.value(IniFile::FoldedName(QString("String%1").arg(number))) == "###END###")
            return number;
    }
    return 0;
}

TEST(LanguageFiles, EveryLanguageCarriesEveryTextTheMarkerAndItsHelpLanguage)
{
    ScopedEnvironment environment("QUENZAR_CODEPAGE", "windows-1252");
    const int marker = EndMarkerNumber();
    ASSERT_GT(marker, 20) << "the English file carries at least the 20 texts, then the marker";
    for (qsizetype i = 0; i < kCodes.size(); ++i) {
        const QString &code = kCodes[i];
        EXPECT_EQ(ReadIni("Setup", "lng", "", LanguageFile(code)), kHelpLanguages[i]) << code.toStdString();
        EXPECT_EQ(ReadIni("Strings", QString("String%1").arg(marker), "", LanguageFile(code)), "###END###")
            << code.toStdString();
        LoadStrings(code, QFileInfo(kLanguageFolder).absolutePath());
        for (int number = 1; number < marker; ++number)
            EXPECT_NE(LocalString(number, "<none>"), "<none>") << code.toStdString() << " text " << number;
    }
}

TEST(LanguageFiles, EveryLanguageHasTheKeysOfTheEnglishFileAndNoEmptyValue)
{
    for (const QString &section : kSections) {
        const QStringList english = SortedKeys("eng", section);
        EXPECT_FALSE(english.isEmpty()) << section.toStdString();
        for (const QString &code : kCodes) {
            EXPECT_EQ(SortedKeys(code, section), english) << code.toStdString() << " [" << section.toStdString() << "]";
            for (const QString &value :
                 IniFile::SectionValues(LanguageFile(code), section).value_or(QHash<QString, QString>()))
                EXPECT_FALSE(value.isEmpty()) << code.toStdString() << " [" << section.toStdString() << "]";
        }
    }
}

// The language files are Windows-1252 whatever the user's locale or ANSI code page: under a
// Japanese, Chinese or Russian locale, or with QUENZAR_CODEPAGE, every text reads as written, the
// English "Visual Basic©" and the French "Créer" alike, whichever way the language is chosen.
TEST(LanguageFiles, ReadAsWindows1252WhateverTheLocaleOrCodePage)
{
    std::map<QString, QHash<QString, QString>> written; // "code [section]" -> texts, read in a Western locale
    {
        ScopedEnvironment western("LANG", "C");
        western.unset("LC_ALL");
        western.unset("LC_CTYPE");
        western.unset("QUENZAR_CODEPAGE");
        for (const QString &code : kCodes) {
            for (const QString &section : kSections)
                written[code + " [" + section + "]"] =
                    IniFile::SectionValues(LanguageFile(code), section).value_or(QHash<QString, QString>());
        }
    }
    const struct {
        const char *variable;
        const char *value;
        const char *force; // the map's Force=
        const char *code;
        int number;
        const char *text;
    } cases[] = {
        {"LANG", "ja_JP.UTF-8", "", "eng", 16, "Select the Visual Basic© project or project group to archive"},
        {"LANG", "zh_CN.UTF-8", "", "eng", 10, "Choose the project to add to the Visual Basic© group to be archived."},
        {"LANG", "ru_RU.UTF-8", "fra", "fra", 12, "Créer un groupe de projets"},
        {"QUENZAR_CODEPAGE", "windows-1251", "fra", "fra", 12, "Créer un groupe de projets"},
        {"QUENZAR_CODEPAGE", "windows-932", "", "eng", 14,
         "Choose the main project for the Visual Basic© group to be archived"},
    };
    for (const auto &row : cases) {
        const std::string name = std::string(row.variable) + "=" + row.value;
        ScopedEnvironment environment("LANG", "C");
        environment.unset("LC_ALL");
        environment.unset("LC_CTYPE");
        environment.unset("QUENZAR_CODEPAGE");
        environment.set(row.variable, row.value);
        // Copies of the files, which no earlier reading has parsed.
        TempTree tree;
        for (const QString &code : kCodes) {
            QFile original(LanguageFile(code));
            ASSERT_TRUE(original.open(QIODevice::ReadOnly));
            tree.write("program/Lng/" + code + ".lng", original.readAll());
        }
        tree.write("program/Lng/Local.ini", QByteArray("[LocaleID]\r\n1036=fra\r\nForce=") + row.force + "\r\n");
        const QString program = tree.path("program");

        const QString code = GetLanguageCode(UserLocaleId(), program);
        EXPECT_EQ(code, row.code) << name;
        LoadStrings(code, program);
        EXPECT_EQ(LocalString(row.number, "<none>"), QString::fromUtf8(row.text)) << name;
        for (const QString &copy : kCodes) {
            for (const QString &section : kSections)
                EXPECT_EQ(IniFile::SectionValues(LanguageFilePath(copy, program), section),
                          written[copy + " [" + section + "]"])
                    << name << ": " << copy.toStdString() << " [" << section.toStdString() << "]";
        }
    }
}

TEST(LanguageFiles, WrittenInWindows1252WithCrLf)
{
    for (const QString &code : kCodes) {
        QFile file(LanguageFile(code));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << code.toStdString();
        const QByteArray content = file.readAll();
        EXPECT_TRUE(content.endsWith("\r\n")) << code.toStdString();
        EXPECT_EQ(content.count('\n'), content.count("\r\n")) << code.toStdString();
        EXPECT_EQ(content.count('\r'), content.count("\r\n")) << code.toStdString();
        EXPECT_FALSE(content.startsWith("\xEF\xBB\xBF")) << code.toStdString();
        // A file saved as UTF-8 shows "Ã©" for "é" when read in the code page.
        QStringDecoder windows1252("windows-1252");
        const QString text = windows1252.decode(content);
        EXPECT_FALSE(text.contains(QChar(0xC3)) || text.contains(QChar(0xC2)))
            << code.toStdString() << " looks like UTF-8";
    }
}

} // namespace
