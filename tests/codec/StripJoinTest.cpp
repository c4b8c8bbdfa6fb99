// Where the joiner of the entropy-coded strips finds a strip's scan data: each marker segment must
// lie inside the file whatever its length field says.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "codec/EntropyStrips.h"
#include "platform/Exceptions.h"

TEST(StripJoin, ScanDataStartsBehindTheScanHeaderAndForgedLengthsAreRefused)
{
    using B = std::vector<uint8_t>;
    const B frame = {0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x10, 0x00, 0x20, 0x01, 0x01, 0x11, 0x00};
    auto file = [](std::initializer_list<B> parts) {
        B out = {0xFF, 0xD8};
        for (const B& p : parts)
            out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    // name, file, frame height to set, data start (0: refused)
    const std::tuple<const char*, B, int, size_t> cases[] = {
        {"a table, then the scan header",
         file({{0xFF, 0xDB, 0x00, 0x04, 0x11, 0x22}, {0xFF, 0xDA, 0x00, 0x03, 0x01, 0x5A}}), 0, 13},
        {"scan header ending with the file", file({{0xFF, 0xDA, 0x00, 0x04, 0x01, 0x02}}), 0, 8},
        {"length one past the end", file({{0xFF, 0xDA, 0x00, 0x05, 0x01, 0x02}}), 0, 0},
        {"length far past the end", file({{0xFF, 0xDA, 0xFF, 0xF0, 0x01, 0x02}}), 0, 0},
        {"length below 2", file({{0xFF, 0xDB, 0x00, 0x01}, {0xFF, 0xDA, 0x00, 0x02}}), 0, 0},
        {"no marker where one is due", file({{0xFF, 0xDB, 0x00, 0x02, 0x00, 0xDA, 0x00, 0x02}}), 0, 0},
        {"no scan header", file({{0xFF, 0xDB, 0x00, 0x02}}), 0, 0},
        {"not a JPEG file", {0x00, 0xD8, 0xFF, 0xDA, 0x00, 0x02}, 0, 0},
        {"frame height set", file({frame, {0xFF, 0xDA, 0x00, 0x02}}), 300, 19},
        {"frame header too short for a height",
         file({{0xFF, 0xC0, 0x00, 0x04, 0x08, 0x00}, {0xFF, 0xDA, 0x00, 0x02}}), 300, 0},
    };
    for (const auto& [name, bytes, height, start] : cases) {
        SCOPED_TRACE(name);
        B f = bytes;
        if (start == 0) {
            EXPECT_THROW(StripScanStart(f, height), EInvalidGraphicOperation);
            continue;
        }
        EXPECT_EQ(StripScanStart(f, height), start);
        if (height) EXPECT_EQ(std::tuple(f[7], f[8]), std::tuple(0x01, 0x2C)); // 300 big-endian
    }
}
