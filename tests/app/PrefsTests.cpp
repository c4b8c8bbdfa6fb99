#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <map>

#include "support/GuiTestApp.h"
#include "app/Prefs.h"
#include "app/WindowSettings.h"
#include "platform/SettingsStore.h"

namespace {

// What saving these values writes.
std::map<std::string, std::string> SavedValues(const TProgramPrefs& p, const TBatchProcOptions& b)
{
    TMemorySettingsStore store;
    SavePreferences(&store, p, b);
    return store.AllValues();
}

TEST(Preferences, EveryValueIsStoredUnderItsNameAndReadBackAndAFirstRunGivesEveryDefault)
{
    // Every value the preferences write ("WarnToSave" is only read), each different from its default.
    const std::map<std::string, std::string> changed = {
        {"BatchDestFolder", "/out/"}, {"BatchFGProcess", "0"}, {"BatchFNContOrig", "0"}, {"BatchFNLeadZeroes", "1"},
        {"BatchFNLeadZeroesN", "6"}, {"BatchFNPrefInitN", "17"}, {"BatchFNPrefType", "1"}, {"BatchFNPrefix", "pre"},
        {"BatchFNSufInitN", "0"}, {"BatchFNSufType", "2"}, {"BatchFNSuffix", "suf"}, {"BatchMinWnd", "1"},
        {"BatchProfile", "/p/web.qmp"}, {"ComprDelay", "700"}, {"ComprPriority", "4"}, {"ComprRatioMaxDiff", "9"},
        {"ComprRatioMaxNumAppr", "33"}, {"EmailMethod", "3"}, {"ExtraOptimization", "0"}, {"FlatButtons", "0"},
        {"HiliteButtons", "0"}, {"ImageInfoOptions", "20"}, {"InitComprParams", "2"}, {"KeepOrigDatetime", "0"},
        {"NameDefProfile", "Web small"}, {"ParamsSaved", "1"}, {"SaveToolbarsPos", "0"}, {"SaveWindowPos", "0"},
        {"SaveWindowSize", "0"}, {"ShowTips", "0"}};
    TMemorySettingsStore store;
    TProgramPrefs p;
    TBatchProcOptions b;
    LoadPreferences(&store, p, b); // nothing stored: every default, a first run
    EXPECT_TRUE(p.FirstRun);
    const auto defaults = SavedValues(p, b);
    for (const auto& [name, value] : changed) {
        if (name != "ParamsSaved") {
            EXPECT_NE(defaults.at(name), value) << name;
        }
        store.WriteValue(name, value);
    }
    LoadPreferences(&store, p, b);
    EXPECT_FALSE(p.FirstRun);
    EXPECT_EQ(SavedValues(p, b), changed);
    store.WriteValue("ComprDelay", "abc"); // malformed: the default
    store.WriteValue("WarnToSave", "0");
    LoadPreferences(&store, p, b);
    EXPECT_EQ(p.ComprDelay, 1500);
    EXPECT_FALSE(p.WarnToSave);
    store.SetReadOnly(true); // a store that refuses writes is not an error
    EXPECT_NO_THROW(SavePreferences(&store, p, b));
}

TEST(DialogFolders, HistoriesStopAtTheFirstGapAndAreWrittenWithoutEmptyEntries)
{
    TMemorySettingsStore store;
    for (auto [n, v] : {std::pair{"SaveDir", "/s"}, {"RecentOpenDir1", "/a"}, {"RecentOpenDir2", "/b"},
                        {"RecentOpenDir4", "/after-gap"}, {"RecentSaveDir1", ""}, {"RecentSaveDir2", "/hidden"}})
        store.WriteValue(n, v);
    TDialogFolders f;
    LoadDialogFolders(&store, f);
    EXPECT_EQ(f.RecentOpenDirs, (std::vector<std::string>{"/a", "/b"}));
    EXPECT_TRUE(f.RecentSaveDirs.empty());
    EXPECT_EQ(f.ExportDir, "/s"); // defaults to the save folder
    f.RecentOpenDirs = {"", "/x", "", "/y"};
    SaveDialogFolders(&store, f);
    EXPECT_FALSE(store.ValueExists("RecentOpenDir3")); // the list ends after its last entry
    LoadDialogFolders(&store, f);
    EXPECT_EQ(f.RecentOpenDirs, (std::vector<std::string>{"/x", "/y"}));
}

// ---- The window's place ----

TEST(PlaceOnScreens, KeepsAReachableWindowAndBringsALostOneBack)
{
    const QList<QRect> one{QRect(0, 0, 1920, 1040)};
    const QList<QRect> two{QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1024)};
    struct { const char* Case; QList<QRect> Screens; QRect In, Out; } const cases[] = {
        {"inside", one, QRect(100, 100, 800, 600), QRect(100, 100, 800, 600)},
        {"partly off to the right", one, QRect(1800, 100, 800, 600), QRect(1800, 100, 800, 600)},
        {"far left", one, QRect(-5000, 100, 800, 600), QRect(0, 100, 800, 600)},
        {"title bar above", one, QRect(100, -300, 800, 600), QRect(100, 0, 800, 600)},
        {"below", one, QRect(100, 1030, 800, 600), QRect(100, 440, 800, 600)},
        {"larger than the screen", one, QRect(3000, 3000, 2500, 1500), QRect(0, 0, 1920, 1040)},
        {"on the second screen", two, QRect(2000, 50, 800, 600), QRect(2000, 50, 800, 600)},
        {"screen unplugged", one, QRect(2000, 50, 800, 600), QRect(1120, 50, 800, 600)},
        {"no screens", {}, QRect(-5000, 0, 10, 10), QRect(-5000, 0, 10, 10)},
    };
    for (const auto& c : cases) EXPECT_EQ(PlaceOnScreens(c.In, c.Screens), c.Out) << c.Case;
}

TEST(WindowSettings, StoredPlaceIsRestoredAsFarAsItIsKeptAndMalformedPartsKeepTheCurrentOnes)
{
    EnsureGuiTestApp();
    struct { const char* Case; const char* Saved; bool Size, Pos; const char* Left; QRect Want; } const cases[] = {
        {"first run: the designed place", nullptr, true, true, "200", QRect(120, 90, 640, 480)},
        {"both", "1", true, true, "200", QRect(200, 150, 400, 300)},
        {"position only", "1", false, true, "200", QRect(200, 150, 640, 480)},
        {"size only", "1", true, false, "200", QRect(120, 90, 400, 300)},
        {"malformed left", "1", true, true, "abc", QRect(120, 150, 400, 300)},
        {"off every screen", "1", true, true, "-9000", QRect(0, 150, 400, 300)},
    };
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    for (const auto& c : cases) {
        TMemorySettingsStore store;
        if (c.Saved) store.WriteValue("ParamsSaved", c.Saved);
        for (auto [n, v] : {std::pair{"SaveWindowSize", c.Size ? "1" : "0"},
                            {"SaveWindowPos", c.Pos ? "1" : "0"}, {"MainFormLeft", c.Left}, {"MainFormTop", "150"},
                            {"MainFormWidth", "400"}, {"MainFormHeight", "300"}})
            store.WriteValue(n, v);
        QWidget w;
        w.setGeometry(120, 90, 640, 480); // the designed place
        TProgramPrefs prefs;
        TBatchProcOptions batch;
        TDialogFolders folders;
        LoadWindowSettings(&store, w, prefs, batch, folders);
        EXPECT_EQ(QRect(w.pos(), w.size()), c.Want.translated(c.Want.left() == 0 ? avail.left() : 0, 0)) << c.Case;
    }
}

} // namespace
