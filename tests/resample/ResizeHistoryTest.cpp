#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/SettingsStore.h"
#include "resample/ResizeHistory.h"

namespace {

TResamplingOptions Opts(int purpose, int w, int h, int units, int method, bool aspect = true)
{
    TResamplingOptions o;
    o.Purpose = purpose;
    o.Width = w;
    o.Height = h;
    o.WUnits = o.HUnits = units;
    o.Method = method;
    o.Aspect = aspect;
    o.Fidelity = 256;
    return o;
}

} // namespace

TEST(ResizeHistory, EntryTexts)
{
    TResamplingOptions inches = Opts(0, 1250, 0, 2, 1);
    TResamplingOptions mixed = Opts(1, 50, 120, 1, 7);
    mixed.HUnits = 0;
    const struct
    {
        TResamplingOptions o;
        const char* text;
    } cases[] = {
        {Opts(0, 640, 480, 0, 0), "Resized Image Width:640 pixels Height:480 pixels {B-Spline}"},
        {Opts(1, 0, 100, 0, 2), "Thumbnail Height:100 pixels {Mitchell}"},
        {inches, "Resized Image Width:1.25 inches {Bell}"},
        {mixed, "Thumbnail Width:50 % Height:120 pixels {Bicubic HQ VF}"},
        {Opts(0, 5, 0, 2, 3), "Resized Image Width:0.01 inches {Bicubic HQ VF}"},
        {Opts(0, 0, 0, 0, -1), "Resized Image {Bicubic HQ VF}"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatResizeOptions(c.o), c.text);
}

// The same size with another method moves to the top with its new text; other entries keep their
// order; an empty size is never added.
TEST(ResizeHistory, AddMovesAnEqualEntryWithItsNewText)
{
    TResizeHistory list;
    std::vector<std::string> items;
    EXPECT_EQ(AddResizeMRU(list, &items, Opts(0, 640, 480, 0, 0)), 1);
    EXPECT_EQ(AddResizeMRU(list, &items, Opts(0, 800, 0, 0, 0)), 2);
    EXPECT_EQ(AddResizeMRU(list, &items, Opts(1, 100, 100, 0, 0)), 3);
    EXPECT_EQ(AddResizeMRU(list, &items, Opts(0, 0, 0, 0, 1)), 3);
    EXPECT_EQ(AddResizeMRU(list, &items, Opts(0, 640, 480, 0, 2)), 3);
    const std::vector<std::string> expected = {
        "Resized Image Width:640 pixels Height:480 pixels {Mitchell}",
        "Thumbnail Width:100 pixels Height:100 pixels {B-Spline}",
        "Resized Image Width:800 pixels {B-Spline}",
    };
    EXPECT_EQ(items, expected);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2].Method, 2);
    EXPECT_EQ(list[0].Width, 800);
    // Another aspect lock is another entry.
    EXPECT_EQ(AddResizeMRU(list, &items, Opts(0, 640, 480, 0, 2, false)), 4);
}

// A 26th entry drops the oldest; Number stays 25; values are written with their names and numbers.
TEST(ResizeHistory, SaveKeepsTwentyFiveAndLoadReadsThemBack)
{
    TMemorySettingsStore store;
    TResizeHistory list;
    for (int i = 1; i <= 25; ++i) AddResizeMRU(list, nullptr, Opts(0, 100 + i, 0, 0, 1));
    SaveResizeMRU(list, Opts(1, 999, 0, 1, 3), &store);
    auto values = store.AllValues();
    EXPECT_EQ(values["Number"], "25");
    EXPECT_EQ(values["Width1"], "102"); // 101 dropped
    EXPECT_EQ(values["Width25"], "999");
    EXPECT_EQ(values["Purpose25"], "1");
    EXPECT_EQ(values["WUnits25"], "1");
    EXPECT_EQ(values["Aspect25"], "1");
    EXPECT_EQ(values["Fidelity25"], "256");
    EXPECT_EQ(values.count("Width26"), 0u);

    TResizeHistory loaded;
    std::vector<std::string> items;
    LoadResizeMRU(loaded, &items, &store);
    ASSERT_EQ(loaded.size(), 25u);
    EXPECT_EQ(items.front(), "Thumbnail Width:999 % {Bicubic HQ VF}");
    EXPECT_EQ(items.back(), "Resized Image Width:102 pixels {Bell}");
    EXPECT_EQ(loaded.front().Width, 102);
}

// Stored counts out of range, missing values and their defaults.
TEST(ResizeHistory, LoadClampsTheCountAndFillsDefaults)
{
    const struct
    {
        const char* number;
        size_t count;
    } cases[] = {{"30", 25}, {"-3", 0}, {"abc", 0}, {"2", 2}};
    for (const auto& c : cases) {
        TMemorySettingsStore store;
        store.WriteValue("Number", c.number);
        store.WriteValue("Width1", "320");
        store.WriteValue("WUnits1", "0");
        TResizeHistory list;
        LoadResizeMRU(list, nullptr, &store);
        ASSERT_EQ(list.size(), c.count) << c.number;
        if (c.count == 0) continue;
        EXPECT_EQ(list[0].Width, 320);
        EXPECT_EQ(list[0].HUnits, 0);     // follows WUnits
        EXPECT_EQ(list[0].Method, 1);
        EXPECT_EQ(list[0].Fidelity, 256);
        EXPECT_TRUE(list[0].Aspect);
        EXPECT_EQ(list[1].WUnits, 1);     // nothing stored for the second entry
        EXPECT_EQ(list[1].Width + list[1].Height, 0);
    }
}
