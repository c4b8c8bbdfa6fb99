#include "formats/FormatGraphic.h"

#include "common/CommLib.h"
#include "formats/FormatErrors.h"
#include "formats/SafeLoad.h"
#include "platform/BmpFile.h"
#include "platform/Exceptions.h"

bool TFormatGraphic::ReadImageProperties(TStream&, unsigned)
{
    ImageProperties = TImageProperties{};
    return false;
}

void TFormatGraphic::LoadFromStream(TStream& stream)
{
    FBitmap = TBitmap();
    FBitmap.Modified();
    BasePosition = stream.Position();
    Stream = &stream;
    struct StreamReset
    {
        TStream*& s;
        ~StreamReset() { s = nullptr; }
    } reset{Stream};

    if (!ReadImageProperties(stream, 0)) {
        if (QuietOnRefusedHeader()) return;
        FormatError(InvalidImageText, ShortName());
    }
    stream.SetPosition(BasePosition);
    ProgressRect = Rect(0, 0, ImageProperties.Width, 1);
    TBitmap target;
    LoadImageData(stream, target);
    FBitmap = std::move(target);
    FBitmap.Modified();
    ProgressEnding();
}

void TFormatGraphic::SaveToStream(TStream& stream) { SaveBmpToStream(FBitmap, stream); }

void TFormatGraphic::Assign(TGraphic& source)
{
    if (&source == this) return;
    if (auto* format = dynamic_cast<TFormatGraphic*>(&source)) ImageProperties = format->ImageProperties;
    const TBitmap* bitmap = source.GetBitmap();
    FBitmap = bitmap ? *bitmap : TBitmap();
    FBitmap.Modified();
}

void TFormatGraphic::ProgressStarting(const std::string& message)
{
    Progress(TProgressStage::psStarting, 0, false, ProgressRect, message);
}

void TFormatGraphic::ProgressRowDone(int rowsDone)
{
    const int height = ImageProperties.Height;
    const int percent = height > 0 ? MulDiv(rowsDone, 100, height) : 100;
    Progress(TProgressStage::psRunning, percent, true, ProgressRect, std::string());
    ProgressRect.Top += 1;
    ProgressRect.Bottom += 1;
}

void TFormatGraphic::ProgressEnding() { Progress(TProgressStage::psEnding, 0, false, ProgressRect, std::string()); }

void TFormatGraphic::PrepareTarget(TBitmap& target, TPixelFormat format) const
{
    safeload::PrepareBitmap(target, ImageProperties.Width, ImageProperties.Height, format);
}
