#pragma once
// Deflate (zlib) streams through zlib's inflate: TIFF strips with deflate compression and the
// compressed data of the formats that use zlib. The one decoder whose stream lives across Decode
// calls: DecodeInit starts it, DecodeEnd ends it (the destructor ends one DecodeEnd did not).
//
// Decode hands zlib PackedSize input bytes and UnpackedSize bytes of room and moves Source and Dest
// on by what zlib consumed and produced. With AutoReset every call is a stream of its own; without
// it, once a call has ended the stream or failed (ZLibResult neither Z_OK nor Z_BUF_ERROR, which
// only says that nothing could be done), later calls do nothing. A size of 0 or less is an empty
// chunk: zlib is not called. Bad data is reported through ZLibResult only; DecodeInit and
// DecodeEnd raise EGraphicCompression "LZ77 decompression error." when zlib refuses.
#include <cstdint>

#include <zlib.h>

#include "formats/Decoder.h"

class TLZ77Decoder : public TDecoder
{
public:
    TLZ77Decoder(int32_t flushMode, bool autoReset);
    ~TLZ77Decoder() override;
    TLZ77Decoder(const TLZ77Decoder&) = delete;
    TLZ77Decoder& operator=(const TLZ77Decoder&) = delete;

    void DecodeInit() override;
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
    void DecodeEnd() override;
    void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t& bytesStored) override { bytesStored = 0; }

    // Input bytes the last call did not consume; room left in its output.
    uint32_t AvailableInput() const { return FStream.avail_in; }
    uint32_t AvailableOutput() const { return FStream.avail_out; }
    int32_t ZLibResult() const { return FZLibResult; }

private:
    z_stream FStream{};
    int32_t FZLibResult = Z_OK;
    int32_t FFlushMode;
    bool FAutoReset;
    bool FOpen = false;
};
