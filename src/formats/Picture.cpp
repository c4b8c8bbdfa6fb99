#include "formats/Picture.h"

#include "formats/FileFormatList.h"
#include "platform/Exceptions.h"

std::string ExtractFileExtension(const std::string& fileName)
{
    size_t slash = fileName.find_last_of('/');
    size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
    return fileName.substr(dot + 1);
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
