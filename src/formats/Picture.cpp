#include "formats/Picture.h"

#include "common/CommLib.h"
#include "formats/FileFormatList.h"
#include "platform/Exceptions.h"

std::string ExtractFileExtension(const std::string& fileName)
{
    const std::string ext = ExtractFileExt(fileName);
    return ext.empty() ? ext : ext.substr(1);
}

void TPicture::LoadFromFile(const std::string& fileName) { LoadFromFile(fileName, FileFormatList()); }

void TPicture::LoadFromFile(const std::string& fileName, const TFileFormatList& formats)
{
    const std::string extension = ExtractFileExtension(fileName);
    const TGraphicClass* cls = formats.FindPictureClass(extension);
    if (!cls) throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
    std::unique_ptr<TGraphic> graphic = cls->Create();
    graphic->OnProgress = OnProgress;
    graphic->LoadFromFile(fileName);
    FGraphic = std::move(graphic);
}
