#pragma once
// The arithmetic behind the main window's view and window commands: the zoom steps of Zoom In and
// Zoom Out, the rows and columns of the two tilers, the places of minimised windows, and the bits of
// the status-figure units. Pure functions, so the rules can be checked without a window.
#include <cstdint>
#include <vector>

#include "platform/Geometry.h"

// Zoom In from zoom z (percent): below 100 the next larger 100/n, from 100 on the next whole hundred.
int32_t ZoomInStep(int32_t z);
// Zoom Out: above 100 the next smaller whole hundred (at least 100), else the next smaller 100/n.
int32_t ZoomOutStep(int32_t z);

// count windows over an area of areaW x areaH: "horizontally" gives full-width rows one above the
// other, "vertically" full-height columns side by side. The rectangles cover the area exactly; the
// pixels that do not divide evenly go one each to the first rows (columns). Empty for count <= 0.
std::vector<TRect> TileRows(int32_t count, int32_t areaW, int32_t areaH);
std::vector<TRect> TileColumns(int32_t count, int32_t areaW, int32_t areaH);

// Where count minimised windows of iconW x iconH go: along the bottom edge from the left, a new row
// above when a row is full (at least one per row).
std::vector<TRect> ArrangeIconRects(int32_t count, int32_t iconW, int32_t iconH, int32_t areaW,
                                    int32_t areaH);

// The image popup's "File Size Units" items on the ImageInfoOptions bits (4 sizes in KBytes, 8 the
// time at 28.8 kbit/s, 16 at 56 kbit/s).
enum class TSizeUnitItem
{
    Bytes,
    KBytes,
    Time28k,
    Time56k
};
int32_t ToggleSizeUnit(int32_t options, TSizeUnitItem item);
