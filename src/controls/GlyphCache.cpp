#include "controls/GlyphCache.h"

#include <QPainter>

#include "controls/ButtonGlyphLayout.h"
#include "platform/Exceptions.h"

namespace {
TGlyphCache* GCache = nullptr;
int GLiveGlyphs = 0;
} // namespace

// ---- TGlyphList ----

int TGlyphList::Add(const QImage& image)
{
    if (image.width() != FWidth || image.height() != FHeight) throw EInvalidOperation("Invalid image size");
    size_t slot = 0;
    while (slot < FUsed.size() && FUsed[slot]) ++slot;
    if (slot == FUsed.size()) {
        FUsed.push_back(false);
        FImages.emplace_back();
    }
    FImages[slot] = image;
    FUsed[slot] = true;
    ++FCount;
    return int(slot);
}

void TGlyphList::Replace(int index, const QImage& image)
{
    if (!Used(index) || image.width() != FWidth || image.height() != FHeight)
        throw EInvalidOperation("Unable to Replace Image");
    FImages[size_t(index)] = image;
}

void TGlyphList::Delete(int index)
{
    if (!Used(index)) return;
    FUsed[size_t(index)] = false;
    FImages[size_t(index)] = QImage();
    --FCount;
}

const QImage& TGlyphList::Image(int index) const
{
    static const QImage empty;
    return Used(index) ? FImages[size_t(index)] : empty;
}

// ---- TGlyphCache ----

TGlyphCache& TGlyphCache::Instance()
{
    if (!GCache) GCache = new TGlyphCache;
    return *GCache;
}

bool TGlyphCache::Exists() { return GCache != nullptr; }

TGlyphList* TGlyphCache::GetList(int width, int height)
{
    std::unique_ptr<TGlyphList>& list = FLists[{width, height}];
    if (!list) list = std::make_unique<TGlyphList>(width, height);
    return list.get();
}

void TGlyphCache::Release(TGlyphList* list, int index)
{
    list->Delete(index);
    if (list->Count() == 0) FLists.erase({list->Width(), list->Height()});
    ReleaseIfUnused();
}

void TGlyphCache::ReleaseIfUnused()
{
    if (GCache && GCache->FLists.empty() && GLiveGlyphs == 0) {
        delete GCache;
        GCache = nullptr;
    }
}

// ---- Pictures ----

QImage TransparentGlyph(const QImage& picture, const QImage& mask)
{
    if (picture.isNull()) return {};
    if (picture.hasAlphaChannel()) return picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    if (!mask.isNull()) {
        const QImage m = mask.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < out.height(); ++y)
            for (int x = 0; x < out.width(); ++x)
                if (x < m.width() && y < m.height() && (m.pixel(x, y) & 0xFFFFFFu) == 0xFFFFFFu) out.setPixel(x, y, 0);
    } else {
        const QRgb key = out.pixel(0, out.height() - 1) | 0xFF000000u;
        for (int y = 0; y < out.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < out.width(); ++x)
                if (line[x] == key) line[x] = 0;
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage DisabledGlyph(const QImage& prepared, const TDisabledColors& colors, bool oldStyle)
{
    if (prepared.isNull()) return {};
    const QImage src = prepared.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_ARGB32);
    out.setDevicePixelRatio(src.devicePixelRatio());
    out.fill(Qt::transparent);
    const auto visible = [&](int x, int y) { return qAlpha(src.pixel(x, y)) >= 128; };
    const auto white = [&](int x, int y) { return (src.pixel(x, y) & 0xFFFFFFu) == 0xFFFFFFu; };
    // The embossed copy lies one device-independent pixel down and right.
    const int shift = std::max(1, qRound(src.devicePixelRatio()));
    const QRgb highlight = colors.Highlight.rgb() | 0xFF000000u, shadow = colors.Shadow.rgb() | 0xFF000000u;
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x) {
            if (!visible(x, y)) continue;
            if (oldStyle) {
                if (white(x, y)) continue;
                if (x + shift < out.width() && y + shift < out.height())
                    out.setPixel(x + shift, y + shift, highlight);
            } else {
                out.setPixel(x, y, white(x, y) ? highlight : shadow);
            }
        }
    if (oldStyle)
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x)
                if (visible(x, y) && !white(x, y)) out.setPixel(x, y, shadow);
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// ---- TButtonGlyph ----

