// The engine's behaviour beyond the identity with the library: threads, the two entry paths,
// progress and cancelling, errors, markers and header fields, and the production rounding.
#include <gtest/gtest.h>

#include <cmath>

#include "EncoderTestUtil.h"

namespace
{

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

// Decodes with the library into 24-bit rows; returns the mean squared error against bmp.
double DecodeError(const std::vector<uint8_t>& data, const TBitmap& bmp, int* components = nullptr)
{
    TJpegDecompressor d;
    JpegMemorySource(d.Get(), data.data(), data.size());
    jpeg_read_header(d.Get(), TRUE);
    if (components) *components = d->num_components;
    d->out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(d.Get());
    EXPECT_EQ(int(d->output_width), bmp.Width());
    EXPECT_EQ(int(d->output_height), bmp.Height());
    std::vector<uint8_t> row(size_t(d->output_width) * 3);
    double sum = 0;
    while (d->output_scanline < d->output_height)
    {
        const int y = int(d->output_scanline);
        JSAMPROW p = row.data();
        jpeg_read_scanlines(d.Get(), &p, 1);
        for (size_t i = 0; i < row.size(); ++i)
        {
            const double e = double(row[i]) - bmp.ScanLine(y)[i];
            sum += e * e;
        }
    }
    jpeg_finish_decompress(d.Get());
    return sum / (double(bmp.Width()) * bmp.Height() * 3);
}

// Offsets of the markers of a stream up to the first scan: (marker, offset of its length field).
std::vector<std::pair<int, size_t>> Markers(const std::vector<uint8_t>& f)
{
    std::vector<std::pair<int, size_t>> m;
    size_t i = 2;
    while (i + 4 <= f.size() && f[i] == 0xFF)
    {
        const int code = f[i + 1];
        m.push_back({code, i + 2});
        if (code == 0xDA) break;
        i += 2 + (size_t(f[i + 2]) << 8 | f[i + 3]);
    }
    return m;
}

} // namespace

