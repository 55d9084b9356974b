#include "PidlAllocator.h"
#include "QuenzarError.h"
#include "ScriptedDialogs.h"
#include "TempTree.h"
#include "UnicodeBrowseFolders.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

constexpr quint32 FileSystemFoldersNewStyle = 65;

// Every test ends with each identifier list freed exactly once.
class BrowseFoldersTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        EXPECT_EQ(LivePidlCount(), liveAtStart) << "identifier lists leaked";
        EXPECT_EQ(InvalidPidlFreeCount(), invalidFreesAtStart) << "identifier lists freed twice";
    }

    // A folder that exists, as the shell would name it (no "/" at the end).
    QString Folder(const QString &relative) const { return tree.makeFolder(relative); }

    const qsizetype liveAtStart = LivePidlCount();
    const qsizetype invalidFreesAtStart = InvalidPidlFreeCount();
    TempTree tree;
    std::shared_ptr<ScriptedDialogs> dialogs = ScriptedDialogs::Install();
};

quintptr AsPidl(const QVariant &value) { return value.value<quintptr>(); }

TEST_F(BrowseFoldersTest, AShowAdjustsTheFlagsAndInstallsACallbackOnlyWhenOneIsNeeded)
{
    const QString initial = Folder("Initial");
    const struct {
        const char *proves;
        quint32 flags;
        bool wantEvents;
        bool initialFolder;
        bool hookProc;
        quint32 flagsAfter;
        bool callback;
    } rows[] = {
        {"URLs bring files, the new style and the edit box", 0x80, false, false, false, 0x40D0, false},
        {"shareable brings the new style", 0x8000, false, false, false, 0x8040, false},
        {"both", 0x8080, false, false, false, 0xC0D0, false},
        {"the program's flags stay", FileSystemFoldersNewStyle, false, false, false, FileSystemFoldersNewStyle, false},
        {"validation without a callback is dropped", 0x20 | 0x10 | 0x41, false, false, false, 0x51, false},
        {"events need the callback, which validates", 0x20 | 0x41, true, false, false, 0x61, true},
        {"an initial folder needs the callback", 0x20 | 0x41, false, true, false, 0x61, true},
        {"a hook procedure validates", 0x20 | 0x41, false, false, true, 0x61, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.proves);
        UnicodeBrowseFolders browser;
        browser.SetFlags(row.flags);
        browser.SetWantEvents(row.wantEvents);
        if (row.initialFolder)
            browser.SetInitialDirectory(initial);
        if (row.hookProc)
            browser.SetCustomHookProc([](quintptr, int, qintptr, qint32) { return 0; });
        dialogs->AnswerFolder(tree.root());
        EXPECT_TRUE(browser.ShowBrowseForFolder(nullptr, true));
        EXPECT_EQ(browser.Flags(), row.flagsAfter);
        EXPECT_EQ(dialogs->requests().constLast().flags, row.flagsAfter);
        EXPECT_EQ(dialogs->requests().constLast().hadCallback, row.callback);
        EXPECT_EQ(browser.StateBits() & UnicodeBrowseFolders::CallbackInstalled, 0u);
    }
}

TEST_F(BrowseFoldersTest, TheInitialFolderIsSelectedAtOpeningAndAtTheFirstSelectionChangeOnly)
{
    const QString initial = Folder("Projets/Sources.Backup");
    const QString other = Folder("Other");
    UnicodeBrowseFolders browser;
    browser.SetFlags(FileSystemFoldersNewStyle);
    browser.SetInitialDirectory(initial + '/');
    dialogs->AnswerFolder(other, {UserSelects(tree.root()), UserSelects(other), UserSelects(initial)});
    dialogs->AnswerFolder(other);
    dialogs->AnswerFolder(other, {UserSelects(other)});

    for (int show = 0; show < 3; ++show)
        EXPECT_TRUE(browser.ShowBrowseForFolder(nullptr, true));

    ASSERT_EQ(dialogs->requests().size(), 3);
    EXPECT_EQ(dialogs->requests()[0].selections, QStringList({initial, initial}));
    EXPECT_EQ(dialogs->requests()[1].selections, QStringList({initial}));
    EXPECT_EQ(dialogs->requests()[2].selections, QStringList({initial, initial}));
}

