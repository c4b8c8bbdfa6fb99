// Picture loading by file name (extension first, then content sniffing) on arbitrary bytes. The
// last input byte picks the extension and whether a JPEG is decoded to fit a preview box.
#include "FuzzSupport.h"
#include "formats/Picture.h"
#include "formats/PictureLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* const extensions[] = {"bmp", "jpg", "dib", "dat"};
    const uint8_t options = size ? data[size - 1] : 0;
    const std::string name = fuzzsupport::WriteScratchFile(data, size, extensions[options & 3]);
    TPicture picture;
    TImageFileInfo info;
    fuzzsupport::Allowing<Exception>([&] {
        LoadPicture(picture, name, (options & 4) != 0, 1 + (options >> 3) * 8, 1 + (options >> 4) * 16, info);
        if (picture.Graphic()) (void)picture.Graphic()->GetBitmap();
    });
    return 0;
}
