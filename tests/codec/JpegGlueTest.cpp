// The library glue: message texts, the message list's bound, and the memory
// source and destination on whole and truncated streams (damaged ones: JpegDecodeTest).
#include <gtest/gtest.h>

#include <tuple>

#include <jerror.h>

#include "JpegFixtures.h"
#include "codec/JpegGlue.h"

namespace {

struct TDecodeResult
{
    int Width = 0;
    long Warnings = 0;
    TStringList Messages;
};

// Decodes through our source and error manager; "error" gets the EJPEG text (empty when none).
TDecodeResult Decode(const std::vector<uint8_t>& data, int traceLevel = 0, std::string* error = nullptr)
{
    TDecodeResult r;
    try {
        TJpegDecompressor d(&r.Messages, traceLevel);
        JpegMemorySource(d.Get(), data.data(), data.size());
        jpeg_read_header(d.Get(), TRUE);
        jpeg_start_decompress(d.Get());
        std::vector<uint8_t> row(size_t(d->output_width) * 3);
        for (JSAMPROW p = row.data(); d->output_scanline < d->output_height;) jpeg_read_scanlines(d.Get(), &p, 1);
        jpeg_finish_decompress(d.Get());
        std::tie(r.Width, r.Warnings) = std::tuple(int(d->output_width), d.Warnings());
    } catch (const EJPEG& e) {
        if (!error) throw;
        *error = e.what();
    }
    return r;
}

} // namespace

TEST(JpegGlue, StreamsAndMessages)
{
    // Large enough that the destination grows over several chunks.
    const std::vector<uint8_t> large = fixtures::MakeJpeg({.Width = 1200, .Height = 900});
    ASSERT_GT(large.size(), 64u * 1024);
    const TDecodeResult r = Decode(large);
    EXPECT_EQ(std::tuple(r.Width, r.Warnings, r.Messages.Count()), std::tuple(1200, 0, 0));

    // Every cut of a baseline and a progressive stream either decodes with warnings or raises EJPEG.
    for (bool progressive : {false, true}) {
        const std::vector<uint8_t> whole = fixtures::MakeJpeg({.Width = 33, .Height = 17, .Progressive = progressive});
        for (size_t cut = 0; cut < whole.size(); cut += 7) {
            std::string error;
            const TDecodeResult part = Decode({whole.begin(), whole.begin() + long(cut)}, 0, &error);
            EXPECT_TRUE(!error.empty() || part.Messages.Text().substr(0, 26) == "Premature end of JPEG file") << cut;
        }
    }
    // A comment marker that claims 65000 bytes in a stream that ends after a few: one warning.
    const std::vector<uint8_t> good = fixtures::MakeJpeg({.Width = 40, .Height = 30});
    std::vector<uint8_t> data(good.begin(), good.begin() + 20);
    data.insert(data.end(), {0xFF, 0xFE, 0xFD, 0xE8, 'a', 'b'});
    std::string error;
    EXPECT_EQ(Decode(data, 0, &error).Messages.Lines(), std::vector<std::string>{"Premature end of JPEG file"});
    // Messages are formatted and cut to 79 characters.
    // The library's text with two ten-digit numbers is 95 characters long.
    const std::string mismatch = "JPEG parameter struct mismatch: library thinks size is 4294967295, caller expects 4294967295";
    struct Case { int Code, P1, P2; std::string Text; };
    for (const Case& c : {Case{JERR_BAD_STRUCT_SIZE, -1, -1, mismatch.substr(0, JpegMessageLimit)},
                          Case{JERR_BAD_STRUCT_SIZE, 7, 9, "JPEG parameter struct mismatch: library thinks size is 7, caller expects 9"},
                          Case{99999, 0, 0, "Bogus message code 99999"}, Case{-1, 0, 0, "Bogus message code -1"},
                          Case{0, 0, 0, "Bogus message code 0"}}) {
        EXPECT_EQ(FormatLibraryMessage(c.Code, c.P1, c.P2), c.Text) << c.Code;
        EXPECT_THROW(RaiseJpegError(c.Code, c.P1, c.P2), EJPEG);
    }
    // A damaged file can warn once per block: the first messages are kept, the rest only counted.
    struct TListCase { int Warnings; int Lines; std::string Last; };
    for (const TListCase& c : {TListCase{100, 100, "Premature end of JPEG file"}, TListCase{101, 101, "... and 1 more warnings"},
                               TListCase{250, 101, "... and 150 more warnings"}}) {
        TStringList messages;
        TJpegDecompressor d(&messages, 0);
        for (int i = 0; i < c.Warnings; ++i) WARNMS(d.Get(), JWRN_JPEG_EOF);
        EXPECT_EQ(d.Warnings(), c.Warnings);
        ASSERT_EQ(messages.Count(), c.Lines);
        EXPECT_EQ(std::tuple(messages[99], messages[c.Lines - 1]), std::tuple("Premature end of JPEG file", c.Last));
    }
    // Trace messages pass when the trace level lets them through.
    const std::vector<uint8_t> small = fixtures::MakeJpeg({.Width = 16, .Height = 16});
    EXPECT_EQ(std::tuple(Decode(small, 0).Messages.Count() == 0, Decode(small, 1).Messages.Count() > 0),
              std::tuple(true, true));
}
