// The program's picture formats, registered once in this order; the order of the classes is the
// order in which content sniffing asks them. A new format adds its rows here.
#include "formats/BitmapGraphic.h"
#include "formats/FileFormatList.h"
#include "formats/AutodeskGraphic.h"
#include "formats/CutGraphic.h"
#include "formats/GifGraphic.h"
#include "formats/JpegFormat.h"
#include "formats/PcdGraphic.h"
#include "formats/PcxGraphic.h"
#include "formats/PngGraphic.h"
#include "formats/PpmGraphic.h"
#include "formats/PsdGraphic.h"
#include "formats/PspGraphic.h"
#include "formats/RlaGraphic.h"
#include "formats/SgiGraphic.h"
#include "formats/TargaGraphic.h"
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
    {"win", &TTargaGraphic::Class, "Truevision Targa", "", FormatKind::Raster},
    {"vst", &TTargaGraphic::Class, "", "", FormatKind::Raster},
    {"vda", &TTargaGraphic::Class, "", "", FormatKind::Raster},
    {"tga", &TTargaGraphic::Class, "", "", FormatKind::Raster},
    {"icb", &TTargaGraphic::Class, "", "", FormatKind::Raster},
    {"tiff", &TTIFFGraphic::Class, "Tagged Image File Format (TIFF)", "Macintosh TIFF images",
     FormatKind::Raster | FormatKind::MultiImage},
    {"tif", &TTIFFGraphic::Class, "", "PC TIF images", FormatKind::Raster | FormatKind::MultiImage},
    {"fax", &TTIFFGraphic::Class, "", "GFI fax", FormatKind::Raster | FormatKind::MultiImage},
    {"eps", &TEPSGraphic::Class, "Encapsulated Postscript", "", FormatKind::Raster},
    {"pcx", &TPCXGraphic::Class, "ZSoft Paintbrush (PCX)", "", FormatKind::Raster},
    {"pcc", &TPCXGraphic::Class, "", "", FormatKind::Raster},
    {"rpf", &TRLAGraphic::Class, "Alias/Wavefront", "", FormatKind::Raster},
    {"rla", &TRLAGraphic::Class, "", "", FormatKind::Raster},
    {"sgi", &TSGIGraphic::Class, "SGI", "SGI true color images", FormatKind::Raster},
    {"rgba", &TSGIGraphic::Class, "", "SGI true color images with alpha", FormatKind::Raster},
    {"rgb", &TSGIGraphic::Class, "", "SGI true color images", FormatKind::Raster},
    {"bw", &TSGIGraphic::Class, "", "SGI black/white images", FormatKind::Raster},
    {"psd", &TPSDGraphic::Class, "Adobe Photoshop", "", FormatKind::Raster | FormatKind::Layered},
    {"pdd", &TPSDGraphic::Class, "", "", FormatKind::Raster | FormatKind::Layered},
    {"ppm", &TPPMGraphic::Class, "Portable Bitmap/Pixel Map", "Portable pixel map images", FormatKind::Raster},
    {"pgm", &TPPMGraphic::Class, "", "Portable gray map images", FormatKind::Raster},
    {"pbm", &TPPMGraphic::Class, "", "Portable bitmap images", FormatKind::Raster},
    {"cel", &TAutodeskGraphic::Class, "Autodesk", "", FormatKind::Raster},
    {"pic", &TAutodeskGraphic::Class, "Autodesk", "", FormatKind::Raster},
    {"pcd", &TPCDGraphic::Class, "Kodak Photo-CD", "", FormatKind::Raster},
    {"gif", &TGIFGraphic::Class, "Graphics Interchange Format (GIF)", "", FormatKind::Raster | FormatKind::MultiImage |
     FormatKind::Animation},
    {"cut", &TCUTGraphic::Class, "Dr. Halo", "", FormatKind::Raster},
    {"psp", &TPSPGraphic::Class, "Paint Shop Pro", "", FormatKind::Raster | FormatKind::Vector},
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
