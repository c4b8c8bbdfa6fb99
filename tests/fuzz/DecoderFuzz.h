#pragma once
// Shared by the decompressor harnesses: the first three bytes of an input set the call up (a
// choice byte for the decoder and its parameters, then the output size, 16-bit little-endian); the
// rest is the compressed data. Input and output are copied into buffers of exactly their size, so
// the sanitizers catch any access beyond either.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzSupport.h"
#include "formats/Decoder.h"

namespace fuzzsupport {

struct TDecoderCall
{
    uint8_t Choice = 0;
    int32_t OutputBytes = 0;
    std::vector<uint8_t> Packed;
};

inline bool ParseDecoderCall(const uint8_t* data, size_t size, TDecoderCall& call)
{
    if (size < 3) return false;
    call.Choice = data[0];
    call.OutputBytes = int32_t(data[1] | data[2] << 8);
    call.Packed.assign(data + 3, data + size);
    return true;
}

// One Decode of the packed bytes into a fresh output of outputBytes (UnpackedSize: unpackedSize);
// Source must stay inside the input.
inline void DecodeExact(TDecoder& decoder, const std::vector<uint8_t>& packed, size_t outputBytes,
                        int32_t unpackedSize)
{
    const std::unique_ptr<uint8_t[]> in(new uint8_t[packed.size() ? packed.size() : 1]);
    if (!packed.empty()) std::memcpy(in.get(), packed.data(), packed.size());
    const std::unique_ptr<uint8_t[]> out(new uint8_t[outputBytes ? outputBytes : 1]);
    const uint8_t* source = in.get();
    uint8_t* dest = out.get();
    decoder.Decode(source, dest, int32_t(packed.size()), unpackedSize);
    if (source < in.get() || source > in.get() + packed.size()) __builtin_trap();
}

} // namespace fuzzsupport
