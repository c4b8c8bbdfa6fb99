#pragma once
// The arithmetic of a toolbar without widgets: how its controls line up (one line when docked,
// wrapped lines when floating with a wrap width), its bar size, and the list of sizes a floating
// toolbar snaps to while it is resized. Sizes go in, bounds and sizes come out; nothing here
// allocates once the caller's buffers have grown to the toolbar's size.
//
// "Along" runs in the layout's direction (x in a horizontal layout, y in a vertical one), "across"
// is the other axis; a control's length is its extent along, its thickness its extent across.
#include <algorithm>
#include <span>
#include <vector>

#include "platform/Geometry.h"

struct TToolbarItem
{
    int Width = 0, Height = 0; // the control's own size (a separator's is replaced by the layout)
    bool Separator = false;
    bool Blank = false;        // a separator that draws nothing
    int SizeHorz = 6;          // a separator's length along a horizontal line
    int SizeVert = 6;          // ... along a vertical line
    bool Counts = true;        // visible: takes part in the layout
};

struct TSeparatorLine
{
    int Across = 0; // where the next line starts; the etched line is drawn a little before it
    bool Blank = false;
    bool operator==(const TSeparatorLine&) const = default;
};

struct TToolbarLayoutInput
{
    std::span<const TToolbarItem> Items; // in layout order
    bool Floating = false;
    bool Vertical = false;
    int WrapWidth = 0; // 0 = no wrapping; only a floating toolbar wraps
};

struct TToolbarLayoutOutput
{
    std::vector<TRect> Bounds;         // per item, client coordinates; untouched for items that do not count
    std::vector<TSeparatorLine> Lines; // lines drawn between wrapped lines
    int ClientWidth = 0, ClientHeight = 0;
};

constexpr int KToolbarMinBar = 8;
constexpr int KSeparatorLineGap = 6; // extra room across for a line that replaces a separator

// The row thickness: the thickest counting control that is not a separator, at least 8.
int ToolbarBarSize(std::span<const TToolbarItem> items, bool vertical);

// Lays the items out. The output's vectors are reused: sized to the items, cleared, never shrunk.
void LayOutToolbar(const TToolbarLayoutInput& in, TToolbarLayoutOutput& out);

// ---- Snapping while a floating toolbar is resized ----

enum class TSnapEdge { Left, Right, Top, Bottom };

struct TSnapSize
{
    int Width = 0, Height = 0; // window size (client plus the floating frame)
    int Wrap = 0;              // the wrap width that gives it; 0 for the unwrapped layout
    bool operator==(const TSnapSize&) const = default;
};

struct TSnapLayout
{
    int ClientWidth = 0, ClientHeight = 0;
    bool Vertical = false;
    bool Offered = true; // false: a shape the toolbar would not keep, left out of the list
};

constexpr int KSnapTolerance = 12;

class TToolbarSnap
{
public:
    // `layout(wrap)` lays the toolbar out (without moving anything) with the given wrap width.
    // `current` is the window size when the resize starts.
    template <class F>
    void Begin(TSnapEdge edge, int nonClientWidth, int nonClientHeight, TPoint current, F&& layout)
    {
        FSizes.clear();
        FEdge = edge;
        const TSnapLayout unwrapped = layout(0);
        if (unwrapped.Offered) Record(unwrapped, 0, nonClientWidth, nonClientHeight);
        int wrap = unwrapped.ClientWidth - 1;
        while (wrap >= 8) {
            const TSnapLayout s = layout(wrap);
            if (s.Offered) Record(s, AlongLength(s), nonClientWidth, nonClientHeight);
            wrap = std::min(wrap, s.ClientWidth) - 1;
        }
        Finish(current);
    }
    // The rectangle the toolbar takes for the rectangle the cursor asks for (window bounds).
    TRect Track(const TRect& asked);
    // The wrap width of the size chosen last (0 = unwrapped).
    int ChosenWrap() const { return FChosenWrap; }
    // The window size chosen last (the size at the start before any move).
    TPoint ChosenSize() const { return FChosenSize; }
    int Tolerance() const { return FTolerance; }
    const std::vector<TSnapSize>& Sizes() const { return FSizes; }

private:
    static int AlongLength(const TSnapLayout& s) { return s.Vertical ? s.ClientHeight : s.ClientWidth; }
    void Record(const TSnapLayout& s, int wrap, int ncW, int ncH);
    void Finish(TPoint current);
    int Dim(int w, int h) const;

    std::vector<TSnapSize> FSizes;
    TSnapEdge FEdge = TSnapEdge::Right;
    int FTolerance = KSnapTolerance;
    int FCurrent = 0;      // the dimension chosen last
    int FLastAsked = 0;
    int FLastDirection = 0; // -1 shrinking, 1 growing, 0 before the first move
    int FChosenWrap = 0;
    TPoint FChosenSize;
};
