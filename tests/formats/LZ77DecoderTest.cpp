// The deflate decoder on streams of zlib's own compress: one stream across calls, a stream per
// call, results that say what happened.
#include <tuple>

#include "DecoderTestSupport.h"

using dectest::DecodeGuarded;

namespace {

Bytes Deflate(const Bytes& data)
{
    uLongf size = compressBound(uLong(data.size()));
    Bytes out(size);
    EXPECT_EQ(compress(out.data(), &size, data.data(), uLong(data.size())), Z_OK);
    out.resize(size);
    return out;
}

} // namespace

TEST(LZ77Decoder, InflatesAcrossCallsAndResets)
{
    const Bytes data = dectest::RandomBytes(5000, 3), packed = Deflate(data);
    // One stream over several calls: Source and Dest move on by what was consumed and produced.
    {
        TLZ77Decoder d(Z_PARTIAL_FLUSH, false);
        d.DecodeInit();
        Bytes out(data.size());
        const uint8_t* source = packed.data();
        uint8_t* dest = out.data();
        for (size_t chunk = 0; chunk < packed.size(); chunk += 1000) {
            const uint8_t* before = source;
            d.Decode(source, dest, int32_t(std::min<size_t>(1000, packed.size() - chunk)),
                     int32_t(out.data() + out.size() - dest));
            EXPECT_EQ(size_t(source - before), std::min<size_t>(1000, packed.size() - chunk));
        }
        EXPECT_EQ(std::tuple(out, dest - out.data(), d.ZLibResult()), std::tuple(data, ptrdiff_t(data.size()), Z_STREAM_END));
        // After the end nothing moves.
        const uint8_t* s2 = source;
        uint8_t* d2 = dest;
        d.Decode(s2, d2, 10, 10);
        EXPECT_EQ(std::tuple(s2, d2, d.ZLibResult()), std::tuple(source, dest, Z_STREAM_END));
        d.DecodeEnd();
    }
    // Each call a stream of its own; a call with too little room leaves input unread.
    {
        TLZ77Decoder d(Z_PARTIAL_FLUSH, true);
        d.DecodeInit();
        const Bytes other = Bytes(3000, 7), packedOther = Deflate(other);
        EXPECT_EQ(DecodeGuarded(d, packed, data.size(), int32_t(data.size())), data);
        EXPECT_EQ(DecodeGuarded(d, packedOther, other.size(), int32_t(other.size())), other);
        EXPECT_EQ(DecodeGuarded(d, packed, 100, 100), Bytes(data.begin(), data.begin() + 100));
        EXPECT_GT(d.AvailableInput(), 0u);
        EXPECT_EQ(d.AvailableOutput(), 0u);
        d.DecodeEnd();
    }
    // Finishing with too little room says so (Z_BUF_ERROR) without ending the stream; empty
    // chunks never reach zlib.
    {
        TLZ77Decoder d(Z_FINISH, false);
        d.DecodeInit();
        Bytes out(data.size());
        const uint8_t* source = packed.data();
        uint8_t* dest = out.data();
        d.Decode(source, dest, int32_t(packed.size()), 1000);
        EXPECT_EQ(d.ZLibResult(), Z_BUF_ERROR);
        const uint8_t* before = source;
        d.Decode(source, dest, 0, 1000);
        d.Decode(source, dest, int32_t(packed.data() + packed.size() - source), -5);
        EXPECT_EQ(std::tuple(source, d.ZLibResult()), std::tuple(before, Z_BUF_ERROR));
        d.Decode(source, dest, int32_t(packed.data() + packed.size() - source), int32_t(out.data() + out.size() - dest));
        EXPECT_EQ(std::tuple(out, d.ZLibResult()), std::tuple(data, Z_STREAM_END));
        // Not ended: the destructor ends it (the sanitizer build would report the leak).
    }
    // Bad data is reported through the result only.
    TLZ77Decoder bad(Z_PARTIAL_FLUSH, true);
    bad.DecodeInit();
    DecodeGuarded(bad, {0x78, 0x9C, 0xFF, 0xFF, 0xFF}, 10, 10);
    EXPECT_EQ(bad.ZLibResult(), Z_DATA_ERROR);
    bad.DecodeEnd();
    EXPECT_NO_THROW(bad.DecodeEnd());
}
