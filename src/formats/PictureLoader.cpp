#include "formats/PictureLoader.h"

#include "codec/JPEGImage.h"
#include "formats/BitmapGraphic.h"
#include "formats/FileFormatList.h"
#include "formats/JpegFormat.h"
#include "formats/Picture.h"
#include "platform/Exceptions.h"
#include "platform/FileKind.h"
#include "platform/Stream.h"

namespace {
// Answers whether the file starts with the two bytes; true when it cannot be opened.
bool StartsWith(const std::string& fileName, uint8_t first, uint8_t second)
{
    uint8_t head[256];
    int64_t got;
    try {
        TFileStream stream(fileName, fmOpenRead);
        got = stream.Read(head, sizeof head);
    } catch (const EStreamError&) {
        return true;
    }
    return got >= 2 && head[0] == first && head[1] == second;
}

// Clears the picture fields of info, keeping the file name, size and dates.
void KeepFileFieldsOnly(TImageFileInfo& info)
{
    TImageFileInfo kept;
    kept.FileName = std::move(info.FileName);
    kept.FileSize = info.FileSize;
    kept.Created = info.Created;
    kept.Modified = info.Modified;
    kept.FileInfoValid = info.FileInfoValid;
    info = std::move(kept);
}

// Creates a graphic of the class and loads the file into it; nullptr when that fails or leaves
// no picture.
std::unique_ptr<TGraphic> TryLoad(const TGraphicClass& cls, const std::string& fileName)
{
    try {
        std::unique_ptr<TGraphic> graphic = cls.Create();
        graphic->LoadFromFile(fileName);
        if (!graphic->Empty()) return graphic;
    } catch (const std::exception&) {
    }
    return nullptr;
}
} // namespace

bool IsBitmapFile(const std::string& fileName) { return StartsWith(fileName, 'B', 'M'); }
bool IsJpegFile(const std::string& fileName) { return StartsWith(fileName, 0xFF, 0xD8); }

std::unique_ptr<TGraphic> LoadGraphicByContent(const std::string& fileName)
{
    return LoadGraphicByContent(fileName, FileFormatList());
}

std::unique_ptr<TGraphic> LoadGraphicByContent(const std::string& fileName, const TFileFormatList& formats)
{
    if (IsBitmapFile(fileName))
        if (auto graphic = TryLoad(TBitmapGraphic::Class(), fileName)) return graphic;
    if (IsJpegFile(fileName))
        if (auto graphic = TryLoad(JpegGraphicClass(), fileName)) return graphic;
    if (const TGraphicClass* cls = formats.GraphicFromContent(fileName))
        if (auto graphic = TryLoad(*cls, fileName)) return graphic;
    return nullptr;
}

void LoadPicture(TPicture& picture, const std::string& fileName, bool fitToBox, int boxWidth, int boxHeight,
                 TImageFileInfo& info)
{
    LoadPicture(picture, fileName, fitToBox, boxWidth, boxHeight, info, FileFormatList());
}

void LoadPicture(TPicture& picture, const std::string& fileName, bool fitToBox, int boxWidth, int boxHeight,
                 TImageFileInfo& info, const TFileFormatList& formats)
{
    info = TImageFileInfo{};
    info.FileName = fileName;
    ReadFileSizeAndTimes(info);
    // A folder, a named pipe or a device is refused for what it is, before any format is tried.
    if (const std::string refusal = NotRegularFileMessage(info.FileName); !refusal.empty()) {
        picture.SetGraphic(nullptr);
        throw Exception(refusal);
    }

    std::string firstMessage;
    bool loaded = false;
    try {
        picture.LoadFromFile(info.FileName, formats);
        loaded = !picture.Empty();
        if (!loaded) firstMessage = EmptyPictureText;
    } catch (const std::exception& e) {
        firstMessage = e.what();
    }
    if (!loaded) {
        try {
            std::unique_ptr<TGraphic> graphic = LoadGraphicByContent(info.FileName, formats);
            if (graphic) {
                graphic->OnProgress = picture.OnProgress;
                info.LoadedByContent = true;
            }
            picture.SetGraphic(std::move(graphic));
        } catch (const std::exception&) {
            picture.SetGraphic(nullptr);
            throw Exception(firstMessage);
        }
        if (picture.Empty()) {
            picture.SetGraphic(nullptr);
            throw Exception(firstMessage);
        }
    }

    FillImageInfo(picture, info, formats);
    if (fitToBox && info.FormatIndex == ImageFormatJPEG) {
        if (auto* jpeg = dynamic_cast<TJPEGImage*>(picture.Graphic())) {
            try {
                info.JpegScale = jpeg->FitDecodeScale(boxWidth, boxHeight);
                jpeg->EnsureBitmap();
            } catch (const std::exception& e) {
                // The header was good but the pixels are not: no picture, only the file fields.
                const std::string message = e.what();
                picture.SetGraphic(nullptr);
                KeepFileFieldsOnly(info);
                throw Exception(message);
            }
        }
    }
}
