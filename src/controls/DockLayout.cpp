#include "controls/DockLayout.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr int KRowFrame = 4;   // docked frame across a row: 2 pixels on each side
constexpr int KMinRowSize = 8;
constexpr int KNewRowZone = 5; // pixels on either side of a row boundary that open a new row

int RowSize(const std::vector<int>& rowSizes, int row)
{
    return row >= 0 && row < int(rowSizes.size()) ? rowSizes[row] : 0;
}

} // namespace

int ClampDockRow(int row) { return std::clamp(row, 0, KMaxDockRow); }
int ClampDockPos(int pos) { return std::clamp(pos, -KMaxDockPos, KMaxDockPos); }

void RemoveBlankRows(std::vector<int>& rows)
{
    std::vector<int> used(rows);
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    for (int& r : rows) r = int(std::lower_bound(used.begin(), used.end(), r) - used.begin());
}

void InsertRowBefore(std::vector<int>& rows, int row)
{
    for (int& r : rows)
        if (r >= row) ++r;
}

int GetHighestRow(const std::vector<int>& rows)
{
    return rows.empty() ? -1 : *std::max_element(rows.begin(), rows.end());
}

TDockLayoutResult ArrangeDockRows(const TDockLayoutInput& in)
{
    const size_t n = in.Items.size();
    TDockLayoutResult out;
    out.DockRow.resize(n);
    out.DockPos.resize(n);
    out.Bounds.assign(n, TRect{});
    for (size_t i = 0; i < n; ++i) {
        out.DockRow[i] = in.LimitToOneRow ? 0 : ClampDockRow(in.Items[i].DockRow);
        out.DockPos[i] = ClampDockPos(in.Items[i].DockPos);
        out.AnyCounts = out.AnyCounts || in.Items[i].Counts;
    }
    RemoveBlankRows(out.DockRow);

    // List order: by row, then position; equal keys keep their order.
    out.Order.resize(n);
    std::iota(out.Order.begin(), out.Order.end(), size_t(0));
    std::stable_sort(out.Order.begin(), out.Order.end(), [&](size_t a, size_t b) {
        if (out.DockRow[a] != out.DockRow[b]) return out.DockRow[a] < out.DockRow[b];
        return out.DockPos[a] < out.DockPos[b];
    });

    // A full-size window ends alone in its row: the others of its row and every later row move out.
    int highest = GetHighestRow(out.DockRow);
    for (int r = 0; r <= highest; ++r)
        for (size_t i : out.Order) {
            if (out.DockRow[i] != r || !in.Items[i].FullSize) continue;
            bool shared = false;
            for (size_t j = 0; j < n; ++j) shared = shared || (j != i && out.DockRow[j] == r);
            if (!shared) continue;
            for (size_t k = 0; k < n; ++k)
                if (k != i && out.DockRow[k] >= r) ++out.DockRow[k];
            highest = GetHighestRow(out.DockRow);
        }

    out.RowSizes.assign(size_t(highest + 1), 0);
    std::vector<std::vector<size_t>> rows(size_t(highest + 1)); // counting windows per row, in list order
    for (size_t i : out.Order) {
        if (!in.Items[i].Counts) continue;
        int r = out.DockRow[i];
        rows[r].push_back(i);
        out.RowSizes[r] = std::max({out.RowSizes[r], in.Items[i].BarSize, KMinRowSize});
    }

    // Overlaps are removed by pushing later windows forward; the result is the new wish.
    for (const auto& row : rows) {
        int64_t p = 0;
        for (size_t i : row) {
            if (in.Items[i].FullSize) {
                out.DockPos[i] = 0;
                continue;
            }
            if (out.DockPos[i] <= p) out.DockPos[i] = ClampDockPos(int(std::min<int64_t>(p, KMaxDockPos)));
            else p = out.DockPos[i];
            p += in.Items[i].Length;
        }
    }
    std::vector<int64_t> newPos(out.DockPos.begin(), out.DockPos.end());
    for (const auto& row : rows) {
        // Windows sticking out at the far end are pulled back, pushing their predecessors back...
        int64_t p = std::max(in.Room, 0);
        for (auto it = row.rbegin(); it != row.rend(); ++it) {
            if (in.Items[*it].FullSize) continue;
            if (p - in.Items[*it].Length < newPos[*it]) newPos[*it] = p - in.Items[*it].Length;
            p = newPos[*it];
        }
        // ...but nothing starts before 0: a row longer than the dock sticks out at the far end.
        p = 0;
        for (size_t i : row) {
            if (in.Items[i].FullSize) continue;
            if (newPos[i] <= p) newPos[i] = p;
            else p = newPos[i];
            p += in.Items[i].Length;
        }
    }
    if (in.ClipPositions)
        for (size_t i = 0; i < n; ++i) out.DockPos[i] = ClampDockPos(int(std::clamp<int64_t>(newPos[i], INT32_MIN, INT32_MAX)));

    int offset = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        int thickness = out.RowSizes[r] ? out.RowSizes[r] + KRowFrame : 0;
        for (size_t i : rows[r]) {
            int along = int(std::clamp<int64_t>(newPos[i], INT32_MIN / 2, INT32_MAX / 2));
            int length = in.Items[i].FullSize ? std::max(in.Room, 0) : in.Items[i].Length;
            out.Bounds[i] = in.Vertical ? Rect(offset, along, offset + thickness, along + length)
                                        : Rect(along, offset, along + length, offset + thickness);
        }
        offset += thickness;
    }
    out.Thickness = offset;
    return out;
}

TRowHit GetRowOf(const std::vector<int>& rowSizes, int highestRow, int pos)
{
    int64_t start = 0;
    for (int r = 0; r <= highestRow + 1; ++r) {
        int64_t end = INT64_MAX;
        if (r <= highestRow) {
            int size = RowSize(rowSizes, r);
            if (size == 0) continue;
            end = start + size + KRowFrame;
        }
        if (pos < start + KNewRowZone) return {r, true};
        if (pos < end - KNewRowZone) return {r, false};
        start = end;
    }
    return {0, false};
}

int GetRowAt(const std::vector<int>& rowSizes, int highestRow, int pos)
{
    int64_t extent = 0;
    for (int r = 0; r <= highestRow; ++r) {
        int size = RowSize(rowSizes, r);
        if (size) extent += size + KRowFrame;
        if (extent > pos) return r;
    }
    return highestRow + 1;
}
