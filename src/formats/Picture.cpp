#include "formats/Picture.h"

#include "common/CommLib.h"
#include "formats/FileFormatList.h"
#include "platform/Exceptions.h"

void TPicture::LoadFromFile(const std::string& fileName) { LoadFromFile(fileName, FileFormatList()); }

void TPicture::LoadFromFile(const std::string& fileName, const TFileFormatList& formats)
{
    std::string extension = ExtractFileExt(fileName);
    if (!extension.empty()) extension.erase(0, 1); // without its dot
    const TGraphicClass* cls = formats.FindPictureClass(extension);
    if (!cls) throw EInvalidGraphic("Unknown picture file extension (." + extension + ")");
    std::unique_ptr<TGraphic> graphic = cls->Create();
    graphic->OnProgress = OnProgress;
    graphic->LoadFromFile(fileName);
    FGraphic = std::move(graphic);
}
