// The engine's behaviour beyond the identity with the library: threads, the two entry paths,
// progress and cancelling, errors, markers and header fields, and the production rounding.
#include <gtest/gtest.h>

#include "EncoderTestUtil.h"
#include "JpegFixtures.h"

namespace {

TEncodeParams ProductionParams()
{
    TEncodeParams p;
    qmjpeg::TQuantSettings s;
    s.LumQuality = 80;
    s.ChromQuality = 70;
    p.Coding.Tables = qmjpeg::BuildQuantTables(s);
    p.Coding.Rounding = TQuantRounding::Program;
    p.Coding.OptimizeCoding = true;
    return p;
}

// The mean squared error of the decoded file against bmp.
double DecodeError(const std::vector<uint8_t>& data, const TBitmap& bmp, int* components = nullptr)
{
    const TBitmap got = LibraryDecode(data, components);
    EXPECT_EQ(got.Width(), bmp.Width());
    EXPECT_EQ(got.Height(), bmp.Height());
    double sum = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int i = 0; i < bmp.Width() * 3; ++i) {
            const double e = double(got.ScanLine(y)[i]) - bmp.ScanLine(y)[i];
            sum += e * e;
        }
    return sum / (double(bmp.Width()) * bmp.Height() * 3);
}

} // namespace

TEST(EncoderEngine, SameFileWhateverTheThreadsAndPath)
{
    TBitmap bmp = PhotoLikePicture(161, 203, 9);
    for (bool smoothing : {false, true}) {
        TEncodeParams p = ProductionParams();
        p.FrontEnd.Smoothing = smoothing ? 30 : 0;
        p.FrontEnd.Threads = p.Coding.Threads = 1;
        const std::vector<uint8_t> reference = EncodeBitmapToJpeg(bmp, p);
        for (int threads : {2, 3, 8, 0}) {
            p.FrontEnd.Threads = p.Coding.Threads = threads;
            EXPECT_EQ(EncodeBitmapToJpeg(bmp, p), reference) << threads;
            // The kept planes give the same file.
            EXPECT_EQ(QuantizeAndCode(ComputeDctPlanes(bmp, p.FrontEnd), p.Coding), reference) << threads;
        }
        TDctPlanes plain = ComputeDctPlanes(bmp, p.FrontEnd, PlainKernels());
        EXPECT_EQ(QuantizeAndCode(plain, p.Coding, PlainKernels()), reference);
    }
}

TEST(EncoderEngine, ProductionFilesDecodeCloseToThePicture)
{
    // The program's rounding differs from the library's only in ties: the pictures decode as well.
    TBitmap bmp = PhotoLikePicture(96, 64, 2);
    struct Case { const char* Name; bool Gray; bool Progressive; int Components; };
    for (const Case& c : {Case{"colour", false, false, 3}, Case{"progressive", false, true, 3}, Case{"grey", true, false, 1}}) {
        TEncodeParams p = ProductionParams();
        p.FrontEnd.Grayscale = c.Gray;
        p.Coding.Progressive = c.Progressive;
        int components = 0;
        const double mse = DecodeError(EncodeBitmapToJpeg(bmp, p), bmp, &components);
        EXPECT_EQ(components, c.Components) << c.Name;
        EXPECT_LT(mse, DecodeError(LibraryEncode(bmp, p), bmp) * 1.03 + 0.5) << c.Name;
        if (!c.Gray) { EXPECT_LT(mse, 100.0) << c.Name; }
    }
}

TEST(EncoderEngine, MarkersAndHeaderFields)
{
    TEncodeParams p = ProductionParams();
    p.Coding.Comments = {"a"};
    p.Coding.DensityUnit = 1;
    p.Coding.XDensity = 1;
    p.Coding.YDensity = 100000; // above it: 65535
    p.Coding.RestartInterval = 70000;
    const auto m = fixtures::MarkersBeforeScan(EncodeBitmapToJpeg(RandomPicture(20, 10, 1), p));
    // JFIF, the comment, then the tables, frame, restart interval and scan.
    ASSERT_GE(m.size(), 3u);
    EXPECT_EQ(m[1], (std::pair<int, std::string>{0xFE, "a"}));
    ASSERT_EQ(m[0].first, 0xE0); // "JFIF\0", version (2), unit, X (2), Y (2)
    EXPECT_EQ(m[0].second.substr(7, 5), std::string("\x01\x00\x01\xFF\xFF", 5));
    auto dri = std::find_if(m.begin(), m.end(), [](auto& x) { return x.first == 0xDD; });
    ASSERT_NE(dri, m.end());
    EXPECT_EQ(dri->second, "\xFF\xFF");
}

TEST(EncoderEngine, ProgressAndCancel)
{
    TBitmap bmp = PhotoLikePicture(300, 260, 1);
    for (int threads : {1, 4}) {
        TEncodeParams p = ProductionParams();
        p.FrontEnd.Threads = threads;
        std::vector<int> front, coding;
        p.FrontEnd.Progress = [&](int percent) { front.push_back(percent); };
        p.Coding.Progress = [&](int percent) { coding.push_back(percent); };
        EncodeBitmapToJpeg(bmp, p);
        ASSERT_FALSE(front.empty());
        EXPECT_TRUE(std::is_sorted(front.begin(), front.end()));
        EXPECT_EQ(front.back(), 100);
        ASSERT_FALSE(coding.empty());
        EXPECT_TRUE(std::is_sorted(coding.begin(), coding.end()));
        EXPECT_LE(coding.back(), 100);

        // Cancelling from either callback ends the encode with EAbort (the sanitizer build checks
        // that nothing leaks on the way out).
        p.FrontEnd.Progress = [&](int) { throw EAbort(); };
        EXPECT_THROW(EncodeBitmapToJpeg(bmp, p), EAbort);
        EXPECT_THROW(ComputeDctPlanes(bmp, p.FrontEnd), EAbort);
        p.FrontEnd.Progress = nullptr;
        p.Coding.Progress = [&](int percent) {
            if (percent >= 50) throw EAbort();
        };
        EXPECT_THROW(EncodeBitmapToJpeg(bmp, p), EAbort);
    }
}

