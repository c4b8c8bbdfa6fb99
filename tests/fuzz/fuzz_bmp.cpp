// BMP reader on arbitrary bytes: only the documented exceptions may leave it, and a failed read
// leaves the bitmap as it was.
#include "FuzzSupport.h"
#include "platform/BmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream stream(std::vector<uint8_t>(data, data + size));
    TBitmap bmp(3, 2, TPixelFormat::pf24bit);
    if (!fuzzsupport::Allowing<EInvalidGraphic, EOutOfResources>([&] { LoadBmpFromStream(bmp, stream); })) {
        if (bmp.Width() != 3 || bmp.Height() != 2 || bmp.PixelFormat() != TPixelFormat::pf24bit) std::abort();
        return 0;
    }
    // Touch every row so a bitmap whose rows were never allocated shows up.
    volatile uint8_t sink = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        if (bmp.Width() > 0) sink = sink ^ bmp.ScanLine(y)[0];
    return 0;
}
