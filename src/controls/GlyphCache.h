#pragma once
// The pictures of the toolbar buttons, prepared once per state and shared: TGlyphList holds the
// prepared images of one size in slots (a bit set says which are used, a freed slot is taken again
// first), TGlyphCache hands out the list for a size and frees a list with its last image and itself
// with its last list once no TButtonGlyph is left. TButtonGlyph is one button's picture: a strip of
// up to five cells (up, disabled, down, latched, hot) or a picture of an image list, with the
// missing disabled image generated.
//
// Transparency: a picture with an alpha channel keeps it; with a mask picture, the mask's white
// pixels are transparent; otherwise the colour of the picture's bottom-left pixel is.
#include <QColor>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <map>
#include <memory>
#include <utility>
#include <vector>

enum class TButtonState { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3, bsMouseIn = 4 };

class TGlyphList
{
public:
    TGlyphList(int width, int height) : FWidth(width), FHeight(height) {}
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Takes the first free slot, growing the list when none is free. Raises EInvalidOperation
    // "Invalid image size" for an image of another size.
    int Add(const QImage& image);
    // Raises EInvalidOperation "Unable to Replace Image" for a slot that is not in use.
    void Replace(int index, const QImage& image);
    void Delete(int index);
    const QImage& Image(int index) const;
    bool Used(int index) const { return index >= 0 && size_t(index) < FUsed.size() && FUsed[size_t(index)]; }
    int Count() const { return FCount; }
    int Capacity() const { return int(FImages.size()); }

private:
    int FWidth, FHeight;
    std::vector<QImage> FImages;
    std::vector<bool> FUsed;
    int FCount = 0;
};

class TGlyphCache
{
public:
    // The process-wide cache, created on first use.
    static TGlyphCache& Instance();
    // Whether the cache exists now (for tests).
    static bool Exists();
    TGlyphList* GetList(int width, int height);
    // Frees the image's slot; a list left empty is freed, and the cache when it is empty and no
    // TButtonGlyph is left.
    void Release(TGlyphList* list, int index);
    int ListCount() const { return int(FLists.size()); }

private:
    friend class TButtonGlyph;
    static void ReleaseIfUnused();
    std::map<std::pair<int, int>, std::unique_ptr<TGlyphList>> FLists;
};

struct TDisabledColors
{
    QColor Face, Highlight, Shadow;
    bool operator==(const TDisabledColors&) const = default;
};

// A picture with its transparency applied: alpha kept, else the mask's white pixels, else the
// bottom-left pixel's colour made transparent.
QImage TransparentGlyph(const QImage& picture, const QImage& mask);
// The disabled look of a prepared (transparent) picture. New style: white pixels in the highlight
// colour, every other visible pixel in the shadow colour. Old style: the picture's non-white pixels
// embossed, a highlight copy one pixel right and down under a shadow copy.
QImage DisabledGlyph(const QImage& prepared, const TDisabledColors& colors, bool oldStyle);

class TButtonGlyph
{
public:
    TButtonGlyph();
    ~TButtonGlyph();
    TButtonGlyph(const TButtonGlyph&) = delete;
    TButtonGlyph& operator=(const TButtonGlyph&) = delete;

    const QImage& Glyph() const { return FGlyph; }
    // Also sets NumGlyphs from the strip's shape.
    void SetGlyph(const QImage& glyph);
    const QImage& GlyphMask() const { return FMask; }
    void SetGlyphMask(const QImage& mask);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int value);
    const QList<QPixmap>* Images() const { return FImages; }
    int ImageIndex() const { return FImageIndex; }
    void SetImages(const QList<QPixmap>* images);
    void SetImageIndex(int index);
    void SetOldDisabledStyle(bool value);
    void SetDisabledColors(const TDisabledColors& colors);

    // The cell size; (0, 0) when there is nothing to draw.
    QSize GlyphSize() const;
    // The prepared image of a state (null when there is nothing to draw).
    QImage Image(TButtonState state);
    // The cache slot of a prepared state (-1 when not prepared), for tests.
    int Slot(TButtonState state) const { return FSlots[size_t(state)]; }
    static int LiveCount();

private:
    void Invalidate();
    QImage Source(int cell) const;

    QImage FGlyph, FMask;
    int FNumGlyphs = 1;
    const QList<QPixmap>* FImages = nullptr;
    int FImageIndex = -1;
    bool FOldDisabledStyle = false;
    TDisabledColors FColors;
    TGlyphList* FList = nullptr;
    int FSlots[5] = {-1, -1, -1, -1, -1};
};
