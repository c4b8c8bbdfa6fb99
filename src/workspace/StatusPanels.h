#pragma once
// The two figure panels of an image window's status bar, as the pieces they are drawn from: the
// source panel shows the file size (and the download time) and its percentage of the result; the
// result panel the result's size, time and percentage of the source, and the compression ratio.
// Pieces are drawn left to right, each starting where the previous one ended.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum TPanelColor : uint8_t { pcNormal, pcBlack, pcRed, pcBlue };

// The slots of the main window's image list (app/CommandPictures.h) that the panels show: which
// view shows what in each layout, and the compression ratio.
enum TStatusPicture : int
{
    nsLayoutSideSource = 89,
    nsLayoutSideResult = 90,
    nsLayoutStackSource = 91,
    nsLayoutStackResult = 92,
    nsLayoutOneSource = 93,
    nsLayoutOneResult = 94,
    nsLayoutSideBothSource = 95,
    nsLayoutStackBothSource = 96,
    nsRatio = 99,
};

struct TStatusPiece
{
    std::string Text;
    bool Bold = false;
    uint8_t Color = pcNormal;
    int Icon = -1; // >= 0: a picture of the main window's image list takes the place of a text
    // In a panel too narrow for every piece: GiveWay is the turn in which this piece gives way (1
    // first; 0 never: the figures), Short what it shows then (nothing when empty).
    int GiveWay = 0;
    std::string Short;
    // The same look when the panel has room.
    bool operator==(const TStatusPiece& o) const
    {
        return Text == o.Text && Bold == o.Bold && Color == o.Color && Icon == o.Icon;
    }
};

struct TStatusFigures
{
    int64_t FileSize = 0;   // source file, bytes
    int64_t ResultSize = 0; // compressed result, bytes (0: none yet)
    float SrcPercent = 0;
    float ResPercent = 0;
    float ComprRatio = 0;
    uint8_t SrcColor = pcBlack;
    uint8_t ResColor = pcBlack;
};

// The percentages, ratio (from the 24-bit size) and colours: the larger size is red, the smaller
// blue (both black when equal, or when there is no result). srcRaised/resRaised tell which panel
// stands out.
void CalcStatusFigures(int64_t fileSize, int64_t resultSize, int64_t bytes24, TStatusFigures& figures,
                       bool& srcRaised, bool& resRaised);

// infoOptions: 4 sizes in KBytes, 8 transfer time at 28.8 kbit/s, 16 at 56 kbit/s.
std::vector<TStatusPiece> SourcePanelPieces(const TStatusFigures& f, int infoOptions);
std::vector<TStatusPiece> ResultPanelPieces(const TStatusFigures& f, int infoOptions);

// The picture (of the main window's image list) at the left of each panel: which view shows what
// in the layout (0 side by side, 1 one above the other, 2 the result only), and whether the result
// view shows the source for the time being.
int SourcePanelIcon(int layout, bool sourceAsResult);
int ResultPanelIcon(int layout, bool sourceAsResult);

// The pieces that fit into width, measure giving the width of a piece as drawn: while they are
// wider, the pieces around the figures give way turn by turn (the captions, then the words of the
// percentages, then the units, then the ratio's picture). Pieces left with nothing to show are
// dropped. When even the figures with their short units are wider, the last pieces are left out
// until the rest fits, a figure together with the unit after it, and a unit left at the end loses
// its separator ("K [" shows "K"): every piece is shown whole or not at all.
std::vector<TStatusPiece> FitStatusPieces(std::vector<TStatusPiece> pieces, int width,
                                          const std::function<int(const TStatusPiece&)>& measure);
