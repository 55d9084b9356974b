#include "OperationsFichiers.h"
#include "ScopedEnvironment.h"
#include "TempTree.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QByteArray kLanguageFile = "; French\r\n"
                                 "[Strings]\r\n"
                                 "1 = Archivage terminé !  \r\n"
                                 "2=\"  entre guillemets  \"\r\n"
                                 "3=\r\n"
                                 "  [ frmMain ]  \r\n"
                                 "  Label1(0).Caption = Projet\r\n"
                                 "Label1(0).Caption=second\r\n"
                                 "[strings]\r\n"
                                 "9=ignored: a repeated section\r\n";

class IniFileTest : public ::testing::Test {
protected:
    ScopedEnvironment environment{"QUENZAR_CODEPAGE", "windows-1252"};
    TempTree tree;
    QString file = tree.write("fra.lng", QByteArray(kLanguageFile).replace("é", "\xE9"));
};

TEST_F(IniFileTest, NamesMatchWithoutRegardToCaseAndBlanksAroundValuesGo)
{
    EXPECT_EQ(ReadIni("strings", "1", "-", file), QString::fromUtf8("Archivage terminé !"));
    EXPECT_EQ(ReadIni("STRINGS", "2", "-", file), "  entre guillemets  ");
    EXPECT_EQ(ReadIni("Strings", "3", "-", file), "");
    EXPECT_EQ(ReadIni("FRMMAIN", "label1(0).caption", "-", file), "Projet") << "first key wins";
}

TEST_F(IniFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    EXPECT_EQ(ReadIni("Strings", "4", "default", file), "default");
    EXPECT_EQ(ReadIni("Setup", "1", "default", file), "default");
    EXPECT_EQ(ReadIni("Strings", "9", "default", file), "default");
    EXPECT_EQ(ReadIni("Strings", "1", "default", tree.path("nothing.lng")), "default");
    EXPECT_EQ(ReadIni("Strings", "1", "default", tree.root()), "default");
}

TEST_F(IniFileTest, ValuesAreCutAt254Characters)
{
    const QByteArray longValue(300, 'v');
    const QString longFile = tree.write("long.ini", "[S]\r\nk=" + longValue + "\r\n");
    EXPECT_EQ(ReadIni("S", "k", "", longFile), QString(254, 'v'));
}

TEST_F(IniFileTest, AChangedFileIsReadAgain)
{
    EXPECT_EQ(ReadIni("Strings", "3", "-", file), "");
    tree.write("fra.lng", "[Strings]\r\n3=changed\r\n");
    EXPECT_EQ(ReadIni("Strings", "3", "-", file), "changed");
    QFile::remove(file);
    EXPECT_EQ(ReadIni("Strings", "3", "-", file), "-");
}

TEST_F(IniFileTest, Utf8FileWithByteOrderMarkIsReadAsUtf8)
{
    const QString utf8File =
        tree.write("rus.lng", "\xEF\xBB\xBF[Strings]\r\n1=" + QString::fromUtf8("Готово").toUtf8() + "\r\n");
    EXPECT_EQ(ReadIni("Strings", "1", "-", utf8File), QString::fromUtf8("Готово"));
}

} // namespace
