#include <gtest/gtest.h>

#include <QComboBox>
#include <QCheckBox>
#include <QGuiApplication>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QWidget>
#include <memory>
#include <set>

#include "GuiTestApp.h"
#include "app/Prefs.h"
#include "app/PrefsForm.h"
#include "app/WindowSettings.h"
#include "platform/SettingsStore.h"

namespace {

TProgramPrefs ChangedPrefs()
{
    TProgramPrefs p;
    p.FirstRun = false;
    p.SaveWindowSize = p.SaveWindowPos = p.SaveToolbarsPos = p.ShowTips = p.FlatButtons = p.HiliteButtons = false;
    p.EmailMethod = 3;
    p.InitComprParams = 2;
    p.NameDefProfile = "Web small";
    p.ComprPriority = 4;
    p.ComprDelay = 700;
    p.ComprRatioMaxNumAppr = 33;
    p.ComprRatioMaxDiff = 9;
    p.ExtraOptimization = p.KeepOrigDatetime = false;
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
    b.PrefixMode = 1;
    b.SuffixMode = 2;
    b.PrefixN = 17;
    b.SuffixN = 0;
    b.LeadingZeros = b.MinimizeMain = true;
    b.Digits = 6;
    return b;
}

bool SamePrefs(const TProgramPrefs& a, const TProgramPrefs& b)
{
    return a.SaveWindowSize == b.SaveWindowSize && a.SaveWindowPos == b.SaveWindowPos &&
           a.SaveToolbarsPos == b.SaveToolbarsPos && a.ShowTips == b.ShowTips && a.FlatButtons == b.FlatButtons &&
           a.HiliteButtons == b.HiliteButtons && a.EmailMethod == b.EmailMethod &&
           a.InitComprParams == b.InitComprParams && a.NameDefProfile == b.NameDefProfile &&
           a.ComprPriority == b.ComprPriority && a.ComprDelay == b.ComprDelay &&
           a.ComprRatioMaxNumAppr == b.ComprRatioMaxNumAppr && a.ComprRatioMaxDiff == b.ComprRatioMaxDiff &&
           a.ExtraOptimization == b.ExtraOptimization && a.KeepOrigDatetime == b.KeepOrigDatetime &&
           a.ImageInfoOptions == b.ImageInfoOptions && a.WarnToSave == b.WarnToSave;
}

bool SameBatch(const TBatchProcOptions& a, const TBatchProcOptions& b)
{
    return a.DestFolder == b.DestFolder && a.ProfileFile == b.ProfileFile && a.PrefixText == b.PrefixText &&
           a.SuffixText == b.SuffixText && a.KeepOriginalName == b.KeepOriginalName &&
           a.RunForeground == b.RunForeground && a.PrefixMode == b.PrefixMode && a.SuffixMode == b.SuffixMode &&
           a.PrefixN == b.PrefixN && a.SuffixN == b.SuffixN && a.LeadingZeros == b.LeadingZeros &&
           a.MinimizeMain == b.MinimizeMain && a.Digits == b.Digits;
}

TEST(Preferences, FirstRunGivesEveryDefaultAndASaveMarksTheParamsSaved)
{
    TMemorySettingsStore store;
    TProgramPrefs p = ChangedPrefs();
    TBatchProcOptions b = ChangedBatch();
    LoadPreferences(&store, p, b);
    EXPECT_TRUE(p.FirstRun);
    EXPECT_TRUE(SamePrefs(p, TProgramPrefs{}));
    EXPECT_TRUE(SameBatch(b, TBatchProcOptions{}));

    SavePreferences(&store, p, b);
    LoadPreferences(&store, p, b);
    EXPECT_FALSE(p.FirstRun);
}

TEST(Preferences, EveryValueIsStoredUnderItsNameAndReadBack)
{
    TMemorySettingsStore store;
    SavePreferences(&store, ChangedPrefs(), ChangedBatch());
    std::set<std::string> names;
    for (const auto& [name, value] : store.AllValues()) names.insert(name);
    const std::set<std::string> expected = {
        "ParamsSaved", "SaveWindowSize", "SaveWindowPos", "SaveToolbarsPos", "ShowTips", "FlatButtons",
        "HiliteButtons", "EmailMethod", "InitComprParams", "NameDefProfile", "ComprPriority", "ComprDelay",
        "ComprRatioMaxNumAppr", "ComprRatioMaxDiff", "ExtraOptimization", "KeepOrigDatetime", "ImageInfoOptions",
        "BatchDestFolder", "BatchProfile", "BatchFNPrefix", "BatchFNSuffix", "BatchFNContOrig", "BatchFGProcess",
        "BatchFNPrefType", "BatchFNSufType", "BatchFNPrefInitN", "BatchFNSufInitN", "BatchFNLeadZeroes",
        "BatchMinWnd", "BatchFNLeadZeroesN"};
    EXPECT_EQ(names, expected); // "WarnToSave" is only read
    EXPECT_EQ(store.ReadValue("ComprDelay"), "700");
    EXPECT_EQ(store.ReadValue("ShowTips"), "0");

    TProgramPrefs p;
    TBatchProcOptions b;
    LoadPreferences(&store, p, b);
    EXPECT_TRUE(SamePrefs(p, ChangedPrefs()));
    EXPECT_TRUE(SameBatch(b, ChangedBatch()));
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
    EXPECT_EQ(p.ComprDelay, 1500);
    EXPECT_EQ(p.ComprPriority, 2);
    EXPECT_EQ(p.ComprRatioMaxNumAppr, 10);
    EXPECT_EQ(p.EmailMethod, 0);
    EXPECT_TRUE(p.ShowTips);
    EXPECT_EQ(b.Digits, 4);
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
    store.WriteValue("SaveDir", "/s");
    store.WriteValue("RecentOpenDir1", "/a");
    store.WriteValue("RecentOpenDir2", "/b");
    store.WriteValue("RecentOpenDir4", "/after-gap");
    store.WriteValue("RecentSaveDir1", "");
    store.WriteValue("RecentSaveDir2", "/hidden");
    store.WriteValue("FileDialogOptions", "5");
    TDialogFolders f;
    LoadDialogFolders(&store, f);
    EXPECT_EQ(f.RecentOpenDirs, (std::vector<std::string>{"/a", "/b"}));
    EXPECT_TRUE(f.RecentSaveDirs.empty());
    EXPECT_EQ(f.ExportDir, "/s"); // defaults to the save folder
    EXPECT_EQ(f.FileDialogOptions, 5);

    f.RecentOpenDirs = {"", "/x", "", "/y"};
    f.RecentSaveDirs = {"/z"};
    SaveDialogFolders(&store, f);
    EXPECT_EQ(store.ReadValue("RecentOpenDir1"), "/x");
    EXPECT_EQ(store.ReadValue("RecentOpenDir2"), "/y");
    EXPECT_FALSE(store.ValueExists("RecentOpenDir3"));          // the list ends after its last entry
    EXPECT_FALSE(store.ValueExists("RecentSaveDir2"));
    EXPECT_EQ(store.ReadValue("RecentSaveDir1"), "/z");
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
    struct
    {
        const char* Case;
        QList<QRect> Screens;
        QRect In, Out;
    } const cases[] = {
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
    void SetUp() override
    {
        EnsureGuiTestApp();
        Designed = QRect(120, 90, 640, 480);
        WindowPtr = std::make_unique<QWidget>();
        WindowPtr->resize(Designed.size());
        WindowPtr->move(Designed.topLeft());
    }
    void Load()
    {
        LoadWindowSettings(&Store, Window(), Prefs, Batch, Folders);
    }
    QRect Place() { return QRect(Window().pos(), Window().size()); }

    TMemorySettingsStore Store;
    std::unique_ptr<QWidget> WindowPtr;
    QWidget& Window() { return *WindowPtr; }
    QRect Designed;
    TProgramPrefs Prefs;
    TBatchProcOptions Batch;
    TDialogFolders Folders;
};

TEST_F(WindowSettingsTest, FirstRunKeepsTheDesignedPlaceAndAnExitStoresIt)
{
    Store.WriteValue("MainFormLeft", "300"); // no "ParamsSaved": not restored
    Store.WriteValue("MainFormWidth", "900");
    Load();
    EXPECT_TRUE(Prefs.FirstRun);
    EXPECT_EQ(Place(), Designed);
    SaveWindowSettings(&Store, Window(), Prefs, Batch, Folders);
    EXPECT_EQ(Store.ReadValue("ParamsSaved"), "1");
    EXPECT_EQ(Store.ReadValue("MainFormMaximized"), "0");
    EXPECT_EQ(Store.ReadValue("MainFormLeft"), "120");
    EXPECT_EQ(Store.ReadValue("MainFormTop"), "90");
    EXPECT_EQ(Store.ReadValue("MainFormWidth"), "640");
    EXPECT_EQ(Store.ReadValue("MainFormHeight"), "480");
}

TEST_F(WindowSettingsTest, StoredPlaceIsRestoredAsFarAsItIsKeptAndMalformedPartsKeepTheCurrentOnes)
{
    struct
    {
        const char* Case;
        bool KeepSize, KeepPos;
        const char* Left;
        QRect Expected;
    } const cases[] = {
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
        store.WriteValue("MainFormLeft", c.Left);
        store.WriteValue("MainFormTop", "150");
        store.WriteValue("MainFormWidth", "400");
        store.WriteValue("MainFormHeight", "300");
        QWidget w;
        w.resize(Designed.size());
        w.move(Designed.topLeft());
        LoadWindowSettings(&store, w, Prefs, Batch, Folders);
        QRect expected = c.Expected.translated(c.Expected.left() == 0 ? avail.left() : 0, 0);
        EXPECT_EQ(QRect(w.pos(), w.size()), expected) << c.Case;
    }
}

TEST_F(WindowSettingsTest, MaximizedAtExitKeepsTheStoredNormalPlaceAndStartsMaximized)
{
    Store.WriteValue("ParamsSaved", "1");
    Store.WriteValue("MainFormLeft", "210");
    Store.WriteValue("MainFormTop", "110");
    Store.WriteValue("MainFormWidth", "700");
    Store.WriteValue("MainFormHeight", "500");
    Load();
    Window().showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(Window().isMaximized());
    SaveWindowSettings(&Store, Window(), Prefs, Batch, Folders);
    EXPECT_EQ(Store.ReadValue("MainFormMaximized"), "1");
    EXPECT_EQ(Store.ReadValue("MainFormLeft"), "210");
    EXPECT_EQ(Store.ReadValue("MainFormTop"), "110");
    EXPECT_EQ(Store.ReadValue("MainFormWidth"), "700");
    EXPECT_EQ(Store.ReadValue("MainFormHeight"), "500");

    QWidget next;
    LoadWindowSettings(&Store, next, Prefs, Batch, Folders);
    EXPECT_TRUE(next.windowState() & Qt::WindowMaximized);

    Store.WriteValue("SaveWindowSize", "0"); // the maximized state is kept only with the size
    QWidget third;
    LoadWindowSettings(&Store, third, Prefs, Batch, Folders);
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
    EXPECT_EQ(form.ProfileCombo->count(), 4);
    EXPECT_EQ(form.ProfileCombo->itemText(0), "Choose a name of profile from the list...");
    EXPECT_TRUE(form.NamedProfileBtn->isChecked());
    EXPECT_TRUE(form.ProfileCombo->isEnabled());
    EXPECT_EQ(form.ProfileCombo->currentText(), "Print");
    EXPECT_EQ(form.DelayUpDown->value(), 1500);
    EXPECT_EQ(form.DelayUpDown->minimum(), 100);
    EXPECT_EQ(form.DelayUpDown->maximum(), 5000);
    EXPECT_EQ(form.DelayUpDown->singleStep(), 100);
    EXPECT_EQ(form.PriorityCombo->currentText(), "Normal"); // an unknown priority shows as normal
    EXPECT_EQ(form.EmailCombo->currentText(), "MIME EML");
    EXPECT_FALSE(form.SavePosCheck->isChecked());

    form.DelayUpDown->setValue(2300);
    form.MaxDiffUpDown->setValue(60); // beyond the range: held at 50
    form.LastProfileBtn->setChecked(true);
    EXPECT_FALSE(form.ProfileCombo->isEnabled());
    form.FormToPrefs();
    EXPECT_EQ(form.Prefs.ComprDelay, 2300);
    EXPECT_EQ(form.Prefs.ComprRatioMaxDiff, 50);
    EXPECT_EQ(form.Prefs.InitComprParams, 1);
    EXPECT_EQ(form.Prefs.ComprPriority, 2);
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
