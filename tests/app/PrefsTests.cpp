#include <gtest/gtest.h>

#include <QComboBox>
#include <QCheckBox>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QWidget>
#include <map>

#include "GuiTestApp.h"
#include "app/Prefs.h"
#include "app/PrefsForm.h"
#include "app/WindowSettings.h"
#include "platform/SettingsStore.h"

namespace {

// Every stored value differs from its default.
TProgramPrefs ChangedPrefs()
{
    TProgramPrefs p;
    p.FirstRun = false;
    p.SaveWindowSize = p.SaveWindowPos = p.SaveToolbarsPos = p.ShowTips = p.FlatButtons = p.HiliteButtons = false;
    p.ExtraOptimization = p.KeepOrigDatetime = false;
    p.EmailMethod = 3;
    p.InitComprParams = 2;
    p.NameDefProfile = "Web small";
    p.ComprPriority = 4;
    p.ComprDelay = 700;
    p.ComprRatioMaxNumAppr = 33;
    p.ComprRatioMaxDiff = 9;
    p.ImageInfoOptions = 4 + 16;
    return p;
}

TBatchProcOptions ChangedBatch()
{
    TBatchProcOptions b;
    b.DestFolder = "/out/";
    b.ProfileFile = "/p/web.qmp";
    b.PrefixText = "pre";
    b.SuffixText = "suf";
    b.KeepOriginalName = b.RunForeground = false;
    b.LeadingZeros = b.MinimizeMain = true;
    b.PrefixMode = 1;
    b.SuffixMode = 2;
    b.PrefixN = 17;
    b.SuffixN = 0;
    b.Digits = 6;
    return b;
}

// What saving these values writes.
std::map<std::string, std::string> SavedValues(const TProgramPrefs& p, const TBatchProcOptions& b)
{
    TMemorySettingsStore store;
    SavePreferences(&store, p, b);
    return store.AllValues();
}

TEST(Preferences, EveryValueIsStoredUnderItsNameAndReadBackAndAFirstRunGivesEveryDefault)
{
    const auto changed = SavedValues(ChangedPrefs(), ChangedBatch());
    const auto defaults = SavedValues(TProgramPrefs{}, TBatchProcOptions{});
    std::vector<std::string> names;
    for (const auto& [name, value] : changed) {
        names.push_back(name);
        if (name != "ParamsSaved") {
            EXPECT_NE(value, defaults.at(name)) << name;
        }
    }
    const std::vector<std::string> expected = {
        "BatchDestFolder", "BatchFGProcess", "BatchFNContOrig", "BatchFNLeadZeroes", "BatchFNLeadZeroesN",
        "BatchFNPrefInitN", "BatchFNPrefType", "BatchFNPrefix", "BatchFNSufInitN", "BatchFNSufType",
        "BatchFNSuffix", "BatchMinWnd", "BatchProfile", "ComprDelay", "ComprPriority", "ComprRatioMaxDiff",
        "ComprRatioMaxNumAppr", "EmailMethod", "ExtraOptimization", "FlatButtons", "HiliteButtons",
        "ImageInfoOptions", "InitComprParams", "KeepOrigDatetime", "NameDefProfile", "ParamsSaved",
        "SaveToolbarsPos", "SaveWindowPos", "SaveWindowSize", "ShowTips"};
    EXPECT_EQ(names, expected); // "WarnToSave" is only read
    EXPECT_EQ(changed.at("ComprDelay"), "700");
    EXPECT_EQ(changed.at("ShowTips"), "0");

    TMemorySettingsStore store;
    TProgramPrefs p = ChangedPrefs();
    TBatchProcOptions b = ChangedBatch();
    LoadPreferences(&store, p, b); // nothing stored: every default, a first run
    EXPECT_TRUE(p.FirstRun);
    EXPECT_EQ(SavedValues(p, b), defaults);
    for (const auto& [name, value] : changed) store.WriteValue(name, value);
    LoadPreferences(&store, p, b);
    EXPECT_FALSE(p.FirstRun);
    EXPECT_EQ(SavedValues(p, b), changed);
    store.WriteValue("ComprDelay", "abc"); // malformed: the default
    store.WriteValue("WarnToSave", "0");   // read, never written
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

class WindowSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { EnsureGuiTestApp(); }

    // A window at its designed place (120, 90, 640 x 480), then loaded from the store.
    QRect LoadInto(TMemorySettingsStore& store, QWidget& w)
    {
        w.setGeometry(120, 90, 640, 480);
        LoadWindowSettings(&store, w, Prefs, Batch, Folders);
        return QRect(w.pos(), w.size());
    }
    TProgramPrefs Prefs;
    TBatchProcOptions Batch;
    TDialogFolders Folders;
};

TEST_F(WindowSettingsTest, StoredPlaceIsRestoredAsFarAsItIsKeptAndMalformedPartsKeepTheCurrentOnes)
{
    struct { const char* Case; const char* Saved; bool KeepSize, KeepPos; const char* Left; QRect Expected; } const cases[] = {
        {"first run: the designed place", nullptr, true, true, "200", QRect(120, 90, 640, 480)},
        {"both", "1", true, true, "200", QRect(200, 150, 400, 300)},
        {"size only", "1", true, false, "200", QRect(120, 90, 400, 300)},
        {"position only", "1", false, true, "200", QRect(200, 150, 640, 480)},
        {"malformed left", "1", true, true, "abc", QRect(120, 150, 400, 300)},
        {"off every screen", "1", true, true, "-9000", QRect(0, 150, 400, 300)},
    };
    QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_GE(avail.width(), 700);
    for (const auto& c : cases) {
        TMemorySettingsStore store;
        if (c.Saved) store.WriteValue("ParamsSaved", c.Saved);
        store.WriteValue("SaveWindowSize", c.KeepSize ? "1" : "0");
        store.WriteValue("SaveWindowPos", c.KeepPos ? "1" : "0");
        for (auto [n, v] : {std::pair{"MainFormLeft", c.Left}, {"MainFormTop", "150"}, {"MainFormWidth", "400"},
                            {"MainFormHeight", "300"}})
            store.WriteValue(n, v);
        QWidget w;
        QRect expected = c.Expected.translated(c.Expected.left() == 0 ? avail.left() : 0, 0);
        EXPECT_EQ(LoadInto(store, w), expected) << c.Case;
    }
}

// ---- The dialog ----

class PrefsFormTest : public ::testing::Test
{
protected:
    void SetUp() override { EnsureGuiTestApp(); }
    const QStringList Names{"Web", "Print", "Thumbs"};
};

TEST_F(PrefsFormTest, ShowsThePreferencesAndTakesThemBackAndTheNamedProfileNeedsAName)
{
    TProgramPrefs p;
    p.InitComprParams = 2;
    p.NameDefProfile = "Print";
    p.ComprPriority = 9;
    TPrefsForm form(nullptr, p, Names);
    form.PrefsToForm();
    EXPECT_EQ(form.ProfileCombo->currentText(), "Print");
    EXPECT_EQ(form.PriorityCombo->currentText(), "Normal"); // an unknown priority shows as normal
    form.MaxDiffUpDown->setValue(60);                       // beyond the range: held at 50
    form.FormToPrefs();
    EXPECT_EQ(std::tie(form.Prefs.ComprRatioMaxDiff, form.Prefs.InitComprParams, form.Prefs.ComprPriority),
              std::tuple(50, 2, 2));
    for (auto [item, expected, name] : {std::tuple{0, 0, "Print"}, {3, 2, "Thumbs"}}) {
        form.ProfileCombo->setCurrentIndex(item); // 0: the prompt, not a name
        form.accept();
        EXPECT_EQ(form.Prefs.InitComprParams, expected) << item;
        EXPECT_EQ(form.Prefs.NameDefProfile, name) << item;
    }
}

} // namespace
