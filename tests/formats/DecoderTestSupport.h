#pragma once
// What the decompressor tests share: decoders made by name, a decode into an output of exact size
// guarded by canary bytes, and bit strings written by hand.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <zlib.h>

#include "TestFormats.h"
#include "formats/decoders/CcittDecoders.h"
#include "formats/decoders/LZ77Decoder.h"
#include "formats/decoders/LzwDecoders.h"
#include "formats/decoders/RunLengthDecoders.h"
#include "formats/decoders/ThunderPhotoCdDecoders.h"

namespace dectest {

constexpr uint8_t Canary = 0xA5;
constexpr size_t CanaryBytes = 16;

// A decoder of the fixture manifest's names: tifflzw, gif (parameter: minimum code size), packbits,
// lz77 (a TIFF strip: partial flush, reset per call), fax3 and mh (WIDTH:SWAP:WORDALIGNED), pcx,
// sgi (sample size), targa (depth), thunder (width), cut, psp, rla.
inline std::unique_ptr<TDecoder> MakeDecoder(const std::string& name, const std::string& parameter)
{
    const int p = parameter.empty() ? 0 : std::stoi(parameter);
    if (name == "tifflzw") return std::make_unique<TTIFFLZWDecoder>();
    if (name == "gif") return std::make_unique<TGIFLZWDecoder>(p);
    if (name == "packbits") return std::make_unique<TPackbitsRLEDecoder>();
    if (name == "lz77") return std::make_unique<TLZ77Decoder>(Z_PARTIAL_FLUSH, true);
    if (name == "pcx") return std::make_unique<TPCXRLEDecoder>();
    if (name == "sgi") return std::make_unique<TSGIRLEDecoder>(uint8_t(p));
    if (name == "targa") return std::make_unique<TTargaRLEDecoder>(p);
    if (name == "thunder") return std::make_unique<TThunderDecoder>(uint32_t(p));
    if (name == "cut") return std::make_unique<TCUTRLEDecoder>();
    if (name == "psp") return std::make_unique<TPSPRLEDecoder>();
    if (name == "rla") return std::make_unique<TRLADecoder>();
    if (name == "fax3" || name == "mh") {
        unsigned width = 0, swap = 0, words = 0;
        std::sscanf(parameter.c_str(), "%u:%u:%u", &width, &swap, &words);
        if (name == "fax3") return std::make_unique<TCCITTFax3Decoder>(0, swap != 0, words != 0, width);
        return std::make_unique<TCCITTMHDecoder>(0, swap != 0, words != 0, width);
    }
    ADD_FAILURE() << "no decoder " << name;
    return nullptr;
}

// One Decode call on an input copied into a buffer of exactly its size and an output of exactly
// outputBytes followed by canary bytes; a changed canary fails the test. sourceMoved, when given,
// receives how far Decode moved Source.
inline Bytes DecodeGuarded(TDecoder& decoder, const Bytes& packed, size_t outputBytes, int32_t unpackedSize,
                           int64_t* sourceMoved = nullptr, uint8_t fill = 0)
{
    const std::unique_ptr<uint8_t[]> in(new uint8_t[packed.size() + 1]); // never empty, never read past size
    std::copy(packed.begin(), packed.end(), in.get());
    Bytes out(outputBytes + CanaryBytes, fill);
    std::fill(out.begin() + std::ptrdiff_t(outputBytes), out.end(), Canary);
    const uint8_t* source = in.get();
    uint8_t* dest = out.data();
    decoder.Decode(source, dest, int32_t(packed.size()), unpackedSize);
    for (size_t i = outputBytes; i < out.size(); ++i)
        if (out[i] != Canary) {
            ADD_FAILURE() << "write past the output's end at +" << (i - outputBytes);
            break;
        }
    if (sourceMoved) *sourceMoved = source - in.get();
    out.resize(outputBytes);
    return out;
}

// Bytes from a string of '0' and '1' (spaces ignored), most significant bit first, the last byte
// filled with `pad` bits.
inline Bytes BitString(const std::string& bits, int pad = 0)
{
    Bytes out;
    int n = 0;
    for (char c : bits) {
        if (c != '0' && c != '1') continue;
        if (n % 8 == 0) out.push_back(0);
        if (c == '1') out.back() = uint8_t(out.back() | (0x80 >> (n % 8)));
        ++n;
    }
    if (pad && n % 8) out.back() = uint8_t(out.back() | ((1 << (8 - n % 8)) - 1));
    return out;
}

inline Bytes Joined(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Seeded random bytes.
inline Bytes RandomBytes(size_t n, uint32_t seed)
{
    Bytes b(n);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& v : b) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        v = uint8_t(x >> 3);
    }
    return b;
}

} // namespace dectest