TEST_F(BrowseFoldersTest, AnInitialFolderThatDoesNotExistIsNoneAndNeedsNoCallback)
{
    UnicodeBrowseFolders browser;
    browser.SetInitialDirectory(tree.path("Missing/"));
    EXPECT_EQ(browser.InitialDirectory().toString(), QString());
    dialogs->Cancel({UserSelects(tree.root())});
    EXPECT_FALSE(browser.ShowBrowseForFolder(nullptr, true));
    EXPECT_FALSE(dialogs->requests()[0].hadCallback);
    EXPECT_TRUE(dialogs->requests()[0].selections.isEmpty());
}

TEST_F(BrowseFoldersTest, EventsCarryTheDialogTheSelectionAndTheHookData)
{
    const QString chosen = Folder("Chosen");
    UnicodeBrowseFolders browser;
    browser.SetCustomHookData(-77);
    QList<quintptr> handles;
    QList<qint32> data;
    QStringList selectionPaths;
    quint32 stateDuringShow = 0;
    QObject::connect(&browser, &UnicodeBrowseFolders::Initialized, [&](quintptr hWnd, qint32 userParam) {
        handles.append(hWnd);
        data.append(userParam);
        stateDuringShow = browser.StateBits();
    });
    QObject::connect(&browser, &UnicodeBrowseFolders::SelectionChanged,
                     [&](quintptr hWnd, quintptr pidl, qint32 userParam) {
                         handles.append(hWnd);
                         data.append(userParam);
                         selectionPaths.append(browser.PIDLtoPath(pidl));
                     });

    dialogs->AnswerFolder(chosen, {UserSelects(tree.root()), UserSelects(chosen)});
    EXPECT_TRUE(browser.ShowBrowseForFolder(nullptr, true));
    EXPECT_TRUE(handles.isEmpty()) << "events are raised only when wanted";

    browser.SetWantEvents(true);
    dialogs->AnswerFolder(chosen, {UserSelects(tree.root()), UserSelects(chosen)});
    EXPECT_TRUE(browser.ShowBrowseForFolder(nullptr, true));
    const quintptr window = dialogs->requests().constLast().window;
    EXPECT_NE(window, 0u);
    EXPECT_EQ(handles, QList<quintptr>({window, window, window}));
    EXPECT_EQ(data, QList<qint32>({-77, -77, -77}));
    EXPECT_EQ(selectionPaths, QStringList({tree.root(), chosen}));
    EXPECT_NE(stateDuringShow & UnicodeBrowseFolders::CallbackInstalled, 0u);
    EXPECT_EQ(browser.StateBits() & UnicodeBrowseFolders::CallbackInstalled, 0u);
}

TEST_F(BrowseFoldersTest, AnInvalidTypedNameKeepsTheDialogOpenUnlessAHandlerClosesIt)
{
    const QString initial = Folder("Initial");
    const QString chosen = Folder("Chosen");
    const struct {
        const char *proves;
        bool wantEvents;
        bool handlerCloses;
        bool chosenAfterwards;
    } rows[] = {
        {"without events the dialog stays open", false, false, true},
        {"a handler that leaves CloseDialog stays open", true, false, true},
        {"a handler that sets CloseDialog closes it with no folder", true, true, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.proves);
        UnicodeBrowseFolders browser;
        browser.SetFlags(FileSystemFoldersNewStyle | UnicodeBrowseFolders::EditBox | UnicodeBrowseFolders::Validate);
        browser.SetInitialDirectory(initial);
        browser.SetWantEvents(row.wantEvents);
        QList<int> messages;
        QStringList typed;
        QObject::connect(&browser, &UnicodeBrowseFolders::CallBackMsg,
                         [&](quintptr, int message, qintptr lParam, qint32, bool &closeDialog) {
                             messages.append(message);
                             typed.append(*reinterpret_cast<const QString *>(lParam));
                             EXPECT_FALSE(closeDialog);
                             closeDialog = row.handlerCloses;
                         });
        dialogs->AnswerFolder(chosen, {UserTypesInvalidName(QStringLiteral("Sourçes?"))});
        EXPECT_EQ(browser.ShowBrowseForFolder(nullptr, true), row.chosenAfterwards);
        EXPECT_EQ(browser.SelectedFolder().toString(), row.chosenAfterwards ? chosen : QString());
        EXPECT_EQ(messages, row.wantEvents ? QList<int>({3}) : QList<int>());
        EXPECT_EQ(typed, row.wantEvents ? QStringList({QStringLiteral("Sourçes?")}) : QStringList());
    }
}

