#pragma once
// The row arithmetic of a dock, without widgets: the tool windows' wishes (row, position along the
// row) and sizes go in; their bounds inside the dock, the row thicknesses, the positions written
// back and the dock's thickness come out. The dock widget only gathers the inputs and applies the
// result, so every rule here is testable on plain numbers.
//
// Along and across: in a horizontal dock a row runs left to right, "length" is a window's width and
// the thickness is its height; a vertical dock swaps the roles. A non-empty row is 4 pixels thicker
// than its RowSizes entry (the docked frame of 2 pixels on each side is not part of a bar size).
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/Geometry.h"

// Stored rows and positions are kept in these ranges whatever a setting or a caller asks for.
constexpr int KMaxDockRow = 255;
constexpr int KMaxDockPos = 32767;
int ClampDockRow(int row);
int ClampDockPos(int pos);

struct TDockLayoutItem
{
    int DockRow = 0;
    int DockPos = -1;
    bool FullSize = false;
    bool Counts = true; // docked on this dock and visible: takes part in the placement
    int Length = 0;     // current length along the dock, frame included
    int BarSize = 0;    // thickness the window asks for across the row, frame excluded
};

struct TDockLayoutInput
{
    std::vector<TDockLayoutItem> Items; // the dock's list, in its current order
    bool Vertical = false;
    int Room = 0; // length available along the dock (the dock's length less its bound lines)
    bool LimitToOneRow = false;
    bool ClipPositions = false; // write the positions actually used back into DockPos
};

struct TDockLayoutResult
{
    std::vector<size_t> Order;  // the items' new list order (indexes into the input)
    std::vector<int> DockRow;   // per input item: the row after renumbering and full-size splitting
    std::vector<int> DockPos;   // per input item: the position kept as the wish
    std::vector<TRect> Bounds;  // per input item, inside the dock's client area; empty when it does not count
    std::vector<int> RowSizes;  // per row: the thickest bar, at least 8 for a row with a counting window
    int Thickness = 0;          // sum of the non-empty rows' thicknesses (0 when nothing counts)
    bool AnyCounts = false;
};

TDockLayoutResult ArrangeDockRows(const TDockLayoutInput& input);

// Renumbers the rows densely from 0 keeping their order (rows nobody uses close up).
void RemoveBlankRows(std::vector<int>& rows);
// Every row at or beyond `row` moves one further out.
void InsertRowBefore(std::vector<int>& rows, int row);
// The largest row, or -1 for no rows.
int GetHighestRow(const std::vector<int>& rows);

struct TRowHit
{
    int Row = 0;
    bool Before = false; // a new row is to be opened before Row
    bool operator==(const TRowHit&) const = default;
};
// The row at `pos` pixels across the dock from its near edge, given the row thicknesses of the last
// arrangement and the highest row in use: 5 pixels on either side of a row boundary (and before the
// first row) ask for a new row there. Empty rows take no room.
TRowHit GetRowOf(const std::vector<int>& rowSizes, int highestRow, int pos);
// The first row whose accumulated extent passes `pos`, or one past the highest row.
int GetRowAt(const std::vector<int>& rowSizes, int highestRow, int pos);
