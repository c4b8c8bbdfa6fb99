// The library glue: message texts, the error manager raising EJPEG through the library, and the
// memory source and destination on good, garbage and truncated streams.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include <jerror.h>

#include "codec/JpegGlue.h"

namespace {

// A small colour picture encoded by the library's own scanline encoder through our destination.
std::vector<uint8_t> EncodeSample(int width, int height, bool progressive = false)
{
    std::vector<uint8_t> out = {0xAA}; // the destination appends: an existing byte must stay
    TJpegCompressor c;
    JpegMemoryDest(c.Get(), out);
    c->image_width = JDIMENSION(width);
    c->image_height = JDIMENSION(height);
    c->input_components = 3;
    c->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(c.Get());
    if (progressive) jpeg_simple_progression(c.Get());
    jpeg_start_compress(c.Get(), TRUE);
    std::vector<uint8_t> row(size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * 3; ++x) row[size_t(x)] = uint8_t((x * 7 + y * 13) ^ (x * y));
        JSAMPROW p = row.data();
        jpeg_write_scanlines(c.Get(), &p, 1);
    }
    jpeg_finish_compress(c.Get());
    EXPECT_EQ(out[0], 0xAA);
    out.erase(out.begin());
    return out;
}

struct TDecodeResult
{
    int Width = 0, Height = 0;
    long Warnings = 0;
    TStringList Messages;
};

TDecodeResult Decode(const std::vector<uint8_t>& data, int traceLevel = 0)
{
    TDecodeResult r;
    TJpegDecompressor d(&r.Messages, traceLevel);
    JpegMemorySource(d.Get(), data.data(), data.size());
    jpeg_read_header(d.Get(), TRUE);
    d->out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(d.Get());
    std::vector<uint8_t> row(size_t(d->output_width) * 3);
    while (d->output_scanline < d->output_height) {
        JSAMPROW p = row.data();
        jpeg_read_scanlines(d.Get(), &p, 1);
    }
    jpeg_finish_decompress(d.Get());
    r.Width = int(d->output_width);
    r.Height = int(d->output_height);
    r.Warnings = d.Warnings();
    return r;
}

std::string ErrorOf(const std::vector<uint8_t>& data)
{
    try {
        Decode(data);
    } catch (const EJPEG& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(JpegGlue, RoundTripThroughMemoryDestinationAndSource)
{
    for (bool progressive : {false, true}) {
        // Large enough that the destination grows over several chunks.
        std::vector<uint8_t> data = EncodeSample(600, 400, progressive);
        ASSERT_GT(data.size(), 64u * 1024);
        EXPECT_EQ(data[0], 0xFF);
        EXPECT_EQ(data[1], 0xD8);
        EXPECT_EQ(data[data.size() - 2], 0xFF);
        EXPECT_EQ(data[data.size() - 1], 0xD9);
        TDecodeResult r = Decode(data);
        EXPECT_EQ(r.Width, 600);
        EXPECT_EQ(r.Height, 400);
        EXPECT_EQ(r.Warnings, 0);
        EXPECT_EQ(r.Messages.Count(), 0);
    }
}

TEST(JpegGlue, BadStreamsRaiseEJpegWithTheLibraryText)
{
    std::vector<uint8_t> good = EncodeSample(40, 30);
    struct Case
    {
        const char* Name;
        std::vector<uint8_t> Data;
        std::string Expected;
    };
    // A frame header whose length does not fit its one component.
    std::vector<uint8_t> badLength = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x08, 0x08, 0x00, 0x10, 0x00, 0x10, 0x01};
    std::vector<Case> cases = {
        {"garbage", {0x12, 0x34, 0x56, 0x78}, "Not a JPEG file: starts with 0x12 0x34"},
        {"empty", {}, "Not a JPEG file: starts with 0xff 0xd9"},
        {"one byte", {0xFF}, "Not a JPEG file: starts with 0xff 0xff"},
        {"bad marker length", badLength, "Bogus marker length"},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 20), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        std::string message = ErrorOf(c.Data);
        if (c.Expected.empty())
            EXPECT_NE(message, "(no error)");
        else
            EXPECT_EQ(message, c.Expected);
        EXPECT_LE(message.size(), JpegMessageLimit);
    }
}

TEST(JpegGlue, TruncatedStreamsNeverCrash)
{
    // Every cut of a baseline and a progressive stream either decodes with warnings or raises EJPEG.
    for (bool progressive : {false, true}) {
        std::vector<uint8_t> good = EncodeSample(33, 17, progressive);
        for (size_t cut = 0; cut < good.size(); cut += 7) {
            std::vector<uint8_t> part(good.begin(), good.begin() + long(cut));
            try {
                TDecodeResult r = Decode(part);
                EXPECT_GT(r.Warnings, 0) << cut;
                EXPECT_GE(r.Messages.Count(), 1) << cut;
                EXPECT_EQ(r.Messages[0], "Premature end of JPEG file");
            } catch (const EJPEG&) {
            }
        }
    }
}

