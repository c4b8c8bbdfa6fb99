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
}

TEST(Preferences, MalformedOrOverlongValuesReadAsDefaultsOrAreCut)
{
    TMemorySettingsStore store;
    const std::pair<const char*, const char*> bad[] = {
        {"ComprDelay", "abc"}, {"ComprPriority", "2x"}, {"ComprRatioMaxNumAppr", ""}, {"EmailMethod", "1.5"},
        {"ShowTips", "yes"},   {"BatchFNLeadZeroesN", " "}, {"ParamsSaved", "true"}};
    for (const auto& [n, v] : bad) store.WriteValue(n, v);
    store.WriteValue("NameDefProfile", std::string(70, 'n'));
    store.WriteValue("WarnToSave", "0");
    TProgramPrefs p;
    TBatchProcOptions b;
    LoadPreferences(&store, p, b);
    EXPECT_EQ(std::tie(p.ComprDelay, p.ComprPriority, p.ComprRatioMaxNumAppr, p.EmailMethod, b.Digits),
              std::tuple(1500, 2, 10, 0, 4));
    EXPECT_TRUE(p.ShowTips);
    EXPECT_TRUE(p.FirstRun);
    EXPECT_EQ(p.NameDefProfile, std::string(63, 'n'));
    EXPECT_FALSE(p.WarnToSave);
}

TEST(Preferences, AStoreThatRefusesWritesIsSwallowed)
{
    TMemorySettingsStore store;
    store.SetReadOnly(true);
    EXPECT_NO_THROW(SavePreferences(&store, ChangedPrefs(), ChangedBatch()));
    EXPECT_TRUE(store.AllValues().empty());
}

TEST(DialogFolders, HistoriesStopAtTheFirstGapAndAreWrittenWithoutEmptyEntries)
{
    TMemorySettingsStore store;
    for (auto [n, v] : {std::pair{"SaveDir", "/s"}, {"RecentOpenDir1", "/a"}, {"RecentOpenDir2", "/b"},
                        {"RecentOpenDir4", "/after-gap"}, {"RecentSaveDir1", ""},
                        {"RecentSaveDir2", "/hidden"}, {"FileDialogOptions", "5"}})
        store.WriteValue(n, v);
    TDialogFolders f;
    LoadDialogFolders(&store, f);
    EXPECT_EQ(f.RecentOpenDirs, (std::vector<std::string>{"/a", "/b"}));
    EXPECT_TRUE(f.RecentSaveDirs.empty());
    EXPECT_EQ(f.ExportDir, "/s"); // defaults to the save folder
    EXPECT_EQ(f.FileDialogOptions, 5);

    f.RecentOpenDirs = {"", "/x", "", "/y"};
    f.RecentSaveDirs = {"/z"};
    SaveDialogFolders(&store, f);
    EXPECT_FALSE(store.ValueExists("RecentOpenDir3")); // the list ends after its last entry
    EXPECT_FALSE(store.ValueExists("RecentSaveDir2"));
    TDialogFolders g;
    LoadDialogFolders(&store, g);
    EXPECT_EQ(g.RecentOpenDirs, (std::vector<std::string>{"/x", "/y"}));
    EXPECT_EQ(g.RecentSaveDirs, std::vector<std::string>{"/z"});
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

    // A window at its designed place, then loaded from the store.
    QRect LoadInto(TMemorySettingsStore& store, QWidget& w)
    {
        w.resize(Designed.size());
        w.move(Designed.topLeft());
        LoadWindowSettings(&store, w, Prefs, Batch, Folders);
        return QRect(w.pos(), w.size());
    }
    static void StorePlace(TMemorySettingsStore& store, const char* left, const char* top, const char* width,
                           const char* height)
    {
        store.WriteValue("MainFormLeft", left);
        store.WriteValue("MainFormTop", top);
        store.WriteValue("MainFormWidth", width);
        store.WriteValue("MainFormHeight", height);
    }
    static std::vector<std::string> StoredPlace(TMemorySettingsStore& store)
    {
        std::vector<std::string> v;
        for (auto n : {"MainFormMaximized", "MainFormLeft", "MainFormTop", "MainFormWidth", "MainFormHeight"})
            v.push_back(store.ReadValue(n).value_or("?"));
        return v;
    }

    const QRect Designed{120, 90, 640, 480};
    TMemorySettingsStore Store;
    TProgramPrefs Prefs;
    TBatchProcOptions Batch;
    TDialogFolders Folders;
};

TEST_F(WindowSettingsTest, FirstRunKeepsTheDesignedPlaceAndAnExitStoresIt)
{
    StorePlace(Store, "300", "10", "900", "700"); // no "ParamsSaved": not restored
    QWidget w;
    EXPECT_EQ(LoadInto(Store, w), Designed);
    EXPECT_TRUE(Prefs.FirstRun);
    SaveWindowSettings(&Store, w, Prefs, Batch, Folders);
    EXPECT_EQ(Store.ReadValue("ParamsSaved"), "1");
    EXPECT_EQ(StoredPlace(Store), (std::vector<std::string>{"0", "120", "90", "640", "480"}));
}