TEST(EncoderEngine, RefusedInputsAndSettings)
{
    TEncodeParams p = ProductionParams();
    EXPECT_THROW(EncodeBitmapToJpeg(TBitmap(8, 8, TPixelFormat::pf8bit), p), EInvalidGraphicOperation);
    EXPECT_THROW(EncodeBitmapToJpeg(TBitmap(), p), EInvalidGraphicOperation);

    TBitmap bmp = RandomPicture(16, 16, 3);
    struct Case { const char* Name; std::array<TSamplingFactor, 3> Sampling; std::string Text; };
    const Case cases[] = {
        {"factor above 4", {{{5, 1}, {1, 1}, {1, 1}}}, "Bogus sampling factors"},
        {"fractional", {{{3, 1}, {2, 1}, {1, 1}}}, "Fractional sampling not implemented yet"},
        {"too many blocks", {{{4, 4}, {1, 1}, {1, 1}}}, "Sampling factors too large for interleaved scan"},
    };
    for (const Case& c : cases) {
        p.FrontEnd.SamplingFactors = c.Sampling;
        try {
            EncodeBitmapToJpeg(bmp, p);
            ADD_FAILURE() << c.Name;
        } catch (const EJPEG& e) {
            EXPECT_EQ(std::string(e.what()), c.Text) << c.Name;
        }
    }
    // A zero in a pair keeps the default; grey ignores the factors.
    p.FrontEnd.SamplingFactors = {{{0, 3}, {1, 0}, {-1, 1}}};
    EXPECT_NO_THROW(EncodeBitmapToJpeg(bmp, p));
    p.FrontEnd.SamplingFactors = {{{4, 4}, {4, 4}, {4, 4}}};
    p.FrontEnd.Grayscale = true;
    EXPECT_NO_THROW(EncodeBitmapToJpeg(bmp, p));
}

TEST(EncoderEngine, LibraryMessagesMatchTheLibrarysEncoder)
{
    TBitmap bmp = PhotoLikePicture(40, 24, 6);
    struct Case { const char* Name; std::array<TSamplingFactor, 3> Sampling; int Smoothing; int TraceLevel; int Lines; };
    const Case cases[] = {{"2x2 smoothed", {}, 20, 0, 0},
                          {"2x1 smoothed", {{{2, 1}, {1, 1}, {1, 1}}}, 20, 0, 1},
                          {"2x1 not smoothed", {{{2, 1}, {1, 1}, {1, 1}}}, 0, 0, 0},
                          {"3x1 smoothed, traced", {{{3, 1}, {1, 1}, {1, 1}}}, 5, 1, -1}};
    for (const Case& c : cases) {
        TEncodeParams p = IdentityParams();
        p.FrontEnd.SamplingFactors = c.Sampling;
        p.FrontEnd.Smoothing = c.Smoothing;
        p.Coding.TraceLevel = c.TraceLevel;
        TStringList ours, library;
        p.Coding.Messages = &ours;
        EncodeBitmapToJpeg(bmp, p);
        LibraryEncode(bmp, p, &library);
        if (c.TraceLevel == 0) {
            EXPECT_EQ(ours.Lines(), library.Lines()) << c.Name;
            EXPECT_EQ(ours.Count(), c.Lines) << c.Name;
        } else // traced: the smoothing line is there; the tracing of the passes differs by design
            EXPECT_GE(ours.IndexOf("Smoothing not supported with nonstandard sampling ratios"), 0) << c.Name;
    }
}

TEST(EncoderEngine, AKeptCoefficientStoreGivesTheSameFiles)
{
    // One store through growing and shrinking pictures, layouts and coding modes: every file equals
    // the one coded in the library's own arrays, and a smaller picture reuses the memory.
    struct TStoreCase { int W, H; bool Gray, Optimize, Progressive; int Restart; };
    const TStoreCase cases[] = {{97, 61, false, true, false, 0},   {300, 211, false, true, false, 3},
                                {33, 17, true, true, false, 0},    {300, 211, false, false, false, 0},
                                {130, 47, false, true, true, 0},   {161, 203, true, false, false, 2},
                                {301, 212, false, true, false, 0}, {9, 9, false, true, false, 1}};
    TCoefficientStore store;
    const int16_t* memory = nullptr;
    size_t capacity = 0;
    for (const TStoreCase& c : cases) {
        TEncodeParams p = ProductionParams();
        p.FrontEnd.Grayscale = c.Gray;
        p.FrontEnd.SamplingFactors = {{{2, 2}, {1, 1}, {1, 1}}};
        p.Coding.OptimizeCoding = c.Optimize;
        p.Coding.Progressive = c.Progressive;
        p.Coding.RestartInterval = c.Restart;
        p.Coding.Threads = 3;
        const TDctPlanes planes = ComputeDctPlanes(PhotoLikePicture(c.W, c.H, 5), p.FrontEnd);
        const std::vector<uint8_t> want = QuantizeAndCode(planes, p.Coding);
        EXPECT_EQ(QuantizeAndCode(planes, p.Coding, FastKernels(), &store), want) << c.W << "x" << c.H;
        if (store.Capacity[0] <= capacity) { EXPECT_EQ(store.Coefficients[0].get(), memory) << c.W << "x" << c.H; }
        memory = store.Coefficients[0].get();
        capacity = store.Capacity[0];
    }
}
