// The program's picture formats, registered once in this order; the order of the classes is the
// order in which content sniffing asks them. A new format adds its rows here.
#include "formats/BitmapGraphic.h"
#include "formats/FileFormatList.h"
#include "formats/GifGraphic.h"
#include "formats/JpegFormat.h"
#include "formats/PngGraphic.h"
#include "formats/TiffGraphic.h"

namespace {
struct TFormatRegistration
{
    const char* Extension;
    const TGraphicClass& (*GraphicClass)();
    const char* Common;
    const char* Individual;
    TFormatKinds FormatTypes;
};

const TFormatRegistration kRegistrations[] = {
    {"bmp", &TBitmapGraphic::Class, "Windows Bitmap", "", FormatKind::Raster},
    {"jfif", &JpegGraphicClass, "JPEG/JFIF compliant", "JPEG/JFIF compliant", FormatKind::Raster},
    {"jpg", &JpegGraphicClass, "", "JPEG/JFIF compliant", FormatKind::Raster},
    {"jpe", &JpegGraphicClass, "", "JPEG/JFIF compliant", FormatKind::Raster},
    {"jpeg", &JpegGraphicClass, "", "JPEG/JFIF compliant", FormatKind::Raster},
    {"rle", &TBitmapGraphic::Class, "Windows Bitmap", "Run length encoded Windows bitmaps",
     FormatKind::Raster},
    {"dib", &TBitmapGraphic::Class, "", "Device independant Windows bitmaps", FormatKind::Raster},
    {"tiff", &TTIFFGraphic::Class, "Tagged Image File Format (TIFF)", "Macintosh TIFF images",
     FormatKind::Raster | FormatKind::MultiImage},
    {"tif", &TTIFFGraphic::Class, "", "PC TIF images", FormatKind::Raster | FormatKind::MultiImage},
    {"fax", &TTIFFGraphic::Class, "", "GFI fax", FormatKind::Raster | FormatKind::MultiImage},
    {"eps", &TEPSGraphic::Class, "Encapsulated Postscript", "", FormatKind::Raster},
    {"gif", &TGIFGraphic::Class, "Graphics Interchange Format (GIF)", "", FormatKind::Raster | FormatKind::MultiImage |
     FormatKind::Animation},
    {"png", &TPNGGraphic::Class, "Portable Network Graphic (PNG)", "", FormatKind::Raster},
};
} // namespace

void RegisterStandardFormats(TFileFormatList& list)
{
    for (const auto& r : kRegistrations)
        list.RegisterFileFormat(r.Extension, r.Common, r.Individual, r.FormatTypes, false, r.GraphicClass());
}

const TFileFormatList& FileFormatList()
{
    static const TFileFormatList* const list = [] {
        auto* l = new TFileFormatList;
        RegisterStandardFormats(*l);
        return l;
    }();
    return *list;
}
