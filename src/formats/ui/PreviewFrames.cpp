#include "formats/ui/PreviewFrames.h"

#include <algorithm>

#include "common/CommLib.h"

int ToggleDisplayOption(int options, int bit)
{
    if (bit == pdoTime28k || bit == pdoTime56k) {
        const int other = bit == pdoTime28k ? pdoTime56k : pdoTime28k;
        return (options & bit) ? (options & ~bit) : ((options | bit) & ~other);
    }
    return options ^ bit;
}

int SetDisplayOption(int options, int bit, bool on) { return on ? (options | bit) : (options & ~bit); }

QRect PreviewRect(int picW, int picH, int boxW, int boxH)
{
    if (picW < 1 || picH < 1 || boxW < 1 || boxH < 1) return QRect();
    int w = picW, h = picH;
    if (w > boxW || h > boxH) {
        // Compare boxW / picW with boxH / picH without rounding: the smaller scale wins.
        if (int64_t(boxW) * picH <= int64_t(boxH) * picW) {
            w = boxW;
            h = MulDiv(picH, boxW, picW);
        } else {
            h = boxH;
            w = MulDiv(picW, boxH, picH);
        }
        w = std::max(w, 1);
        h = std::max(h, 1);
    }
    return QRect((boxW - w) / 2, (boxH - h) / 2, w, h);
}

int NextFadeStep(int step, bool smoothing)
{
    if (!smoothing) return 0;
    step -= FadeDecrement;
    return step > 0 ? step : 0;
}

namespace {

// (a x step + b x (100 - step)) / 100, rounded half to even.
inline uint8_t BlendByte(int a, int b, int step)
{
    const int sum = a * step + b * (FadeStart - step);
    int q = sum / FadeStart;
    const int r = sum % FadeStart;
    if (r * 2 > FadeStart || (r * 2 == FadeStart && (q & 1))) ++q;
    return uint8_t(q);
}

} // namespace

void BlendFrames(const QImage& old, const QImage& next, int step, QImage& out)
{
    if (out.size() != next.size() || out.format() != next.format()) out = QImage(next.size(), next.format());
    if (next.isNull()) return;
    if (old.size() != next.size() || old.format() != next.format() || step <= 0) {
        out = next.copy();
        return;
    }
    if (step >= FadeStart) {
        out = old.copy();
        return;
    }
    const int rowBytes = int(next.bytesPerLine());
    for (int y = 0; y < next.height(); ++y) {
        const uint8_t* a = old.constScanLine(y);
        const uint8_t* b = next.constScanLine(y);
        uint8_t* o = out.scanLine(y);
        for (int i = 0; i < rowBytes; ++i) o[i] = BlendByte(a[i], b[i], step);
    }
}