TEST_F(BrowseFoldersTest, AHookProcedureGetsTheMessagesInsteadOfTheComponent)
{
    const QString initial = Folder("Initial");
    const QString clicked = Folder("Clicked");
    for (const int validateAnswer : {1, 0}) {
        SCOPED_TRACE(validateAnswer);
        UnicodeBrowseFolders browser;
        browser.SetInitialDirectory(initial);
        browser.SetWantEvents(true);
        browser.SetCustomHookData(5);
        int componentEvents = 0;
        QObject::connect(&browser, &UnicodeBrowseFolders::Initialized, [&] { ++componentEvents; });
        QObject::connect(&browser, &UnicodeBrowseFolders::SelectionChanged, [&] { ++componentEvents; });
        QObject::connect(&browser, &UnicodeBrowseFolders::CallBackMsg, [&] { ++componentEvents; });
        QList<int> messages;
        QStringList parameters;
        browser.SetCustomHookProc([&](quintptr hWnd, int message, qintptr lParam, qint32 userParam) {
            EXPECT_EQ(hWnd, dialogs->requests().constLast().window);
            EXPECT_EQ(userParam, 5);
            messages.append(message);
            if (message == 2)
                parameters.append(PidlPath(static_cast<quintptr>(lParam)));
            if (message == 4)
                parameters.append(*reinterpret_cast<const QString *>(lParam));
            return message == 4 ? validateAnswer : 0;
        });
        dialogs->AnswerFolder(clicked, {UserSelects(clicked), UserTypesInvalidName(QStringLiteral("nope"))});

        EXPECT_EQ(browser.ShowBrowseForFolder(nullptr, true), validateAnswer != 0);
        EXPECT_EQ(messages, QList<int>({1, 2, 4}));
        EXPECT_EQ(parameters, QStringList({clicked, QStringLiteral("nope")}));
        EXPECT_EQ(componentEvents, 0);
        EXPECT_TRUE(dialogs->requests().constLast().selections.isEmpty()) << "the component selects nothing";
    }
}

TEST_F(BrowseFoldersTest, ACancelForgetsAnEarlierChoice)
{
    const QString chosen = Folder("Chosen");
    for (const bool releasePidl : {true, false}) {
        SCOPED_TRACE(releasePidl);
        UnicodeBrowseFolders browser;
        dialogs->AnswerFolder(chosen);
        EXPECT_TRUE(browser.ShowBrowseForFolder(nullptr, releasePidl));
        EXPECT_EQ(browser.SelectedFolder().toString(), chosen);
        EXPECT_EQ(browser.FolderDisplayName(), QStringLiteral("Chosen"));
        const quintptr earlier = AsPidl(browser.SelectedFolder(true));
        EXPECT_EQ(browser.IsPidlOwned(earlier), releasePidl);

        dialogs->Cancel();
        EXPECT_FALSE(browser.ShowBrowseForFolder(nullptr, releasePidl));
        EXPECT_EQ(browser.SelectedFolder().toString(), QString());
        EXPECT_EQ(AsPidl(browser.SelectedFolder(true)), 0u);
        EXPECT_EQ(browser.FolderDisplayName(), QString());
        EXPECT_EQ(browser.SysImageListIconIndex(), 0);
        EXPECT_EQ(browser.StateBits() & UnicodeBrowseFolders::OwnsSelection, 0u);
        if (!releasePidl)
            FreePidl(earlier); // the caller's to free
    }
}

