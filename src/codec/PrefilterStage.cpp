#include "codec/PrefilterStage.h"

#include <algorithm>
#include <cstring>

#include "codec/Prefilter.h"
#include "platform/Geometry.h"

namespace {
// Parameters the encoder gives every filter call.
constexpr int EncoderParam5 = 50;
constexpr int EncoderParam6 = 7;
} // namespace

bool TPrefilterPass::On() const
{
    return PrefilterKindOf(ActiveFilter) != 0 && Strength > 0;
}

TBitmap ApplyPrefilters(const TBitmap& src24, const TPrefilterStage& stage,
                        const std::function<void(int done, int total)>& progress)
{
    const int w = src24.Width(), h = src24.Height();
    TBitmap out(w, h, TPixelFormat::pf24bit);
    const bool mainOn = stage.Main.On();
    const bool selOn = stage.Mask && stage.Selection.On();
    if (!mainOn && !selOn) {
        for (int y = 0; y < h; ++y)
            std::memcpy(out.ScanLine(y), src24.ScanLine(y), size_t(w) * 3);
        return out;
    }
    TPrefilterBuffer buffer;
    buffer.Threads = stage.Threads;
    const int bandRows = std::max(stage.BandRows, 1);
    TBitmap work(w, std::min(bandRows, h), TPixelFormat::pf24bit);
    const int bands = (h + bandRows - 1) / bandRows;
    for (int band = 0; band < bands; ++band) {
        const int top = band * bandRows;
        const int rows = std::min(bandRows, h - top);
        const TRect r = Rect(0, top, w, top + rows);
        // Each pass is told whether it is the only one, so that the pixels it leaves are copied.
        if (mainOn)
            ApplyEffect(src24, r, stage.Main.Radius, stage.Main.Strength, EncoderParam5, EncoderParam6, 0,
                        !selOn, PrefilterKindOf(stage.Main.ActiveFilter), stage.Mask, buffer, work);
        if (selOn)
            ApplyEffect(src24, r, stage.Selection.Radius, stage.Selection.Strength, EncoderParam5,
                        EncoderParam6, 255, !mainOn, PrefilterKindOf(stage.Selection.ActiveFilter),
                        stage.Mask, buffer, work);
        for (int y = 0; y < rows; ++y)
            std::memcpy(out.ScanLine(top + y), work.ScanLine(y), size_t(w) * 3);
        if (progress) progress(band + 1, bands);
    }
    return out;
}
