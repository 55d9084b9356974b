#include "ControlFactory.h"
#include "ControlLoader.h"
#include "TempTree.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QVariant>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(ControlLoader, CreatesTheProgressBarByItsProgrammaticIdentifier)
{
    // The test program lies beside the built library, as the program does once installed.
    QWidget window;
    const Outcome<QWidget *> created = ControlLoader().Create("Pellund.VistaProg", &window);
    ASSERT_TRUE(created) << created.error().toStdString();
    QWidget *bar = created.value();
    EXPECT_EQ(bar->parent(), &window);
    EXPECT_STREQ(bar->metaObject()->className(), "VistaProg");

    bar->setProperty("Max", 0);
    bar->setProperty("Value", 7);
    EXPECT_EQ(bar->property("Max").toInt(), 1);
    EXPECT_EQ(bar->property("Value").toInt(), 1);
    bar->setVisible(false);
    EXPECT_FALSE(bar->isVisibleTo(&window));
}

TEST(ControlLoader, TheLibraryShowsItsFace)
{
    QLibrary library(QCoreApplication::applicationDirPath() + "/Pellund", 1);
    const auto face = reinterpret_cast<LibraryFaceFunction>(library.resolve(kLibraryFaceSymbol));
    ASSERT_NE(face, nullptr) << library.errorString().toStdString();
    EXPECT_STREQ(face()->version, "1.00");
    EXPECT_STREQ(face()->productName, "Pellund");
    EXPECT_STREQ(face()->description, "Progress Bar Corvane");
}

TEST(ControlLoader, UnknownIdentifierAndMissingLibraryGiveAClearError)
{
    const Outcome<QWidget *> unknown = ControlLoader().Create("Pellund.NoSuchControl", nullptr);
    ASSERT_FALSE(unknown);
    EXPECT_EQ(unknown.error(), "No control is registered as \"Pellund.NoSuchControl\" in "
                                   + QCoreApplication::applicationDirPath() + "/libPellund.so.1.");

    TempTree empty;
    const Outcome<QWidget *> missing =
        ControlLoader({empty.root()}, "PellundMissing").Create("Pellund.VistaProg", nullptr);
    ASSERT_FALSE(missing);
    const QString cannotOpen = empty.path("libPellundMissing.so.1") + ": cannot open shared object file";
    EXPECT_TRUE(missing.error().startsWith("The control library PellundMissing for \"Pellund.VistaProg\" cannot be "
                                           "loaded: "))
        << missing.error().toStdString();
    EXPECT_TRUE(missing.error().contains(cannotOpen + ": No such file or directory")) << missing.error().toStdString();
}

TEST(ControlLoader, AFileThatIsNoControlLibraryIsRefusedClearly)
{
    TempTree tree;
    tree.write("libPellundBroken.so.1", "not a shared library");
    const Outcome<QWidget *> broken =
        ControlLoader({tree.root()}, "PellundBroken").Create("Pellund.VistaProg", nullptr);
    ASSERT_FALSE(broken);
    EXPECT_TRUE(broken.error().contains(tree.path("libPellundBroken.so.1") + ": file too short"))
        << broken.error().toStdString();
}

} // namespace
