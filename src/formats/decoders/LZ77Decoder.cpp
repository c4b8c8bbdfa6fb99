#include "formats/decoders/LZ77Decoder.h"

namespace {
constexpr const char* LZ77ErrorText = "LZ77 decompression error.";
}

TLZ77Decoder::TLZ77Decoder(int32_t flushMode, bool autoReset) : FFlushMode(flushMode), FAutoReset(autoReset) {}

TLZ77Decoder::~TLZ77Decoder()
{
    if (FOpen) inflateEnd(&FStream);
}

void TLZ77Decoder::DecodeInit()
{
    if (FOpen) inflateEnd(&FStream);
    FOpen = false;
    FStream = z_stream{};
    FZLibResult = inflateInit(&FStream);
    if (FZLibResult < 0) RaiseDecoderError(LZ77ErrorText);
    FOpen = true;
}

void TLZ77Decoder::Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize)
{
    if (!FOpen) return;
    if (FAutoReset) FZLibResult = inflateReset(&FStream);
    if (FZLibResult != Z_OK && FZLibResult != Z_BUF_ERROR) return;
    FStream.next_in = const_cast<Bytef*>(source);
    FStream.avail_in = packedSize > 0 ? uInt(packedSize) : 0;
    FStream.next_out = dest;
    FStream.avail_out = unpackedSize > 0 ? uInt(unpackedSize) : 0;
    if (packedSize <= 0 || unpackedSize <= 0) return;
    FZLibResult = inflate(&FStream, FFlushMode);
    source = FStream.next_in;
    dest = FStream.next_out;
}

void TLZ77Decoder::DecodeEnd()
{
    if (!FOpen) return;
    FOpen = false;
    FZLibResult = inflateEnd(&FStream);
    if (FZLibResult < 0) RaiseDecoderError(LZ77ErrorText);
}
