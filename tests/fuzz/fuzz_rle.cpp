// The run-length decoders on arbitrary data: the choice byte picks the decoder (Targa with each
// depth, PackBits, PCX, SGI 8 and 16, CUT, PSP, RLA); Targa decodes in rows of the output size,
// carrying its packets from row to row, until its input is used up.
#include "DecoderFuzz.h"
#include "formats/decoders/RunLengthDecoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::TDecoderCall call;
    if (!fuzzsupport::ParseDecoderCall(data, size, call)) return 0;
    const int32_t out = call.OutputBytes;
    switch (call.Choice % 12) {
    case 0: case 1: case 2: case 3: case 4: {
        static const int depths[] = {8, 16, 24, 32, 15};
        TTargaRLEDecoder targa(depths[call.Choice % 12]);
        const int bytes = (depths[call.Choice % 12] + 1) / 8, pixels = out % 300 + 1;
        targa.DecodeInit();
        std::vector<uint8_t> rest = call.Packed;
        for (int row = 0; row < 64 && !rest.empty(); ++row) {
            const std::unique_ptr<uint8_t[]> in(new uint8_t[rest.size()]);
            std::memcpy(in.get(), rest.data(), rest.size());
            std::vector<uint8_t> line(size_t(pixels * bytes));
            const uint8_t* source = in.get();
            uint8_t* dest = line.data();
            targa.Decode(source, dest, int32_t(rest.size()), pixels);
            const size_t used = size_t(source - in.get());
            if (used > rest.size()) __builtin_trap();
            if (used == 0) break;
            rest.erase(rest.begin(), rest.begin() + std::ptrdiff_t(used));
        }
        return 0;
    }
    case 5: { TPackbitsRLEDecoder d; fuzzsupport::DecodeExact(d, call.Packed, size_t(out), out); break; }
    case 6: { TPCXRLEDecoder d; fuzzsupport::DecodeExact(d, call.Packed, size_t(out), out); break; }
    case 7: { TSGIRLEDecoder d(8); fuzzsupport::DecodeExact(d, call.Packed, size_t(out), out); break; }
    case 8: { TSGIRLEDecoder d(16); fuzzsupport::DecodeExact(d, call.Packed, size_t(out), out); break; }
    case 9: { TCUTRLEDecoder d; fuzzsupport::DecodeExact(d, call.Packed, size_t(out), out); break; }
    case 10: { TPSPRLEDecoder d; fuzzsupport::DecodeExact(d, call.Packed, size_t(out), out); break; }
    default: { TRLADecoder d; fuzzsupport::DecodeExact(d, call.Packed, size_t(out), out); break; }
    }
    return 0;
}
