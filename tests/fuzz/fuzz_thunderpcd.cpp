// ThunderScan and Photo-CD on arbitrary data. Choice bit 0: ThunderScan with the width choice / 2
// pixels (0 decodes nothing) into the output size, or Photo-CD reading the data as its stream and
// correcting planes of the output size's width (1..2047) and 8 rows, cut by choice / 2 bytes.
#include <array>

#include "DecoderFuzz.h"
#include "formats/decoders/ThunderPhotoCdDecoders.h"
#include "platform/Stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::TDecoderCall call;
    if (!fuzzsupport::ParseDecoderCall(data, size, call)) return 0;
    if (call.Choice & 1) {
        TThunderDecoder d(call.Choice / 2);
        fuzzsupport::DecodeExact(d, call.Packed, size_t(call.OutputBytes), call.OutputBytes);
        return 0;
    }
    const int32_t width = (call.OutputBytes & 2047) + 1, height = 8;
    std::array<std::unique_ptr<uint8_t[]>, 3> planes;
    TPCDPlanes p;
    for (size_t i = 0; i < 3; ++i) {
        const int64_t full = int64_t(width) * (i == 0 ? height : height / 2);
        p.Size[i] = std::max<int64_t>(full - call.Choice / 2, 1);
        planes[i].reset(new uint8_t[size_t(p.Size[i])]());
        p.Plane[i] = planes[i].get();
    }
    TMemoryStream stream(call.Packed);
    TPCDDecoder d(stream);
    d.DecodePlanes(p, width, height);
    return 0;
}