TEST_F(BrowseFoldersTest, CancelErrorRaisesOnceTheCallbackIsReleased)
{
    UnicodeBrowseFolders browser;
    browser.SetCancelError(true);
    browser.SetInitialDirectory(Folder("Initial"));
    dialogs->Cancel();
    try {
        browser.ShowBrowseForFolder(nullptr, true);
        ADD_FAILURE() << "a cancel with CancelError must raise";
    } catch (const QuenzarError &error) {
        EXPECT_EQ(error.Number(), -2147221486);
        EXPECT_EQ(error.Source(), QStringLiteral("ShowBrowseForFolder"));
        EXPECT_EQ(error.Description(), QStringLiteral("Canceled by user"));
    }
    EXPECT_TRUE(dialogs->requests()[0].hadCallback);
    EXPECT_EQ(browser.StateBits(), UnicodeBrowseFolders::UnicodeForms | UnicodeBrowseFolders::RaisesCancelError);
}

TEST_F(BrowseFoldersTest, TheCallerWhoTakesTheSelectionKeepsItThroughClear)
{
    const QString chosen = Folder("Chosen");
    UnicodeBrowseFolders browser;
    dialogs->AnswerFolder(chosen);
    ASSERT_TRUE(browser.ShowBrowseForFolder(nullptr, true));
    const quintptr selection = AsPidl(browser.SelectedFolder(true, true));
    EXPECT_FALSE(browser.IsPidlOwned(selection));

    browser.Clear();
    EXPECT_EQ(PidlPath(selection), chosen);
    EXPECT_EQ(LivePidlCount(), liveAtStart + 1);
    EXPECT_EQ(browser.SelectedFolder().toString(), chosen) << "a selection not owned keeps its value";
    FreePidl(selection);
}

TEST_F(BrowseFoldersTest, ClearAndDestructionFreeWhatTheInstanceOwns)
{
    const QString chosen = Folder("Chosen");
    const QString root = tree.root();
    {
        UnicodeBrowseFolders browser;
        ASSERT_TRUE(browser.SetRootFolder(root));
        browser.SetInitialDirectory(chosen);
        dialogs->AnswerFolder(chosen);
        ASSERT_TRUE(browser.ShowBrowseForFolder(nullptr, true));
        EXPECT_EQ(LivePidlCount(), liveAtStart + 3);
    }
    EXPECT_EQ(LivePidlCount(), liveAtStart);

    UnicodeBrowseFolders browser;
    browser.SetDialogTitle(QStringLiteral("Title"));
    browser.SetFlags(0x8080);
    browser.SetCustomHookData(9);
    browser.SetCustomHookProc([](quintptr, int, qintptr, qint32) { return 0; });
    browser.SetCancelError(true);
    browser.SetWantEvents(true);
    browser.SetInitialDirectory(chosen);
    ASSERT_TRUE(browser.SetRootFolder(root));
    dialogs->AnswerFolder(chosen);
    ASSERT_TRUE(browser.ShowBrowseForFolder(nullptr, true));

    browser.Clear();
    EXPECT_EQ(LivePidlCount(), liveAtStart);
    EXPECT_EQ(browser.StateBits(), UnicodeBrowseFolders::UnicodeForms);
    EXPECT_FALSE(browser.CancelError());
    EXPECT_FALSE(browser.WantEvents());
    EXPECT_EQ(browser.DialogTitle(), QString());
    EXPECT_EQ(browser.Flags(), 0u);
    EXPECT_EQ(browser.CustomHookData(), 0);
    EXPECT_FALSE(browser.CustomHookProc());
    EXPECT_EQ(browser.FolderDisplayName(), QString());
    EXPECT_EQ(browser.InitialDirectory().toString(), QString());
    EXPECT_EQ(AsPidl(browser.GetRootFolder(true)), 0u);
    EXPECT_EQ(AsPidl(browser.SelectedFolder(true)), 0u);
}

TEST_F(BrowseFoldersTest, TheOwnedSelectionCannotBecomeTheRoot)
{
    const QString chosen = Folder("Chosen");
    UnicodeBrowseFolders browser;
    dialogs->AnswerFolder(chosen);
    ASSERT_TRUE(browser.ShowBrowseForFolder(nullptr, true));
    const quintptr selection = AsPidl(browser.SelectedFolder(true));

    EXPECT_FALSE(browser.SetRootFolder(QString(), selection));
    EXPECT_EQ(AsPidl(browser.GetRootFolder(true)), 0u);
    EXPECT_EQ(browser.GetRootFolder().toString(), QString());

    browser.SelectedFolder(true, true);
    EXPECT_TRUE(browser.SetRootFolder(QString(), selection));
    EXPECT_EQ(browser.GetRootFolder().toString(), chosen);
    EXPECT_FALSE(browser.IsPidlOwned(selection)) << "a root given without releasePidl stays the caller's";
    browser.Clear();
    FreePidl(selection);
}