TButtonGlyph::TButtonGlyph() { ++GLiveGlyphs; }

TButtonGlyph::~TButtonGlyph()
{
    Invalidate();
    --GLiveGlyphs;
    TGlyphCache::ReleaseIfUnused();
}

int TButtonGlyph::LiveCount() { return GLiveGlyphs; }

void TButtonGlyph::Invalidate()
{
    // The list goes with its last image, which is the last of these slots at the latest.
    TGlyphList* list = FList;
    FList = nullptr;
    for (int& slot : FSlots) {
        if (slot >= 0 && list) TGlyphCache::Instance().Release(list, slot);
        slot = -1;
    }
}

void TButtonGlyph::SetGlyph(const QImage& glyph)
{
    Invalidate();
    FGlyph = glyph;
    FNumGlyphs = FImages ? 1 : NumGlyphsOf(glyph.width(), glyph.height());
}

void TButtonGlyph::SetGlyphMask(const QImage& mask)
{
    Invalidate();
    FMask = mask;
}

void TButtonGlyph::SetNumGlyphs(int value)
{
    value = FImages ? 1 : ClampNumGlyphs(value);
    if (value == FNumGlyphs) return;
    Invalidate();
    FNumGlyphs = value;
}

void TButtonGlyph::SetImages(const QList<QPixmap>* images)
{
    if (images == FImages) return;
    Invalidate();
    FImages = images;
    FNumGlyphs = images ? 1 : NumGlyphsOf(FGlyph.width(), FGlyph.height());
}

void TButtonGlyph::SetImageIndex(int index)
{
    if (index == FImageIndex) return;
    Invalidate();
    FImageIndex = index;
}

void TButtonGlyph::SetOldDisabledStyle(bool value)
{
    if (value == FOldDisabledStyle) return;
    Invalidate();
    FOldDisabledStyle = value;
}

void TButtonGlyph::SetDisabledColors(const TDisabledColors& colors)
{
    if (colors == FColors) return;
    FColors = colors;
    // Only a generated disabled image depends on the colours.
    int& slot = FSlots[size_t(TButtonState::bsDisabled)];
    if (slot < 0 || !FList || FNumGlyphs > int(TButtonState::bsDisabled)) return;
    TGlyphList* list = FList;
    TGlyphCache::Instance().Release(list, slot);
    slot = -1;
    bool any = false;
    for (int other : FSlots) any = any || other >= 0;
    if (!any) FList = nullptr;
}

QSize TButtonGlyph::GlyphSize() const
{
    if (FImages) {
        if (FImageIndex < 0 || FImageIndex >= FImages->size()) return {};
        // Pictures drawn for a higher pixel ratio lay out at their device-independent size.
        return (*FImages)[FImageIndex].deviceIndependentSize().toSize();
    }
    if (FGlyph.isNull() || FGlyph.height() == 0) return {};
    const int w = FGlyph.width() / FNumGlyphs;
    return w > 0 ? QSize(w, FGlyph.height()) : QSize();
}

QImage TButtonGlyph::Source(int cell) const
{
    if (FImages) return TransparentGlyph((*FImages)[FImageIndex].toImage(), QImage());
    const QSize s = GlyphSize();
    const QImage picture = FGlyph.copy(cell * s.width(), 0, s.width(), s.height());
    const QImage mask = FMask.isNull() ? QImage() : FMask.copy(cell * s.width(), 0, s.width(), s.height());
    return TransparentGlyph(picture, mask);
}

QImage TButtonGlyph::Image(TButtonState state)
{
    const QSize s = GlyphSize();
    if (s.isEmpty()) return {};
    const size_t k = size_t(state);
    if (FSlots[k] >= 0 && FList) return FList->Image(FSlots[k]);
    const int cell = int(state);
    QImage image;
    if (!FImages && cell < FNumGlyphs) image = Source(cell);
    else if (state == TButtonState::bsDisabled) image = DisabledGlyph(Source(0), FColors, FOldDisabledStyle);
    else image = Source(0);
    TGlyphList* list = FList ? FList : TGlyphCache::Instance().GetList(image.width(), image.height());
    FSlots[k] = list->Add(image);
    FList = list;
    return image;
}
