// The fax decoders on arbitrary data: bit 0 of the choice byte picks group 3 with end-of-line
// codes or modified Huffman, bit 1 reversed bits, bit 2 word alignment; the width is the output
// size's low bits (0..2047), the rows as many as fit.
#include "DecoderFuzz.h"
#include "formats/decoders/CcittDecoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::TDecoderCall call;
    if (!fuzzsupport::ParseDecoderCall(data, size, call)) return 0;
    const uint32_t width = uint32_t(call.OutputBytes) & 2047;
    const size_t out = size_t(call.Choice >> 3) * ((width + 7) / 8) + (call.Choice & 0x80 ? 3 : 0);
    const bool swap = call.Choice & 2, words = call.Choice & 4;
    if (call.Choice & 1) {
        TCCITTFax3Decoder d(0, swap, words, width);
        fuzzsupport::DecodeExact(d, call.Packed, out, int32_t(out));
    } else {
        TCCITTMHDecoder d(0, swap, words, width);
        fuzzsupport::DecodeExact(d, call.Packed, out, int32_t(out));
    }
    return 0;
}
