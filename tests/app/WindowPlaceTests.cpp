// The main window's place across runs: what an exit stores, and a window maximized at exit.
#include <gtest/gtest.h>

#include <QWidget>

#include "support/GuiTestApp.h"
#include "app/Prefs.h"
#include "app/WindowSettings.h"
#include "platform/SettingsStore.h"

namespace {

class WindowPlaceTest : public ::testing::Test
{
  protected:
    void SetUp() override { EnsureGuiTestApp(); }
    QRect LoadInto(QWidget& w)
    {
        w.resize(Designed.size());
        w.move(Designed.topLeft());
        LoadWindowSettings(&Store, w, Prefs, Batch, Folders);
        return QRect(w.pos(), w.size());
    }
    void StorePlace(const char* left, const char* top, const char* width, const char* height)
    {
        for (auto [name, value] : {std::pair{"MainFormLeft", left},
                                   {"MainFormTop", top},
                                   {"MainFormWidth", width},
                                   {"MainFormHeight", height}})
            Store.WriteValue(name, value);
    }
    std::vector<std::string> StoredPlace()
    {
        std::vector<std::string> v;
        for (auto n : {"MainFormMaximized", "MainFormLeft", "MainFormTop", "MainFormWidth", "MainFormHeight"})
            v.push_back(Store.ReadValue(n).value_or("?"));
        return v;
    }

    const QRect Designed{120, 90, 640, 480};
    TMemorySettingsStore Store;
    TProgramPrefs Prefs;
    TBatchProcOptions Batch;
    TDialogFolders Folders;
};

// Without "ParamsSaved" nothing stored is taken: the window keeps its designed place, and the exit
// stores that place.
TEST_F(WindowPlaceTest, FirstRunKeepsTheDesignedPlaceAndAnExitStoresIt)
{
    StorePlace("300", "10", "900", "700");
    QWidget w;
    EXPECT_EQ(LoadInto(w), Designed);
    EXPECT_TRUE(Prefs.FirstRun);
    SaveWindowSettings(&Store, w, Prefs, Batch, Folders);
    EXPECT_EQ(Store.ReadValue("ParamsSaved"), "1");
    EXPECT_EQ(StoredPlace(), (std::vector<std::string>{"0", "120", "90", "640", "480"}));
}

// A window maximized at exit keeps the stored normal place and starts maximized next time, as long
// as its size is kept.
TEST_F(WindowPlaceTest, MaximizedAtExitKeepsTheStoredNormalPlaceAndStartsMaximized)
{
    Store.WriteValue("ParamsSaved", "1");
    StorePlace("210", "110", "700", "500");
    QWidget w;
    LoadInto(w);
    w.showMaximized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(w.isMaximized());
    SaveWindowSettings(&Store, w, Prefs, Batch, Folders);
    EXPECT_EQ(StoredPlace(), (std::vector<std::string>{"1", "210", "110", "700", "500"}));

    QWidget next;
    LoadInto(next);
    EXPECT_TRUE(next.windowState() & Qt::WindowMaximized);
    Store.WriteValue("SaveWindowSize", "0");
    QWidget third;
    LoadInto(third);
    EXPECT_FALSE(third.windowState() & Qt::WindowMaximized);
}

} // namespace
