// Every decoder over data that independent tools compressed (tests/fixtures/decoders, made by its
// make_fixtures.py): each piece decodes into an output of exactly its size to the same tool's
// uncompressed bytes.
#include <fstream>
#include <sstream>

#include "DecoderTestSupport.h"

namespace {

Bytes ReadDecoderFixture(const std::string& name)
{
    std::ifstream f(std::string(QM_FIXTURES_DIR) + "/decoders/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

struct TFixtureCase
{
    std::string Name, Decoder, Parameter;
    std::vector<std::pair<std::string, int64_t>> Pieces; // packed size ("-": run on), unpacked count
};

std::vector<TFixtureCase> ReadManifest()
{
    std::vector<TFixtureCase> cases;
    std::ifstream f(std::string(QM_FIXTURES_DIR) + "/decoders/MANIFEST");
    std::string line;
    while (std::getline(f, line)) {
        std::istringstream s(line);
        TFixtureCase c;
        std::string pieces;
        s >> c.Name >> c.Decoder >> c.Parameter >> pieces;
        std::istringstream p(pieces);
        for (std::string piece; std::getline(p, piece, ',');) {
            const size_t slash = piece.find('/');
            c.Pieces.emplace_back(piece.substr(0, slash), std::stoll(piece.substr(slash + 1)));
        }
        cases.push_back(c);
    }
    return cases;
}

} // namespace

TEST(DecoderFixtures, DecodeWhatIndependentToolsCompressed)
{
    const std::vector<TFixtureCase> cases = ReadManifest();
    ASSERT_EQ(cases.size(), 24u);
    for (const TFixtureCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const Bytes packed = ReadDecoderFixture(c.Name + ".packed"), raw = ReadDecoderFixture(c.Name + ".raw");
        std::unique_ptr<TDecoder> decoder = dectest::MakeDecoder(c.Decoder, c.Parameter);
        ASSERT_TRUE(decoder);
        decoder->DecodeInit();
        // Targa pieces are rows of pixels; the calls run through the data, each starting where the
        // last one left Source.
        const int64_t unit = c.Decoder == "targa" ? (std::stoi(c.Parameter) + 1) / 8 : 1;
        size_t in = 0, out = 0;
        for (const auto& [packedSize, count] : c.Pieces) {
            const size_t outBytes = size_t(count * unit);
            ASSERT_LE(out + outBytes, raw.size());
            const size_t n = packedSize == "-" ? packed.size() - in : size_t(std::stoll(packedSize));
            int64_t moved = 0;
            const Bytes got = dectest::DecodeGuarded(*decoder, Bytes(packed.begin() + std::ptrdiff_t(in),
                                                                     packed.begin() + std::ptrdiff_t(in + n)),
                                                     outBytes, int32_t(count), &moved);
            ASSERT_EQ(got, Bytes(raw.begin() + std::ptrdiff_t(out), raw.begin() + std::ptrdiff_t(out + outBytes)))
                << "piece at packed offset " << in;
            in += packedSize == "-" ? size_t(moved) : n;
            out += outBytes;
        }
        decoder->DecodeEnd();
        EXPECT_EQ(out, raw.size());
        if (c.Decoder == "targa") {
            EXPECT_EQ(in, packed.size()); // the last row ends where the data does
            // The whole picture in one call gives the same pixels.
            TTargaRLEDecoder whole(std::stoi(c.Parameter));
            EXPECT_EQ(dectest::DecodeGuarded(whole, packed, raw.size(), int32_t(raw.size() / size_t(unit))), raw);
        }
    }
}