TEST_F(BrowseFoldersTest, TheRootLimitsTheDialogAndIsReplacedOrRefused)
{
    const QString first = Folder("First");
    const QString second = Folder("Second");
    UnicodeBrowseFolders browser;
    EXPECT_TRUE(browser.SetRootFolder(first + '/'));
    EXPECT_TRUE(browser.IsPidlOwned(AsPidl(browser.GetRootFolder(true))));
    EXPECT_TRUE(browser.SetRootFolder(second));
    EXPECT_EQ(LivePidlCount(), liveAtStart + 1) << "the first root is freed";
    dialogs->AnswerFolder(second);
    ASSERT_TRUE(browser.ShowBrowseForFolder(nullptr, true));
    EXPECT_EQ(dialogs->requests()[0].rootFolder, second);

    EXPECT_FALSE(browser.SetRootFolder(tree.path("Missing")));
    EXPECT_EQ(browser.GetRootFolder().toString(), QString());

    const quintptr callers = browser.PathToPIDL(first);
    EXPECT_TRUE(browser.SetRootFolder(QString(), callers));
    EXPECT_FALSE(browser.IsPidlOwned(callers));
    EXPECT_TRUE(browser.SetRootFolder(QString()));
    EXPECT_EQ(PidlPath(callers), first) << "a root given without releasePidl stays the caller's";
    EXPECT_TRUE(browser.SetRootFolder(QString(), callers, true));
    EXPECT_TRUE(browser.IsPidlOwned(callers));
    EXPECT_TRUE(browser.SetRootFolder(QString()));
    EXPECT_EQ(AsPidl(browser.GetRootFolder(true)), 0u);
}

TEST_F(BrowseFoldersTest, InitialDirectoryReadsBackAsAPathOrAsAListWithoutOne)
{
    const QString folder = Folder("Dossier ümit");
    UnicodeBrowseFolders browser;
    const struct {
        const char *proves;
        QVariant value;
        QString readBack;
    } rows[] = {
        {"an empty path is none", QString(), QString()},
        {"a list 0 is none", QVariant::fromValue(quintptr(0)), QString()},
        {"an int 0 is none", QVariant(0), QString()},
        {"a path reads back without its final slash", folder + '/', folder},
        {"a path that does not exist is none", tree.path("Missing"), QString()},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.proves);
        browser.SetInitialDirectory(folder);
        browser.SetInitialDirectory(row.value);
        EXPECT_EQ(browser.InitialDirectory().typeId(), QMetaType::QString);
        EXPECT_EQ(browser.InitialDirectory().toString(), row.readBack);
    }

    const quintptr callers = browser.PathToPIDL(folder);
    browser.SetInitialDirectory(QVariant::fromValue(callers));
    FreePidl(callers);
    EXPECT_EQ(browser.InitialDirectory().toString(), folder) << "the instance keeps its own copy";

    const quintptr virtualFolder = AllocatePidl(QString());
    browser.SetInitialDirectory(QVariant::fromValue(virtualFolder));
    const quintptr copy = AsPidl(browser.InitialDirectory());
    EXPECT_NE(copy, 0u);
    EXPECT_NE(copy, virtualFolder);
    FreePidl(virtualFolder);
}

