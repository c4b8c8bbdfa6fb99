// JPEG header reading and decoding on arbitrary bytes. The last input byte picks the decoder
// options (bytes after the end-of-image marker do not matter to the decoder), so one corpus covers
// every scale, the 8-bit quantised output, fast decoding and the progressive display. The byte is
// taken relative to 0xD9, so a whole file (which ends with the end-of-image marker) decodes plainly.
#include "FuzzSupport.h"
#include "codec/JPEGImage.h"
#include "codec/JpegDecode.h"
#include "codec/JpegGlue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t options = size ? uint8_t(data[size - 1] ^ 0xD9) : 0;
    TJPEGImage image;
    // Bits 0-1 scale, 2 the 8-bit output, 3 the progressive display, 4 fast decoding, 5 two-pass
    // quantisation; bits 6-7: 0 plain, 1 ordered dither with a given palette and no block smoothing,
    // 2 no dither, 3 the length-prefixed ReadData form.
    const int mode = options >> 6;
    image.Scale = options & 3;
    image.PixelFormat8Bit = (options & 4) != 0;
    image.ProgressiveDisplay = (options & 8) != 0;
    image.FastDecode = (options & 16) != 0;
    image.TwoPassQuantize = (options & 32) != 0;
    image.DitherMode = mode == 1 ? 1 : mode == 2 ? 0 : 2;
    image.BlockSmoothing = mode != 1;
    if (mode == 1) {
        TPaletteEntries palette(16);
        for (size_t i = 0; i < palette.size(); ++i)
            palette[i] = TRGBQuad{uint8_t(i * 16), uint8_t(i * 8), uint8_t(255 - i), 0};
        image.Palette = palette;
    }
    fuzzsupport::Allowing<EInvalidGraphic, EOutOfResources, EReadError>([&] { // EJPEG is an EInvalidGraphic
        // Mode 3: the length-prefixed form, whose length ReadData takes from the stream's first 4 bytes.
        TMemoryStream stream(std::vector<uint8_t>(data, data + size));
        mode == 3 ? image.ReadData(stream) : image.LoadFromStream(stream);
        RecalcScaledSize(image);
        TBitmap* bmp = DecodeJpeg(image);
        if (bmp && (bmp->Width() != image.ScaledWidth || bmp->Height() != image.ScaledHeight))
            __builtin_trap();
    });
    return 0;
}
