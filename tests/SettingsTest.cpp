#include "CorvaRegSettings.h"
#include "FileRegistry.h"
#include "ScopedEnvironment.h"
#include "TestMounts.h"
#include "TempTree.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

constexpr qint32 Error(quint32 number) { return static_cast<qint32>(number); }

// The user's and the machine's stores in folders of the test's own.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        environment.set("XDG_CONFIG_HOME", tree.makeFolder("home/.config").toUtf8());
        environment.set("XDG_CONFIG_DIRS", (tree.makeFolder("etc/xdg") + ":/nowhere").toUtf8());
    }

    // Runs the call and gives the error it raised (number, source and description).
    template <typename Call>
    static QuenzarError Raised(Call call)
    {
        try {
            call();
        } catch (const QuenzarError &error) {
            return error;
        }
        ADD_FAILURE() << "no error was raised";
        return QuenzarError(0, QString(), QString());
    }

    bool StoresExist() const { return tree.exists("home/.config/Quenzar") || tree.exists("etc/xdg/Quenzar"); }

    TempTree tree;
    ScopedEnvironment environment;
};

TEST_F(SettingsTest, BlankNamesAreRefusedInOrderBeforeTheStoreIsTouched)
{
    struct Case {
        const char *app, *section, *key;
        quint32 number;
        const char *saveText;
        const char *getText;
    };
    const Case cases[] = {
        {"   ", "", "", 0x800403E8, "AppName doit être renseigné", "AppName doit être renseigné"},
        {"", "Files", "LastDir", 0x800403E8, "AppName doit être renseigné", "AppName doit être renseigné"},
        {"Quenzar", " ", "", 0x800403E9, "Section doit être renseigné", "Section doit être renseigné"},
        {"Quenzar", "Files", "  ", 0x800403EA, "Key doit être renseigné", "Key  doit être renseigné"},
    };
    for (const Case &c : cases) {
        const QuenzarError saved = Raised([&] { SaveRegSetting(c.app, c.section, c.key, "v", true); });
        EXPECT_EQ(saved.Number(), Error(c.number));
        EXPECT_EQ(saved.Description(), QString::fromUtf8(c.saveText));
        EXPECT_EQ(saved.Source(), "modCorvaRegSettings.SaveRegSetting");
        const QuenzarError read = Raised([&] { GetRegSetting(c.app, c.section, c.key, "d", false); });
        EXPECT_EQ(read.Number(), Error(c.number));
        EXPECT_EQ(read.Description(), QString::fromUtf8(c.getText));
    }
    EXPECT_FALSE(StoresExist());
}

TEST_F(SettingsTest, AppNameAndSectionAreTrimmedButTheKeyIsNot)
{
    SaveRegSetting("  Quenzar ", " Files  ", "LastDir", "/backups/", true);
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "default", true), "/backups/");
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", " LastDir", "default", true), "default");
    EXPECT_EQ(GetRegSetting("quenzar", "FILES", "lastdir", "default", true), "/backups/")
        << "registry names match without regard to case";
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "default", false), "default")
        << "the user's hive is another";
}

TEST_F(SettingsTest, MissingKeysAndValuesGiveTheDefaultButAnEmptyValueIsEmpty)
{
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "default", true), "default");
    SaveRegSetting("Quenzar", "Files", "Other", "x", true);
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "default", true), "default");
    SaveRegSetting("Quenzar", "Files", "LastDir", "", true);
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "default", true), "");
    const QString spaced = QString::fromUtf8("  /home/ü/Sauvegardes  ");
    SaveRegSetting("Quenzar", "Files", "LastDir", spaced, true);
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "default", true), spaced);
}

TEST_F(SettingsTest, AValueThatIsNotAStringRaisesTheTypeError)
{
    FileRegistry::Key key;
    ASSERT_EQ(FileRegistry::CreateKey(FileRegistry::Hive::LocalMachine, "SOFTWARE\\Quenzar\\Settings\\Files", key), 0);
    ASSERT_EQ(FileRegistry::SetValue(key, "LastDir", FileRegistry::TypeDword, QByteArray("\x01\x00\x00\x00", 4)), 0);
    const QuenzarError error = Raised([] { GetRegSetting("Quenzar", "Files", "LastDir", "", true); });
    EXPECT_EQ(error.Number(), Error(0x800407D4));
    EXPECT_EQ(error.Description(),
              QString::fromUtf8("Les données de la clef de registre ne sont pas une chaine de caractères"));

    // A store file can hold any type code: the number wraps in 32 bits as the sum in hexadecimal does.
    for (const quint32 type : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu}) {
        ASSERT_EQ(FileRegistry::SetValue(key, "LastDir", type, QByteArray()), 0);
        const QuenzarError odd = Raised([] { GetRegSetting("Quenzar", "Files", "LastDir", "", true); });
        EXPECT_EQ(odd.Number(), Error(0x800407D0u + type)) << type;
    }
}

TEST_F(SettingsTest, ADamagedStoreIsReportedNotTakenForEmpty)
{
    tree.write("etc/xdg/Quenzar/registry.json", "{ not json");
    const QuenzarError error = Raised([] { GetRegSetting("Quenzar", "Files", "LastDir", "", true); });
    EXPECT_EQ(error.Number(), Error(0x800407D0 + 1015));
    EXPECT_EQ(error.Description(), "Impossible d'ouvrir cette clef de registre");
    EXPECT_EQ(tree.read("etc/xdg/Quenzar/registry.json"), "{ not json") << "never overwritten";
}

TEST_F(SettingsTest, AReadOnlyMachineStoreSendsWritesToTheUsersVirtualStore)
{
    SaveRegSetting("Quenzar", "Files", "LastDir", "/old/", true);
    {
        const ReadOnlyFolder machine(tree.path("etc/xdg"));
        if (!machine.mounted())
            GTEST_SKIP() << "cannot make a read-only bind mount here (needs root)";
        SaveRegSetting("Quenzar", "Files", "LastDir", "/new/", true);
        EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "", true), "/new/");
    }
    EXPECT_TRUE(tree.exists("home/.config/Quenzar/VirtualStore/machine-registry.json"));
    EXPECT_TRUE(tree.read("etc/xdg/Quenzar/registry.json").contains("/old/")) << "the machine store is untouched";
}

TEST_F(SettingsTest, ARefusedWriteRaisesAccessDeniedAndAFullDiskKeepsThePreviousValue)
{
    const SmallTmpfs user(tree.path("home/.config"));
    const SmallTmpfs machine(tree.path("etc/xdg"));
    if (!user.mounted() || !machine.mounted())
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    SaveRegSetting("Quenzar", "Files", "LastDir", "/kept/", false);
    const QuenzarError full =
        Raised([] { SaveRegSetting("Quenzar", "Files", "LastDir", QString(100000, 'x'), false); });
    EXPECT_EQ(full.Number(), Error(0x800407D0 + 112));
    EXPECT_EQ(full.Description(), QString::fromUtf8("Impossible d'écrire la clef de registre"));
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "", false), "/kept/");

    ASSERT_TRUE(user.MakeReadOnly() && machine.MakeReadOnly());
    const QuenzarError refused = Raised([] { SaveRegSetting("Quenzar", "Files", "LastDir", "/x/", true); });
    EXPECT_EQ(refused.Number(), Error(0x800407D5));
    EXPECT_EQ(refused.Description(), QString::fromUtf8("Impossible d'ouvrir ou de créer la clef de registre"));
    EXPECT_EQ(GetRegSetting("Quenzar", "Files", "LastDir", "", false), "/kept/");
}

} // namespace
