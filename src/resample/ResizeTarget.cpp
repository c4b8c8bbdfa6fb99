#include "resample/ResizeTarget.h"

#include "resample/ResampleSize.h"
#include "platform/Exceptions.h"
#include "platform/Format.h"

bool ResizeIsNoOp(const TResamplingOptions& Options, int32_t Width, int32_t Height)
{
    int32_t newWidth, newHeight;
    CalcResampleSize(newWidth, newHeight, Options, Width, Height);
    if (Options.Purpose == 1) return Width <= newWidth && Height <= newHeight; // a thumbnail never enlarges
    if (Options.Purpose == 0) {
        bool widthKept = Options.Width == 0 || (Options.Width > 0 && newWidth == Width);
        bool heightKept = Options.Height == 0 || (Options.Height > 0 && newHeight == Height);
        return widthKept && heightKept;
    }
    return int64_t(newWidth) + newHeight == 0;
}

std::unique_ptr<TBitmap> CreateResizedBitmap(const TResamplingOptions& Options, int32_t Width, int32_t Height)
{
    int32_t newWidth, newHeight;
    CalcResampleSize(newWidth, newHeight, Options, Width, Height);
    if (newWidth < 1 || newHeight < 1)
        throw EInvalidGraphicOperation(
            Format("The resized picture would be %d x %d pixels; both sides must be at least 1", newWidth,
                   newHeight));
    TBitmap::CheckSize(newWidth, newHeight, 24);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(TPixelFormat::pf24bit);
    bitmap->SetSize(newWidth, newHeight);
    return bitmap;
}