TEST(EncoderEngine, SameFileWhateverTheThreadsAndPath)
{
    TBitmap bmp = PhotoLikePicture(161, 203, 9);
    for (bool smoothing : {false, true})
    {
        TEncodeParams p = ProductionParams();
        p.FrontEnd.Smoothing = smoothing ? 30 : 0;
        p.FrontEnd.Threads = 1;
        p.Coding.Threads = 1;
        const std::vector<uint8_t> reference = EncodeBitmapToJpeg(bmp, p);
        for (int threads : {2, 3, 8, 0})
        {
            p.FrontEnd.Threads = threads;
            p.Coding.Threads = threads;
            EXPECT_EQ(EncodeBitmapToJpeg(bmp, p), reference) << threads;
            // The kept planes give the same file, and can be coded again with other tables.
            TDctPlanes planes = ComputeDctPlanes(bmp, p.FrontEnd);
            EXPECT_EQ(QuantizeAndCode(planes, p.Coding), reference) << threads;
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
    for (const Case& c : {Case{"colour", false, false, 3}, Case{"progressive", false, true, 3}, Case{"grey", true, false, 1}})
    {
        TEncodeParams p = ProductionParams();
        p.FrontEnd.Grayscale = c.Gray;
        p.Coding.Progressive = c.Progressive;
        int components = 0;
        const double mse = DecodeError(EncodeBitmapToJpeg(bmp, p), bmp, &components);
        EXPECT_EQ(components, c.Components) << c.Name;
        const double reference = DecodeError(LibraryEncode(bmp, p), bmp);
        EXPECT_LT(mse, reference * 1.03 + 0.5) << c.Name;
        if (!c.Gray)
        {
            EXPECT_LT(mse, 100.0) << c.Name;
        }
    }
}

TEST(EncoderEngine, ChromaQualityOneLosesTheColour)
{
    TBitmap bmp = PhotoLikePicture(64, 48, 4);
    TEncodeParams p = ProductionParams();
    qmjpeg::TQuantSettings s;
    s.ChromQuality = 1;
    p.Coding.Tables = qmjpeg::BuildQuantTables(s);
    std::vector<uint8_t> f = EncodeBitmapToJpeg(bmp, p);
    TJpegDecompressor d;
    JpegMemorySource(d.Get(), f.data(), f.size());
    jpeg_read_header(d.Get(), TRUE);
    d->out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(d.Get());
    std::vector<uint8_t> row(64 * 3);
    while (d->output_scanline < d->output_height)
    {
        JSAMPROW r = row.data();
        jpeg_read_scanlines(d.Get(), &r, 1);
        for (size_t i = 0; i < row.size(); i += 3)
        {
            EXPECT_NEAR(row[i], row[i + 1], 2);
            EXPECT_NEAR(row[i + 1], row[i + 2], 2);
        }
    }
    jpeg_finish_decompress(d.Get());
}

TEST(EncoderEngine, MarkersAndHeaderFields)
{
    TBitmap bmp = RandomPicture(20, 10, 1);
    TEncodeParams p = ProductionParams();
    p.Coding.Comments = {"a", "", "bc"};
    p.Coding.AppTexts = {"", "x"};
    p.Coding.DensityUnit = 1;
    p.Coding.XDensity = 0;      // below the range: 1
    p.Coding.YDensity = 100000; // above it: 65535
    p.Coding.RestartInterval = 70000;
    const std::vector<uint8_t> f = EncodeBitmapToJpeg(bmp, p);
    auto m = Markers(f);
    std::vector<int> codes;
    for (auto& [code, at] : m) codes.push_back(code);
    // JFIF, the two comments, the APP12 text, then the tables, frame, restart interval and scan.
    ASSERT_GE(codes.size(), 5u);
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 4), (std::vector<int>{0xE0, 0xFE, 0xFE, 0xEC}));
    EXPECT_EQ(f[m[1].second + 2], 'a');
    EXPECT_EQ(f[m[1].second + 1], 3); // length 2 + 1
    EXPECT_EQ(std::string(f.begin() + long(m[2].second) + 2, f.begin() + long(m[2].second) + 4), "bc");
    EXPECT_EQ(f[m[3].second + 2], 'x');
    const size_t jfif = m[0].second; // length(2) "JFIF\0"(5) version(2) unit(1) X(2) Y(2)
    EXPECT_EQ(f[jfif + 9], 1);
    EXPECT_EQ(f[jfif + 10] << 8 | f[jfif + 11], 1);
    EXPECT_EQ(f[jfif + 12] << 8 | f[jfif + 13], 65535);
    auto dri = std::find_if(m.begin(), m.end(), [](auto& x) { return x.first == 0xDD; });
    ASSERT_NE(dri, m.end());
    EXPECT_EQ(f[dri->second + 2] << 8 | f[dri->second + 3], 65535);
}

