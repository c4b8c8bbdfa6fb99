#include "controls/ToolbarLayout.h"

#include <algorithm>
#include <cstdlib>

namespace {

int LengthOf(const TToolbarItem& it, bool vertical)
{
    if (it.Separator) return vertical ? it.SizeVert : it.SizeHorz;
    return vertical ? it.Height : it.Width;
}
int ThicknessOf(const TToolbarItem& it, bool vertical) { return vertical ? it.Width : it.Height; }

struct TMargins
{
    int Lead = 0, Trail = 0, Top = 0, Bottom = 0;
};

} // namespace

int ToolbarBarSize(std::span<const TToolbarItem> items, bool vertical)
{
    int size = KToolbarMinBar;
    for (const TToolbarItem& it : items)
        if (it.Counts && !it.Separator) size = std::max(size, ThicknessOf(it, vertical));
    return size;
}

void LayOutToolbar(const TToolbarLayoutInput& in, TToolbarLayoutOutput& out)
{
    const auto items = in.Items;
    const size_t n = items.size();
    const bool v = in.Vertical;
    out.Bounds.resize(n);
    out.Lines.clear();
    const TMargins m = in.Floating ? TMargins{4, 4, 2, 1} : TMargins{};
    const int row = ToolbarBarSize(items, v);

    int wrap = 0;
    if (in.Floating && in.WrapWidth != 0) {
        int widest = 0;
        for (const TToolbarItem& it : items)
            if (it.Counts && !it.Separator) widest = std::max(widest, LengthOf(it, v));
        wrap = std::max(in.WrapWidth, widest + 8);
    }
    const auto passes = [&](int along, int length) { return wrap != 0 && along + length + m.Trail > wrap; };
    const auto place = [&](size_t i, int along, int across, int length, int thickness) {
        out.Bounds[i] = v ? Rect(across, along, across + thickness, along + length)
                          : Rect(along, across, along + length, across + thickness);
    };

    int along = m.Lead, across = m.Top, maxAlong = m.Lead;
    bool anyGroup = false, lineUsed = false, wrappedInGroup = false;
    long previousSeparator = -1; // the separator that ended the previous group
    size_t i = 0;
    while (i < n) {
        // A group: the counting controls up to and including the next separator.
        size_t end = i;
        int groupLength = 0;
        bool any = false;
        while (end < n) {
            const TToolbarItem& it = items[end++];
            if (!it.Counts) continue;
            any = true;
            if (it.Separator) break;
            groupLength += LengthOf(it, v);
        }
        if (!any) break;
        anyGroup = true;
        if (lineUsed && (passes(along, groupLength) || wrappedInGroup)) {
            along = m.Lead;
            if (previousSeparator >= 0) {
                across += row + KSeparatorLineGap;
                const TRect& b = out.Bounds[size_t(previousSeparator)];
                place(size_t(previousSeparator), v ? b.Top : b.Left, v ? b.Left : b.Top, 0, row);
                out.Lines.push_back({across, items[size_t(previousSeparator)].Blank});
            } else {
                across += row;
            }
            lineUsed = false;
        }
        wrappedInGroup = false;
        previousSeparator = -1;
        for (; i < end; ++i) {
            const TToolbarItem& it = items[i];
            if (!it.Counts) continue;
            const int length = LengthOf(it, v);
            if (it.Separator) {
                place(i, along, across, length, row);
                previousSeparator = long(i);
            } else {
                if (lineUsed && passes(along, length)) {
                    along = m.Lead;
                    across += row;
                    wrappedInGroup = true;
                }
                const int thickness = ThicknessOf(it, v);
                place(i, along, across + (row - thickness) / 2, length, thickness);
            }
            along += length;
            lineUsed = true;
            maxAlong = std::max(maxAlong, along);
        }
    }
    int length = maxAlong + m.Trail;
    if (!anyGroup) length = KToolbarMinBar + m.Lead + m.Trail;
    const int thickness = across + row + m.Bottom;
    out.ClientWidth = v ? thickness : length;
    out.ClientHeight = v ? length : thickness;
}

// ---- Snapping ----

int TToolbarSnap::Dim(int w, int h) const
{
    return FEdge == TSnapEdge::Left || FEdge == TSnapEdge::Right ? w : h;
}

void TToolbarSnap::Record(const TSnapLayout& s, int wrap, int ncW, int ncH)
{
    const TSnapSize size{s.ClientWidth + ncW, s.ClientHeight + ncH, wrap};
    if (!FSizes.empty() && FSizes.back().Height == size.Height) {
        if (size.Width < FSizes.back().Width) FSizes.back() = size;
        return;
    }
    for (const TSnapSize& have : FSizes)
        if (have.Width == size.Width && have.Height == size.Height) return;
    FSizes.push_back(size);
}

void TToolbarSnap::Finish(TPoint current)
{
    std::sort(FSizes.begin(), FSizes.end(),
              [this](const TSnapSize& a, const TSnapSize& b) { return Dim(a.Width, a.Height) > Dim(b.Width, b.Height); });
    FCurrent = Dim(current.X, current.Y);
    FLastAsked = FCurrent;
    FLastDirection = 0;
    FChosenWrap = 0;
    FChosenSize = current;
    for (const TSnapSize& s : FSizes)
        if (s.Width == current.X && s.Height == current.Y) FChosenWrap = s.Wrap;
    // Nearer neighbours than the tolerance shrink it, so a small move can still reach them.
    FTolerance = KSnapTolerance;
    for (const TSnapSize& s : FSizes) {
        const int d = std::abs(Dim(s.Width, s.Height) - FCurrent);
        if (d > 0) FTolerance = std::min(FTolerance, d - 1);
    }
    FTolerance = std::max(FTolerance, 0);
}

TRect TToolbarSnap::Track(const TRect& asked)
{
    if (FSizes.empty()) return asked;
    int d = Dim(asked.Width(), asked.Height());
    const int direction = d > FLastAsked ? 1 : d < FLastAsked ? -1 : FLastDirection;
    if ((direction != FLastDirection || FLastDirection == 0) && std::abs(d - FCurrent) <= FTolerance) d = FCurrent;
    FLastAsked = Dim(asked.Width(), asked.Height());
    FLastDirection = direction;

    // The list runs largest first.
    const TSnapSize* pick = nullptr;
    if (d > FCurrent) {
        for (const TSnapSize& s : FSizes)
            if (Dim(s.Width, s.Height) > d) pick = &s; // ends on the smallest still larger
        if (!pick) pick = &FSizes.front();
    } else {
        for (const TSnapSize& s : FSizes)
            if (Dim(s.Width, s.Height) <= d) {
                pick = &s;
                break;
            }
        if (!pick) pick = &FSizes.back();
    }
    FCurrent = Dim(pick->Width, pick->Height);
    FChosenWrap = pick->Wrap;
    FChosenSize = {pick->Width, pick->Height};
    TRect r = asked;
    switch (FEdge) {
    case TSnapEdge::Left:
        r.Left = asked.Right - pick->Width;
        r.Bottom = asked.Top + pick->Height;
        break;
    case TSnapEdge::Right:
        r.Right = asked.Left + pick->Width;
        r.Bottom = asked.Top + pick->Height;
        break;
    case TSnapEdge::Top:
        r.Top = asked.Bottom - pick->Height;
        r.Right = asked.Left + pick->Width;
        break;
    case TSnapEdge::Bottom:
        r.Bottom = asked.Top + pick->Height;
        r.Right = asked.Left + pick->Width;
        break;
    }
    return r;
}