TEST_F(WindowSettingsTest, StoredPlaceIsRestoredAsFarAsItIsKeptAndMalformedPartsKeepTheCurrentOnes)
{
    struct { const char* Case; bool KeepSize, KeepPos; const char* Left; QRect Expected; } const cases[] = {
        {"both", true, true, "200", QRect(200, 150, 400, 300)},
        {"size only", true, false, "200", QRect(120, 90, 400, 300)},
        {"position only", false, true, "200", QRect(200, 150, 640, 480)},
        {"malformed left", true, true, "abc", QRect(120, 150, 400, 300)},
        {"off every screen", true, true, "-9000", QRect(0, 150, 400, 300)},
    };
    QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_GE(avail.width(), 700);
    ASSERT_GE(avail.height(), 500);
    for (const auto& c : cases) {
        TMemorySettingsStore store;
        store.WriteValue("ParamsSaved", "1");
        store.WriteValue("SaveWindowSize", c.KeepSize ? "1" : "0");
        store.WriteValue("SaveWindowPos", c.KeepPos ? "1" : "0");
        StorePlace(store, c.Left, "150", "400", "300");
        QWidget w;
        QRect expected = c.Expected.translated(c.Expected.left() == 0 ? avail.left() : 0, 0);
        EXPECT_EQ(LoadInto(store, w), expected) << c.Case;
    }
}

TEST_F(WindowSettingsTest, MaximizedAtExitKeepsTheStoredNormalPlaceAndStartsMaximized)
{
    Store.WriteValue("ParamsSaved", "1");
    StorePlace(Store, "210", "110", "700", "500");
    QWidget w;
    LoadInto(Store, w);
    w.showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(w.isMaximized());
    SaveWindowSettings(&Store, w, Prefs, Batch, Folders);
    EXPECT_EQ(StoredPlace(Store), (std::vector<std::string>{"1", "210", "110", "700", "500"}));

    QWidget next;
    LoadInto(Store, next);
    EXPECT_TRUE(next.windowState() & Qt::WindowMaximized);
    Store.WriteValue("SaveWindowSize", "0"); // the maximized state is kept only with the size
    QWidget third;
    LoadInto(Store, third);
    EXPECT_FALSE(third.windowState() & Qt::WindowMaximized);
}

// ---- The dialog ----

class PrefsFormTest : public ::testing::Test
{
protected:
    void SetUp() override { EnsureGuiTestApp(); }
    const QStringList Names{"Web", "Print", "Thumbs"};
};

TEST_F(PrefsFormTest, ShowsThePreferencesAndTakesThemBack)
{
    TProgramPrefs p;
    p.InitComprParams = 2;
    p.NameDefProfile = "Print";
    p.ComprDelay = 1500;
    p.ComprPriority = 9;
    p.EmailMethod = 1;
    p.SaveWindowPos = false;
    TPrefsForm form(nullptr, p, Names);
    form.PrefsToForm();
    EXPECT_EQ(form.ProfileCombo->count(), 4); // a prompt, then the names
    EXPECT_TRUE(form.NamedProfileBtn->isChecked());
    EXPECT_TRUE(form.ProfileCombo->isEnabled());
    EXPECT_EQ(form.ProfileCombo->currentText(), "Print");
    EXPECT_EQ(form.DelayUpDown->value(), 1500);
    EXPECT_EQ(form.PriorityCombo->currentText(), "Normal"); // an unknown priority shows as normal
    EXPECT_EQ(form.EmailCombo->currentText(), "MIME EML");
    EXPECT_FALSE(form.SavePosCheck->isChecked());

    form.DelayUpDown->setValue(2300);
    form.MaxDiffUpDown->setValue(60); // beyond the range: held at 50
    form.LastProfileBtn->setChecked(true);
    EXPECT_FALSE(form.ProfileCombo->isEnabled());
    form.FormToPrefs();
    EXPECT_EQ(std::tie(form.Prefs.ComprDelay, form.Prefs.ComprRatioMaxDiff, form.Prefs.InitComprParams,
                       form.Prefs.ComprPriority),
              std::tuple(2300, 50, 1, 2));
}

TEST_F(PrefsFormTest, TheNamedProfileChoiceNeedsANameFromTheList)
{
    struct
    {
        const char* Case;
        int Item;
        int Expected;
        const char* Name;
    } const cases[] = {{"list left at its first item", 0, 0, "Old"}, {"a name chosen", 3, 2, "Thumbs"}};
    for (const auto& c : cases) {
        TProgramPrefs p;
        p.NameDefProfile = "Old";
        TPrefsForm form(nullptr, p, Names);
        form.PrefsToForm();
        EXPECT_TRUE(form.DefaultParamsBtn->isChecked()) << c.Case;
        form.NamedProfileBtn->setChecked(true);
        form.ProfileCombo->setCurrentIndex(c.Item);
        form.accept();
        EXPECT_EQ(form.Prefs.InitComprParams, c.Expected) << c.Case;
        EXPECT_EQ(form.Prefs.NameDefProfile, c.Name) << c.Case;
    }
}

} // namespace