TEST(JpegGlue, SkippingPastTheEndWarnsOnce)
{
    // A comment marker that claims 65000 bytes in a stream that ends after a few.
    std::vector<uint8_t> good = EncodeSample(16, 16);
    std::vector<uint8_t> data(good.begin(), good.begin() + 20);
    const std::vector<uint8_t> com = {0xFF, 0xFE, 0xFD, 0xE8, 'a', 'b'};
    data.insert(data.end(), com.begin(), com.end());
    TStringList messages;
    try {
        TJpegDecompressor d(&messages, 0);
        JpegMemorySource(d.Get(), data.data(), data.size());
        jpeg_read_header(d.Get(), TRUE);
        ADD_FAILURE() << "a stream without a frame decoded";
    } catch (const EJPEG&) {
    }
    EXPECT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages[0], "Premature end of JPEG file");
}

TEST(JpegGlue, TraceLevelLetsTraceMessagesThrough)
{
    std::vector<uint8_t> good = EncodeSample(16, 16);
    EXPECT_EQ(Decode(good, 0).Messages.Count(), 0);
    const TDecodeResult traced = Decode(good, 1);
    ASSERT_GT(traced.Messages.Count(), 0);
    for (const std::string& line : traced.Messages.Lines()) EXPECT_LE(line.size(), JpegMessageLimit);
}

TEST(JpegGlue, LibraryStateErrorsFromTheCompressor)
{
    TJpegCompressor c;
    // Starting without any parameters set: an error from inside the library, raised as EJPEG.
    std::vector<uint8_t> out;
    JpegMemoryDest(c.Get(), out);
    EXPECT_THROW(jpeg_start_compress(c.Get(), TRUE), EJPEG);
    // jpeg_set_defaults needs the input colour space: still usable after the error.
    c->in_color_space = JCS_RGB;
    c->input_components = 3;
    jpeg_set_defaults(c.Get());
    EXPECT_THROW(jpeg_finish_compress(c.Get()), EJPEG);
}

TEST(JpegGlue, MessagesAreFormattedAndCutTo79Characters)
{
    // "JPEG parameter struct mismatch: library thinks size is %u, caller expects %u" with two
    // ten-digit numbers is 95 characters long.
    const std::string mismatch = "JPEG parameter struct mismatch: library thinks size is 4294967295, caller expects 4294967295";
    struct Case { int Code, P1, P2; std::string Text; };
    for (const Case& c : std::vector<Case>{{JERR_BAD_STRUCT_SIZE, -1, -1, mismatch.substr(0, JpegMessageLimit)},
                                           {JERR_BAD_STRUCT_SIZE, 7, 9, "JPEG parameter struct mismatch: library thinks size is 7, caller expects 9"},
                                           {99999, 0, 0, "Bogus message code 99999"},
                                           {-1, 0, 0, "Bogus message code -1"},
                                           {0, 0, 0, "Bogus message code 0"}})
    {
        EXPECT_EQ(FormatLibraryMessage(c.Code, c.P1, c.P2), c.Text) << c.Code;
        try {
            RaiseJpegError(c.Code, c.P1, c.P2);
        } catch (const EJPEG& e) {
            EXPECT_EQ(e.what(), c.Text);
        }
    }
    // The same cut on an error raised inside the library.
    jpeg_compress_struct info;
    TJpegErrorManager err;
    info.err = InitJpegErrorManager(err, nullptr, 0);
    char full[256];
    std::snprintf(full, sizeof full, LibraryMessageText(JERR_BAD_STRUCT_SIZE).c_str(), unsigned(sizeof info), 4294967295u);
    ASSERT_GT(std::strlen(full), JpegMessageLimit);
    try {
        jpeg_CreateCompress(&info, JPEG_LIB_VERSION, size_t(-1));
        ADD_FAILURE() << "a wrong record size was accepted";
    } catch (const EJPEG& e) {
        EXPECT_EQ(e.what(), std::string(full, JpegMessageLimit));
    }
}

TEST(JpegGlue, ClampsToTheLibraryRanges)
{
    struct Case { int64_t In; uint16_t Restart, Density; int Smooth; };
    for (const Case& c : std::vector<Case>{{-5, 0, 1, 0}, {0, 0, 1, 0}, {1, 1, 1, 1}, {100, 100, 100, 100},
                                           {101, 101, 101, 100}, {65535, 65535, 65535, 100},
                                           {70000, 65535, 65535, 100}})
    {
        EXPECT_EQ(ClampRestartInterval(c.In), c.Restart) << c.In;
        EXPECT_EQ(ClampDensity(c.In), c.Density) << c.In;
        EXPECT_EQ(ClampSmoothing(c.In), c.Smooth) << c.In;
    }
}