TEST_F(BrowseFoldersTest, PathsAndListsConvertAndDestroyedListsAreForgotten)
{
    const QString chosen = Folder("Chosen");
    UnicodeBrowseFolders browser;
    EXPECT_EQ(browser.PathToPIDL(tree.path("Missing")), 0u);
    EXPECT_EQ(browser.PathToPIDL(QString()), 0u);
    EXPECT_EQ(browser.PIDLtoPath(0), QString());
    const quintptr list = browser.PathToPIDL(chosen);
    EXPECT_EQ(browser.PIDLtoPath(list, true), chosen);
    EXPECT_EQ(LivePidlCount(), liveAtStart) << "PIDLtoPath released it";
    browser.DestroyPIDL(0);

    dialogs->AnswerFolder(chosen);
    ASSERT_TRUE(browser.ShowBrowseForFolder(nullptr, true));
    browser.DestroyPIDL(AsPidl(browser.SelectedFolder(true)));
    EXPECT_EQ(browser.SelectedFolder().toString(), QString());
    EXPECT_EQ(browser.StateBits() & UnicodeBrowseFolders::OwnsSelection, 0u);

    ASSERT_TRUE(browser.SetRootFolder(chosen));
    browser.DestroyPIDL(AsPidl(browser.GetRootFolder(true)));
    EXPECT_EQ(AsPidl(browser.GetRootFolder(true)), 0u);
    EXPECT_EQ(browser.StateBits() & UnicodeBrowseFolders::OwnsRoot, 0u);

    // A list without a path reads back as itself: destroying it must not leave Clear a second free.
    const quintptr virtualFolder = AllocatePidl(QString());
    browser.SetInitialDirectory(QVariant::fromValue(virtualFolder));
    FreePidl(virtualFolder);
    browser.DestroyPIDL(AsPidl(browser.InitialDirectory()));
    EXPECT_EQ(browser.InitialDirectory().toString(), QString());
    browser.Clear();
}

// The real dialog, on the offscreen platform.
TEST_F(BrowseFoldersTest, TheQtDialogShowsFoldersSelectsTheInitialOneAndReturnsTheChoice)
{
    SetDialogBackend(nullptr);
    const QString initial = Folder("Projets/Sources.Backup");
    UnicodeBrowseFolders browser;
    browser.SetDialogTitle(QStringLiteral("Select the Folder to Archive the Sources to"));
    browser.SetFlags(FileSystemFoldersNewStyle);
    browser.SetInitialDirectory(initial);
    browser.SetWantEvents(true);
    quintptr initializedWindow = 0;
    QObject::connect(&browser, &UnicodeBrowseFolders::Initialized,
                     [&](quintptr hWnd, qint32) { initializedWindow = hWnd; });
    WhenFileDialogShown([&](QFileDialog &shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Select the Folder to Archive the Sources to"));
        EXPECT_EQ(shown.fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(shown.testOption(QFileDialog::ShowDirsOnly));
        EXPECT_EQ(initializedWindow, reinterpret_cast<quintptr>(static_cast<QWidget *>(&shown)));
        EXPECT_EQ(shown.selectedFiles(), QStringList({initial}));
        static_cast<QDialog &>(shown).accept(); // as the Open button does
    });
    ASSERT_TRUE(browser.ShowBrowseForFolder(nullptr, true));
    EXPECT_EQ(browser.SelectedFolder().toString(), initial);
    EXPECT_EQ(browser.FolderDisplayName(), QStringLiteral("Sources.Backup"));

    WhenFileDialogShown([](QFileDialog &shown) { shown.reject(); });
    EXPECT_FALSE(browser.ShowBrowseForFolder(nullptr, true));
}

TEST_F(BrowseFoldersTest, TheQtDialogKeepsTheUserInsideTheRoot)
{
    SetDialogBackend(nullptr);
    const QString root = Folder("Root");
    const QString inside = Folder("Root/Inside");
    Folder("Root/Inside/Deeper");
    UnicodeBrowseFolders browser;
    ASSERT_TRUE(browser.SetRootFolder(root));
    WhenFileDialogShown([&](QFileDialog &shown) {
        EXPECT_EQ(shown.directory().absolutePath(), root);
        auto *parentButton = shown.findChild<QAbstractButton *>(QStringLiteral("toParentButton"));
        ASSERT_NE(parentButton, nullptr);
        shown.setDirectory(inside + QStringLiteral("/Deeper"));
        parentButton->click();
        EXPECT_EQ(shown.directory().absolutePath(), inside);
        parentButton->click();
        parentButton->click();
        EXPECT_EQ(shown.directory().absolutePath(), root);
        shown.reject();
    });
    EXPECT_FALSE(browser.ShowBrowseForFolder(nullptr, true));
}

} // namespace
