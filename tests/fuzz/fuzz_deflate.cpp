// The deflate decoder on arbitrary data: choice bit 0 picks a reset per call (TIFF strips) or one
// stream over the calls, bit 1 the flush mode (partial or finish); the data is fed in chunks of
// choice / 4 + 1 bytes into outputs of the output size, Source and Dest checked after each call.
#include <zlib.h>

#include "DecoderFuzz.h"
#include "formats/decoders/LZ77Decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::TDecoderCall call;
    if (!fuzzsupport::ParseDecoderCall(data, size, call)) return 0;
    TLZ77Decoder d(call.Choice & 2 ? Z_FINISH : Z_PARTIAL_FLUSH, call.Choice & 1);
    d.DecodeInit();
    const size_t chunk = size_t(call.Choice / 4) + 1;
    for (size_t at = 0; at < call.Packed.size(); at += chunk) {
        const size_t n = std::min(chunk, call.Packed.size() - at);
        std::vector<uint8_t> in(call.Packed.begin() + std::ptrdiff_t(at), call.Packed.begin() + std::ptrdiff_t(at + n));
        std::vector<uint8_t> out(size_t(call.OutputBytes));
        const uint8_t* source = in.data();
        uint8_t* dest = out.data();
        d.Decode(source, dest, int32_t(n), call.OutputBytes);
        if (source < in.data() || source > in.data() + n || dest < out.data() || dest > out.data() + out.size())
            __builtin_trap();
    }
    if (call.Choice & 4) d.DecodeEnd(); // else the destructor ends the stream
    return 0;
}
