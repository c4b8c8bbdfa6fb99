#include "formats/JpegFormat.h"

#include "codec/JPEGImage.h"

const TGraphicClass& JpegGraphicClass()
{
    static const TGraphicClass cls = [] {
        // The JPEG unit hands out its factory through its registration function; every extension
        // it names creates the same class.
        TGraphicFactory factory;
        RegisterJpegFormat([&](const std::string&, const std::string&, TGraphicFactory f) {
            if (!factory) factory = std::move(f);
        });
        if (!factory) factory = [] { return std::unique_ptr<TGraphic>(std::make_unique<TJPEGImage>()); };
        return TGraphicClass{"TJPEGImage", std::type_index(typeid(TJPEGImage)), std::move(factory), {}};
    }();
    return cls;
}
