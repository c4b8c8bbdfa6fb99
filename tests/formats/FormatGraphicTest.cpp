#include <gtest/gtest.h>

#include <cstring>

#include "TestFormats.h"
#include "formats/FormatErrors.h"
#include "platform/BmpFile.h"

TEST(FormatGraphic, LoadPatternConvertsRowsReportsProgressAndSaves)
{
    TTestGraphic g;
    g.ImageProperties.RowsPerStrip = {1, 2}; // left from an earlier load: the header read resets it
    std::vector<std::tuple<TProgressStage, int, bool, TRect, std::string>> events;
    g.OnProgress = [&](TGraphic*, TProgressStage s, int p, bool r, const TRect& rect, const std::string& m) {
        events.emplace_back(s, p, r, rect, m);
    };
    auto data = TTestGraphic::Make(2, 3, 10);
    data.insert(data.begin(), {'x', 'y'}); // the image starts at position 2 of the stream
    TMemoryStream stream(data);
    stream.SetPosition(2);
    g.LoadFromStream(stream);

    EXPECT_EQ(std::tuple(g.BasePosition, g.Stream, g.ImageProperties.RowsPerStrip.size()), std::tuple(2, nullptr, 0u));
    ASSERT_EQ(std::tuple(g.Width(), g.Height()), std::tuple(2, 3));
    const uint8_t* row = g.Bitmap().ScanLine(1);
    EXPECT_EQ(std::tuple(row[0], row[2]), std::tuple(10 + 8, 10 + 6)); // stored red, green, blue; held as BGR

    using P = TProgressStage;
    const decltype(events) expected = {
        {P::psStarting, 0, false, Rect(0, 0, 2, 1), "Transfering..."}, {P::psRunning, 33, true, Rect(0, 0, 2, 1), ""},
        {P::psRunning, 67, true, Rect(0, 1, 2, 2), ""}, {P::psRunning, 100, true, Rect(0, 2, 2, 3), ""},
        {P::psEnding, 0, false, Rect(0, 3, 2, 4), ""}}; // the ending's area one row past the picture
    EXPECT_EQ(events, expected);

    // A copy keeps the image properties; saved as a bitmap file it reads back the same.
    TTestGraphic copy;
    copy.Assign(g);
    EXPECT_EQ(copy.ImageProperties.BitsPerPixel, 24);
    TMemoryStream out;
    copy.SaveToStream(out);
    out.SetPosition(0);
    TBitmap back;
    LoadBmpFromStream(back, out);
    ASSERT_EQ(std::tuple(back.Width(), back.Height()), std::tuple(2, 3));
    for (int y = 0; y < 3; ++y) EXPECT_EQ(std::memcmp(back.ScanLine(y), g.Bitmap().ScanLine(y), 6), 0) << y;
}

TEST(FormatGraphic, RefusedHeadersAndHostileSizesLeaveNoPicture)
{
    const std::tuple<std::vector<uint8_t>, int64_t, const char*> cases[] = { // data, pixel limit, error
        {std::vector<uint8_t>(32, 0x55), 1 << 20, "Cannot load image. Invalid or unexpected QMT image format."},
        {[] { auto data = TTestGraphic::Make(4, 4); data.pop_back(); return data; }(), 1 << 20, "Stream read error"},
        // 65535 x 65535 pixels claimed by a few bytes: refused against the bytes that remain.
        {{'Q', 'M', 'T', '1', 0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3}, int64_t(1) << 40, "Stream read error"},
        // Data complete but the picture above the pixel limit.
        {TTestGraphic::Make(4, 4), 15, "Bitmap of 4 x 4 pixels exceeds the limit of 15 pixels"},
    };
    const int64_t oldLimit = TBitmap::PixelLimit();
    for (const auto& [data, pixelLimit, error] : cases) {
        TBitmap::SetPixelLimit(pixelLimit);
        TTestGraphic g;
        TMemoryStream s(data);
        EXPECT_EQ(ErrorOf([&] { g.LoadFromStream(s); }), error);
        EXPECT_TRUE(g.Empty()); // a failed load leaves no half picture
    }
    TBitmap::SetPixelLimit(oldLimit);
}
