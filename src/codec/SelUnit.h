#pragma once
// Selection areas: rectangles, ellipses and polygons drawn on a picture. Coordinates are stored in
// millionths of the picture's width and height, so areas fit any size of the same picture: a pixel
// coordinate p of a picture w pixels wide is stored as v with p = Round(v x w x 0.000001).
#include <cstdint>

#include "common/EnhClasses.h"

enum TSelUnitKind : uint8_t { skRectangle = 0, skEllipse = 1, skPolygon = 2 };

struct TSelPoint
{
    int32_t X = 0;
    int32_t Y = 0;
};

// One item of an image's SelUnits list, stored by value in a TEnhList.
struct TSelUnit
{
    uint8_t Kind = skRectangle;
    int32_t BegX = 0, BegY = 0; // first corner, or the polygon's first point
    int32_t EndX = 0, EndY = 0; // opposite corner, or the polygon's last point
    int32_t PrevEndX = 0, PrevEndY = 0; // end point of the outline last drawn (drawing state)
    bool OutlineShown = false;          // an outline of the area is on the screen (drawing state)
    TEnhList* Points = nullptr;         // polygon points (TSelPoint items); owned by the unit
    bool HasTwoPoints = false;          // polygon drawing state
    bool Complete = false;              // finished; only complete areas are painted and stored
};

// A new, empty list of TSelPoint items for a polygon unit.
TEnhList* NewSelPointList();

// Makes list a selection-area list: its delete callback frees each unit's point list.
void InstallSelUnitDeleter(TEnhList& list);
