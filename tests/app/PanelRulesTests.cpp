// The rules of the parameter panels and the zoom slider, with values worked out by hand.
#include <gtest/gtest.h>

#include "app/PanelRules.h"

namespace {

TEST(PanelRules, ZoomSliderMapsBothWaysAtTheMarksAndBetweenThem)
{
    struct { int Zoom, Track; } toTrack[] = {
        {10, 100}, {100, 50}, {200, 20}, {300, 0},
        {5, 100}, {400, 0},   // clamped to 10..300 first
        {150, 35},            // 50 - 15
        {250, 10},            // 20 - 10
        {50, 78},             // 105.5 - 27.78 = 77.72
        {125, 42},            // 50 - 7.5 -> 8 (half to even)
    };
    for (auto c : toTrack) EXPECT_EQ(ZoomToTrack(c.Zoom), c.Track) << c.Zoom;
    struct { int Track, Zoom; } toZoom[] = {
        {100, 10}, {50, 100}, {20, 200}, {0, 300},
        {10, 250},            // 300 - 50
        {35, 150},            // 200 - 49.95 -> 50
        {75, 55},             // 100 - 45
        {19, 205},
    };
    for (auto c : toZoom) EXPECT_EQ(TrackToZoom(c.Track), c.Zoom) << c.Track;
}

TEST(PanelRules, SliderPositionsGiveTheImageValues)
{
    EXPECT_EQ(LevelToQuality(1), 100);
    EXPECT_EQ(LevelToQuality(100), 1);
    EXPECT_EQ(QualityToLevel(30), 71);
    EXPECT_EQ(TrackToBand(0), 50);
    EXPECT_EQ(TrackToBand(100), -50);
    EXPECT_EQ(TrackToBand(50), 0);
    EXPECT_EQ(BandToTrack(-20), 70);
}

TEST(PanelRules, SwitchingAFilterCountsOnlyWhenAFilterOfSomeStrengthComesOrGoes)
{
    const std::array<uint8_t, 5> strengths{40, 0, 0, 25, 50};
    struct { int Old, New; bool Changes; const char* Case; } cases[] = {
        {0, 3, false, "on at strength 0"},
        {3, 0, false, "off at strength 0"},
        {2, 3, false, "between two filters of strength 0"},
        {0, 1, true, "on at strength 40"},
        {1, 0, true, "off at strength 40"},
        {3, 4, true, "from strength 0 to 25"},
        {4, 3, true, "from strength 25 to 0"},
        {5, 5, false, "the same filter"},
    };
    for (auto c : cases) EXPECT_EQ(FilterSwitchChanges(c.Old, c.New, strengths), c.Changes) << c.Case;
    std::array<uint8_t, 5> weak{};
    weak[2] = 1;
    EXPECT_TRUE(FilterSwitchChanges(0, 3, weak)) << "strength 1 is some strength";

    EXPECT_FALSE(FilterRadiusChanges(0, 5, 7)) << "radius without a filter";
    EXPECT_TRUE(FilterRadiusChanges(3, 5, 7));
    EXPECT_FALSE(FilterRadiusChanges(3, 5, 5));
}

TEST(PanelRules, HighlightedRanges)
{
    auto range = [](THighlight h) { return h.Shown ? std::to_string(h.From) + ".." + std::to_string(h.To) : "none"; };
    struct { THighlight Got; const char* Want; const char* Case; } cases[] = {
        {LevelHighlight(30, true, false, true, 70), "1..30", "hold up: from 1"},
        {LevelHighlight(30, true, true, true, 70), "30..70", "hold down: to the other slider"},
        {LevelHighlight(80, true, true, true, 20), "20..80", "hold down, other below"},
        {LevelHighlight(80, true, true, false, 20), "50..80", "hold down, other disabled"},
        {LevelHighlight(30, false, true, true, 70), "none", "disabled slider"},
        {EqualizerHighlight(20, true, false), "20..100", "full control"},
        {EqualizerHighlight(20, true, true), "20..50", "full control with hold"},
        {EqualizerHighlight(80, false, false), "50..80", "adjustment"},
        {StrengthHighlight(40, false), "none", "inactive filter"},
        {StrengthHighlight(40, true), "0..40", "active filter"},
        {RadiusHighlight(3, false), "none", "no filter"},
        {RadiusHighlight(3, true), "1..3", "a filter"},
    };
    for (const auto& c : cases) EXPECT_EQ(range(c.Got), c.Want) << c.Case;
}

TEST(PanelRules, TabsMoveOnlyPastTheirThresholds)
{
    struct { bool Left; int W, H; bool Want; } cases[] = {
        {true, 89, 100, false},  // below 90
        {true, 90, 100, true},
        {false, 120, 100, false}, // not above 120
        {false, 121, 100, true},
        {false, 100, 100, false}, // between: stays
        {true, 100, 100, true},
        {true, 4, 5, true},       // 0.9 x 5 = 4.5 rounds to 4
        {true, 3, 5, false},
        {false, 7, 5, true},      // 1.2 x 5 = 6
        {false, 6, 5, false},
    };
    for (auto c : cases) EXPECT_EQ(TabsOnLeft(c.Left, c.W, c.H), c.Want) << c.Left << " " << c.W << "x" << c.H;
}

TEST(PanelRules, RatioTextAndTheTargetItAsksFor)
{
    for (const char* ok : {"", "0", "20", "999", "1.5", ".5", "1.", "."}) EXPECT_TRUE(IsRatioTextAllowed(ok)) << ok;
    for (const char* bad : {"1000", "1..", "1.2.", "abc", "-1", "1e2", "2,5"})
        EXPECT_FALSE(IsRatioTextAllowed(bad)) << bad;

    struct { bool Down; const char* Text; float Want; } targets[] = {
        {true, "0", 1}, {true, "25", 25}, {true, "2.5", 2}, {true, "3.5", 4}, {true, ".5", 1}, {true, "999", 999},
        {false, "25", 0}, {false, "", 0},
    };
    for (auto c : targets) {
        auto got = HoldRatioTarget(c.Down, c.Text);
        ASSERT_TRUE(got.has_value()) << c.Text;
        EXPECT_EQ(*got, c.Want) << c.Text;
    }
    for (const char* unfinished : {"", "1.", ".", "abc", "1234"})
        EXPECT_FALSE(HoldRatioTarget(true, unfinished).has_value()) << unfinished;
}

} // namespace
