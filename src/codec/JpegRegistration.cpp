#include "codec/JPEGImage.h"

void RegisterJpegFormat(const TRegisterGraphicFn& add)
{
    static const char* const extensions[] = {"jpg", "jpeg", "jpe", "jfif"};
    for (const char* ext : extensions)
        add(ext, "JPEG Image File", [] { return std::unique_ptr<TGraphic>(std::make_unique<TJPEGImage>()); });
}
