// Profile records: capture, apply by MatchMask group, group-wise comparison, selection areas.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "SelectionTestUtil.h"
#include "codec/JPEGProfile.h"

// The areas' entries, a zeroed record, no strength without a filter.
TEST(JPEGProfile, CaptureAreasStrengthAndAreasBeyondTheRecord)
{
    TJPEGImage im;
    SetEverySetting(im);
    im.Grayscale = false;
    AddSelectionPolygon(im, {{1, 2}, {3, 4}, {5, 6}});
    AddSelectionArea(im, skRectangle, 1, 1, 2, 2, false); // still being drawn: not stored
    TJPEGProfile rec;
    rec.Data[500] = 42;
    GetSettingsRecord(im, rec);
    EXPECT_EQ(std::tuple(rec.FilterValue, rec.Precision), std::tuple(77, 1));
    const std::vector<int32_t> want = {14, 2, 1, 100, 200, 300, 400, 2, 3, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(std::vector<int32_t>(rec.Data.begin(), rec.Data.begin() + 15), want);
    EXPECT_EQ(rec.Data[500], 0); // the whole record is zeroed first

    im.ActiveFilter = 0; // no active filter: no strength stored
    GetSettingsRecord(im, rec);
    EXPECT_EQ(rec.FilterValue, 0);
}

// Each group of settings: the mask bit, how an image shows the customised values applied, and a
// change of the record's values of that group.
struct TGroup { uint16_t Mask; std::function<bool(const TJPEGImage&)> Applied; std::function<void(TJPEGProfile&)> Change; };
const TGroup Groups[] = {
    {mmQualities, [](const TJPEGImage& i) { return i.LumQuality == 71 && i.ChromQuality == 33; }, [](TJPEGProfile& p) { p.ChromQuality++; }},
    {mmBands, [](const TJPEGImage& i) { return i.QualityEqualizerBands[4] == 50; }, [](TJPEGProfile& p) { p.QualityEqualizerBand[2] = 0; }},
    {mmRatio, [](const TJPEGImage& i) { return i.ComprRatio == 14.5f && i.DisplayRatio == 14; }, [](TJPEGProfile& p) { p.ComprRatio = 3; }},
    {mmFilter, [](const TJPEGImage& i) { return i.ActiveFilter == 3 && i.FilterValues[2] == 77 && i.FilterRadius == 6; }, [](TJPEGProfile& p) { p.FilterRadius = 1; }},
    {mmGrayscale, [](const TJPEGImage& i) { return i.Grayscale; }, [](TJPEGProfile& p) { p.Grayscale = !p.Grayscale; }},
    {mmProgressive, [](const TJPEGImage& i) { return i.ProgressiveEncoding; }, [](TJPEGProfile& p) { p.ProgressiveEncoding = false; }},
    {mmPrecision, [](const TJPEGImage& i) { return i.SamplingFactors[1].H == 2; }, [](TJPEGProfile& p) { p.Precision = 2; }},
    {mmRestartInterval, [](const TJPEGImage& i) { return i.RestartInterval == 9; }, [](TJPEGProfile& p) { p.RestartInterval = 0; }},
    {mmComments, [](const TJPEGImage& i) { return i.Comments.Count() == 1; }, [](TJPEGProfile& p) { p.Comments = "One\r\ntwo\r\n"; }},
    {mmSelective, [](const TJPEGImage& i) { return i.SelectiveCompression && i.SelLumQuality == 91 && i.SelThreshold == 12; }, [](TJPEGProfile& p) { p.SelThreshold = 0; }},
    {mmSelBands, [](const TJPEGImage& i) { return i.SelQualityEqualizerBands[0] == -9; }, [](TJPEGProfile& p) { p.SelQualityEqualizerBand[4] = 0; }},
    {mmSelFilter, [](const TJPEGImage& i) { return i.SelActiveFilter == 2 && i.SelFilterValues[1] == 22 && i.SelFilterRadius == 3; }, [](TJPEGProfile& p) { p.SelFilterValue = 0; }},
    {mmSelAreas, [](const TJPEGImage& i) { return i.SelUnits.Count() == 1; }, [](TJPEGProfile& p) { p.Data[3] = 0; }},
    {mmResampling, [](const TJPEGImage& i) { return i.ResamplingOptions.Width == 640 && i.ResamplingOptions.HorzDPI == 96; }, [](TJPEGProfile& p) { p.Resampling.Aspect = true; }},
    {mmResolution, [](const TJPEGImage& i) { return i.XDensity == 300 && i.YDensity == 150; }, [](TJPEGProfile& p) { p.Resampling.VertDPI = 1; }},
};

TEST(JPEGProfile, MatchMaskSelectsWhatIsApplied)
{
    TJPEGImage src;
    SetEverySetting(src);
    TJPEGProfile rec;
    GetSettingsRecord(src, rec);
    EXPECT_EQ(rec.Precision, 0); // a grey image has no subsampling mode
    rec.Precision = 2;
    for (const TGroup& c : Groups) {
        rec.MatchMask = c.Mask;
        TJPEGImage dst;
        ApplySettingsRecord(dst, rec);
        EXPECT_TRUE(c.Applied(dst)) << std::hex << c.Mask;
        EXPECT_EQ(std::pair(dst.MatchMask, dst.ProfileName), std::pair(c.Mask, std::string("Custom")));
        for (const TGroup& other : Groups)
            if (other.Mask != c.Mask) { EXPECT_FALSE(other.Applied(dst)) << std::hex << c.Mask << " also set " << other.Mask; }
        // The equalizer mode travels with the qualities and bands of either area.
        EXPECT_EQ(dst.EqualizerFullControl, (c.Mask & (mmQualities | mmBands | mmSelective | mmSelBands)) != 0)
            << std::hex << c.Mask;
    }
    // Resampling with the resolution bit: its DPIs are the record's.
    rec.MatchMask = mmResampling | mmResolution;
    TJPEGImage dst;
    ApplySettingsRecord(dst, rec);
    EXPECT_EQ(dst.ResamplingOptions.HorzDPI, 300);
    // Areas that do not fit the record are not stored; a record without areas keeps the image's.
    TJPEGImage many;
    for (int i = 0; i < 5; ++i) AddSelectionPolygon(many, std::vector<TSelPoint>(1000, TSelPoint{7, 8})); // 2002 entries each
    AddSelectionArea(many, skRectangle, 1, 2, 3, 4);
    GetSettingsRecord(many, rec);
    EXPECT_EQ(std::pair(rec.Data[0], rec.Data[1]), std::pair(1 + 4 * 2002, 4));
    TJPEGImage back;
    rec.MatchMask = mmSelAreas;
    ApplySettingsRecord(back, rec);
    EXPECT_EQ(back.SelUnits.Count(), 4);
    GetSettingsRecord(TJPEGImage(), rec); // a record without areas keeps the image's
    rec.MatchMask = mmSelAreas;
    ApplySettingsRecord(back, rec);
    EXPECT_EQ(back.SelUnits.Count(), 4);
}

TEST(JPEGProfile, ProfilesMatchComparesOnlyTheSelectedGroups)
{
    TJPEGImage im;
    SetEverySetting(im);
    TJPEGProfile base;
    GetSettingsRecord(im, base);
    TJPEGProfile full = base, selected = base;
    full.EqualizerFullControl = !full.EqualizerFullControl; // belongs to the qualities, bands and selective groups
    const int others = 0x7FFF & ~(mmQualities | mmBands | mmSelective);
    for (int mask : {int(mmQualities), int(mmBands), int(mmSelective), others}) {
        selected.MatchMask = uint16_t(mask);
        EXPECT_EQ(ProfilesMatch(full, selected), mask == others) << mask;
    }
    for (const TGroup& c : Groups) {
        TJPEGProfile a = base;
        c.Change(a);
        TJPEGProfile b = base;
        b.MatchMask = c.Mask;
        EXPECT_FALSE(ProfilesMatch(a, b)) << std::hex << c.Mask;
        b.MatchMask = uint16_t(0x7FFF & ~c.Mask);
        EXPECT_TRUE(ProfilesMatch(a, b)) << std::hex << c.Mask;
    }

    // Values that only count when their switch is on; resampling fields past the first six.
    TJPEGProfile a = base, b = base;
    std::tie(a.ActiveFilter, a.SelectiveCompression, a.SelActiveFilter) = std::tuple(0, false, 0);
    std::tie(b.ActiveFilter, b.SelectiveCompression, b.SelActiveFilter, b.MatchMask) = std::tuple(0, false, 0, 0x7FFF);
    std::tie(a.FilterValue, a.SelLumQuality, a.SelFilterRadius, a.Resampling.Method, a.Resampling.Fidelity) =
        std::tuple(1, 1, 1, 3, 9);
    EXPECT_TRUE(ProfilesMatch(a, b));
    // Areas are compared through the last entry only.
    a.Data[9] = 5;
    EXPECT_TRUE(ProfilesMatch(a, b));
}

// Names are cut to 63 characters, never inside one ("\xC3\xA9" is one two-byte character, the euro
// sign one of three): forty two-byte characters are 80 bytes and stay whole.
TEST(JPEGProfile, NamesAreCutToWholeCharacters)
{
    const std::string e = "\xC3\xA9", n63(63, 'n'), n62(62, 'n'), euro = "\xE2\x82\xAC";
    std::string forty;
    for (int i = 0; i < 40; ++i)
        forty += e;
    TJPEGImage im;
    TJPEGProfile rec;
    for (auto [in, out] : {std::pair(n63, n63),
                           {n63 + "nn", n63},
                           {n62 + e, n62 + e},
                           {n63 + e, n63},
                           {n62 + euro + "x", n62 + euro},
                           {forty, forty},
                           {"", ""}}) {
        im.ProfileName = in;
        GetSettingsRecord(im, rec);
        EXPECT_EQ(std::pair(rec.Name, CutProfileName(in)), std::pair(out, out)) << in.size();
    }
}
