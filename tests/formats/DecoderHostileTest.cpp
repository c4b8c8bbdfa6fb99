// Every decoder over hostile input: seeded random bytes, the fixtures with flipped bits, truncated
// and empty inputs, in inputs and outputs of exact size with canary bytes behind the output. The
// decoders must return (no hang), stay inside both buffers and never touch the canaries; under the
// sanitizer build a read past the input fails as well.
#include <fstream>

#include "DecoderTestSupport.h"

namespace {

Bytes Fixture(const std::string& name)
{
    std::ifstream f(std::string(QM_FIXTURES_DIR) + "/decoders/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

// The decoders with the parameters worth varying, and a fixture of their kind to damage.
const std::pair<const char*, const char*> Decoders[] = {
    {"tifflzw", ""},     {"gif", "2"},         {"gif", "8"},        {"gif", "1"},     {"packbits", ""},
    {"lz77", ""},        {"pcx", ""},          {"sgi", "8"},        {"sgi", "16"},    {"targa", "8"},
    {"targa", "16"},     {"targa", "24"},      {"targa", "32"},     {"cut", ""},      {"psp", ""},
    {"rla", ""},         {"fax3", "203:0:0"},  {"fax3", "13:1:0"},  {"mh", "203:0:0"}, {"mh", "9:0:1"},
    {"thunder", "7"},    {"thunder", "1"},     {"fax3", "0:0:0"},   {"mh", "0:0:0"},
};

const char* FixtureOf(const std::string& decoder)
{
    if (decoder == "tifflzw") return "tiffcp_lzw_full";
    if (decoder == "gif") return "pamtogif_few";
    if (decoder == "packbits") return "tiffcp_packbits";
    if (decoder == "lz77") return "tiffcp_zip";
    if (decoder == "pcx") return "ppmtopcx_24";
    if (decoder == "sgi") return "pnmtosgi_8";
    if (decoder == "targa") return "ppmtotga_24";
    if (decoder == "fax3") return "tiffcp_g3_1d";
    if (decoder == "mh") return "pillow_mh";
    return "im_pcx_24";
}

// Runs the decoder on the input for a few output sizes (0, tiny, odd, large).
void Exercise(const char* name, const char* parameter, const Bytes& in)
{
    for (size_t outBytes : {size_t(0), size_t(1), size_t(7), size_t(777), size_t(20000)}) {
        const auto decoder = dectest::MakeDecoder(name, parameter);
        decoder->DecodeInit();
        const int32_t unpacked = std::string(name) == "targa" ? int32_t(outBytes / ((std::stoi(parameter) + 1) / 8))
                                                               : int32_t(outBytes);
        dectest::DecodeGuarded(*decoder, in, outBytes, unpacked);
        decoder->DecodeEnd();
    }
}

} // namespace

TEST(DecoderHostile, RandomAndDamagedInputStayInBounds)
{
    for (const auto& [name, parameter] : Decoders) {
        SCOPED_TRACE(std::string(name) + " " + parameter);
        for (uint32_t seed = 0; seed < 24; ++seed) {
            const Bytes noise = dectest::RandomBytes(size_t(1) << (seed % 12), seed + 1000);
            Exercise(name, parameter, noise);
        }
        Exercise(name, parameter, {});
        const Bytes good = Fixture(std::string(FixtureOf(name)) + ".packed");
        ASSERT_FALSE(good.empty());
        const Bytes flips = dectest::RandomBytes(64, 77);
        for (size_t i = 0; i + 1 < flips.size(); i += 2) {
            Bytes bad = good;
            const size_t at = (size_t(flips[i]) << 8 | flips[i + 1]) % bad.size();
            bad[at] = uint8_t(bad[at] ^ (1 << (flips[i] % 8)));
            bad.resize(std::min(bad.size(), size_t(3000)));
            Exercise(name, parameter, bad);
        }
        for (size_t cut : {size_t(1), size_t(2), size_t(5), good.size() / 2}) Exercise(name, parameter, Bytes(good.begin(), good.begin() + std::ptrdiff_t(cut)));
    }
}

// Photo-CD: random streams, and random bodies behind a valid table, over planes with canaries.
TEST(DecoderHostile, PhotoCdStreamsStayInThePlanes)
{
    for (uint32_t seed = 0; seed < 60; ++seed) {
        Bytes stream = dectest::RandomBytes(size_t(64) << (seed % 8), seed + 5000);
        if (seed % 2) {
            // One table of two short entries, then sync headers among the noise.
            const Bytes head = {0x01, 0x01, 0x80, 0x00, 0x05, 0x00, 0x00, 0x00, 0xFB};
            std::copy(head.begin(), head.end(), stream.begin());
            for (size_t at = 16; at + 5 < stream.size(); at += 37) {
                stream[at] = 0xFF;
                stream[at + 1] = 0xFF;
                stream[at + 2] = 0xFE;
            }
        }
        const int32_t width = seed % 3 == 0 ? 1600 : 16, height = 8;
        std::array<Bytes, 3> planes;
        TPCDPlanes p;
        for (size_t i = 0; i < 3; ++i) {
            const size_t size = size_t(width) * (i == 0 ? height : height / 2) - (seed % 5 == 0 ? 3 : 0);
            planes[i].assign(size + dectest::CanaryBytes, dectest::Canary);
            std::fill(planes[i].begin(), planes[i].begin() + std::ptrdiff_t(size), 100);
            p.Plane[i] = planes[i].data();
            p.Size[i] = int64_t(size);
        }
        TMemoryStream s(stream);
        TPCDDecoder d(s);
        d.DecodePlanes(p, width, height);
        for (size_t i = 0; i < 3; ++i)
            for (size_t k = size_t(p.Size[i]); k < planes[i].size(); ++k) ASSERT_EQ(planes[i][k], dectest::Canary);
    }
}
