// The LZW decoders on arbitrary data: an even choice byte picks TIFF, an odd one GIF with the
// minimum code size (choice / 2) % 13 (0 and 12 decode nothing).
#include "DecoderFuzz.h"
#include "formats/decoders/LzwDecoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::TDecoderCall call;
    if (!fuzzsupport::ParseDecoderCall(data, size, call)) return 0;
    if (call.Choice % 2 == 0) {
        TTIFFLZWDecoder d;
        fuzzsupport::DecodeExact(d, call.Packed, size_t(call.OutputBytes), call.OutputBytes);
    } else {
        TGIFLZWDecoder d((call.Choice / 2) % 13);
        fuzzsupport::DecodeExact(d, call.Packed, size_t(call.OutputBytes), call.OutputBytes);
        // The same decoder again: nothing of the first call may be left over.
        fuzzsupport::DecodeExact(d, call.Packed, size_t(call.OutputBytes) / 2, call.OutputBytes / 2);
    }
    return 0;
}