TEST(EncoderEngine, ProgressAndCancel)
{
    TBitmap bmp = PhotoLikePicture(300, 260, 1);
    for (int threads : {1, 4})
    {
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
    TBitmap grey(8, 8, TPixelFormat::pf8bit);
    EXPECT_THROW(EncodeBitmapToJpeg(grey, p), EInvalidGraphicOperation);
    EXPECT_THROW(EncodeBitmapToJpeg(TBitmap(), p), EInvalidGraphicOperation);

    TBitmap bmp = RandomPicture(16, 16, 3);
    struct Case { const char* Name; std::array<TSamplingFactor, 3> Sampling; std::string Text; };
    const Case cases[] = {
        {"factor above 4", {{{5, 1}, {1, 1}, {1, 1}}}, "Bogus sampling factors"},
        {"fractional", {{{3, 1}, {2, 1}, {1, 1}}}, "Fractional sampling not implemented yet"},
        {"too many blocks", {{{4, 4}, {1, 1}, {1, 1}}}, "Sampling factors too large for interleaved scan"},
    };
    for (const Case& c : cases)
    {
        p.FrontEnd.SamplingFactors = c.Sampling;
        try
        {
            EncodeBitmapToJpeg(bmp, p);
            ADD_FAILURE() << c.Name;
        }
        catch (const EJPEG& e)
        {
            EXPECT_EQ(std::string(e.what()), c.Text) << c.Name;
        }
    }
    // A zero in a pair keeps the default; grey ignores the factors.
    p.FrontEnd.SamplingFactors = {{{0, 3}, {1, 0}, {-1, 1}}};
    EXPECT_NO_THROW(EncodeBitmapToJpeg(bmp, p));
    p.FrontEnd.SamplingFactors = {{{4, 4}, {4, 4}, {4, 4}}};
    p.FrontEnd.Grayscale = true;
    EXPECT_NO_THROW(EncodeBitmapToJpeg(bmp, p));

    TEncodeParams missing = ProductionParams();
    missing.Coding.Tables[1].reset();
    EXPECT_THROW(EncodeBitmapToJpeg(bmp, missing), EJPEG);
}

TEST(EncoderEngine, LibraryMessagesMatchTheLibrarysEncoder)
{
    TBitmap bmp = PhotoLikePicture(40, 24, 6);
    struct Case { const char* Name; std::array<TSamplingFactor, 3> Sampling; int Smoothing; int TraceLevel; int Lines; };
    const Case cases[] = {{"2x2 smoothed", {}, 20, 0, 0},
                          {"2x1 smoothed", {{{2, 1}, {1, 1}, {1, 1}}}, 20, 0, 1},
                          {"2x1 not smoothed", {{{2, 1}, {1, 1}, {1, 1}}}, 0, 0, 0},
                          {"3x1 smoothed, traced", {{{3, 1}, {1, 1}, {1, 1}}}, 5, 1, -1}};
    for (const Case& c : cases)
    {
        TEncodeParams p = IdentityParams();
        p.FrontEnd.SamplingFactors = c.Sampling;
        p.FrontEnd.Smoothing = c.Smoothing;
        p.Coding.TraceLevel = c.TraceLevel;
        TStringList ours, library;
        p.Coding.Messages = &ours;
        EncodeBitmapToJpeg(bmp, p);
        LibraryEncode(bmp, p, &library);
        if (c.TraceLevel == 0)
        {
            EXPECT_EQ(ours.Lines(), library.Lines()) << c.Name;
            EXPECT_EQ(ours.Count(), c.Lines) << c.Name;
        }
        else // traced: the smoothing line is there; the tracing of the passes differs by design
            EXPECT_GE(ours.IndexOf("Smoothing not supported with nonstandard sampling ratios"), 0) << c.Name;
    }
}

TEST(EncoderEngine, AKeptCoefficientStoreGivesTheSameFiles)
{
    // One store through growing and shrinking pictures, layouts and coding modes: every file equals
    // the one coded in the library's own arrays, and a smaller picture reuses the memory.
    struct TStoreCase
    {
        int W, H;
        bool Gray, Optimize, Progressive;
        int Restart;
    };
    const TStoreCase cases[] = {{97, 61, false, true, false, 0},   {300, 211, false, true, false, 3},
                                {33, 17, true, true, false, 0},    {300, 211, false, false, false, 0},
                                {130, 47, false, true, true, 0},   {161, 203, true, false, false, 2},
                                {301, 212, false, true, false, 0}, {9, 9, false, true, false, 1}};
    TCoefficientStore store;
    const int16_t* memory = nullptr;
    size_t capacity = 0;
    for (const TStoreCase& c : cases)
    {
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
        if (store.Capacity[0] <= capacity)
        {
            EXPECT_EQ(store.Coefficients[0].get(), memory) << c.W << "x" << c.H;
        }
        memory = store.Coefficients[0].get();
        capacity = store.Capacity[0];
    }
}
