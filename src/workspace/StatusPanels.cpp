#include "workspace/StatusPanels.h"

#include "common/CommLib.h"
#include "platform/Format.h"

namespace {

struct TUnits
{
    bool KB, Time, Slow;
};

TUnits UnitsOf(int options) { return {(options & 4) != 0, (options & (8 | 16)) != 0, (options & 8) != 0}; }

std::string SizeText(int64_t bytes, const TUnits& u)
{
    return u.KB ? FormatSizeKB(bytes) : std::to_string(bytes);
}

std::string UnitText(const TUnits& u) { return std::string(" ") + (u.KB ? "Kbytes" : "bytes") + (u.Time ? ", " : "  ["); }

// The turns in which the pieces give way in a narrow panel: the texts first, the ratio's picture last.
enum TGiveWay : int
{
    gwCaption = 1,
    gwWords = 2,
    gwUnits = 3,
    gwPicture = 4
};

// The unit after a size, shortened to "K" (bytes need no word).
TStatusPiece UnitPiece(const TUnits& u)
{
    return {UnitText(u), false, pcNormal, -1, gwUnits, std::string(u.KB ? "K" : "") + (u.Time ? ", " : " [")};
}

std::string PercentText(float percent) { return percent > 0 ? Format("%2.0f", double(percent)) : "?"; }

} // namespace

void CalcStatusFigures(int64_t fileSize, int64_t resultSize, int64_t bytes24, TStatusFigures& f, bool& srcRaised,
                       bool& resRaised)
{
    f.FileSize = fileSize;
    f.ResultSize = resultSize;
    f.SrcPercent = resultSize >= 1 ? float(double(fileSize) / double(resultSize) * 100.0) : 0.0f;
    f.ResPercent = fileSize >= 1 ? float(double(resultSize) / double(fileSize) * 100.0) : 0.0f;
    f.ComprRatio = resultSize >= 1 ? float(double(bytes24) / double(resultSize)) : 0.0f;
    if (resultSize > fileSize) {
        f.SrcColor = pcBlue;
        f.ResColor = pcRed;
        srcRaised = false;
        resRaised = true;
    } else if (resultSize == fileSize) {
        f.SrcColor = f.ResColor = pcBlack;
        srcRaised = resRaised = false;
    } else {
        f.SrcColor = resultSize == 0 ? pcBlack : pcRed;
        f.ResColor = resultSize == 0 ? pcBlack : pcBlue;
        srcRaised = true;
        resRaised = false;
    }
}

std::vector<TStatusPiece> SourcePanelPieces(const TStatusFigures& f, int infoOptions)
{
    TUnits u = UnitsOf(infoOptions);
    std::vector<TStatusPiece> p;
    p.push_back({"Source: ", false, pcNormal, -1, gwCaption});
    p.push_back({SizeText(f.FileSize, u), true, pcBlack});
    p.push_back(UnitPiece(u));
    if (u.Time) {
        p.push_back({FormatModemTime(f.FileSize, u.Slow), true, pcBlack});
        p.push_back({" sec  [", false, pcNormal, -1, gwUnits, "s ["});
    }
    p.push_back({PercentText(f.SrcPercent), true, f.SrcColor});
    p.push_back({"%*Result]", false, pcNormal, -1, gwWords, "%]"});
    return p;
}

std::vector<TStatusPiece> ResultPanelPieces(const TStatusFigures& f, int infoOptions)
{
    TUnits u = UnitsOf(infoOptions);
    std::vector<TStatusPiece> p;
    p.push_back({"Result: ", false, pcNormal, -1, gwCaption});
    if (f.ResultSize < 1) {
        p.push_back({"?", true, f.ResColor});
        p.push_back({"  [", false, pcNormal, -1, gwUnits, " ["});
    } else {
        p.push_back({SizeText(f.ResultSize, u), true, f.ResColor});
        p.push_back(UnitPiece(u));
        if (u.Time) {
            p.push_back({FormatModemTime(f.ResultSize, u.Slow), true, pcBlack});
            p.push_back({" sec  [", false, pcNormal, -1, gwUnits, "s ["});
        }
    }
    p.push_back({PercentText(f.ResPercent), true, f.ResColor});
    p.push_back({"%*Source]   ", false, pcNormal, -1, gwWords, "%] "});
    if (f.ComprRatio > 0) {
        p.push_back({"", false, pcNormal, nsRatio, gwPicture});
        p.push_back({Format("1:%2.1f", double(f.ComprRatio)), true, pcBlack});
    }
    return p;
}

int SourcePanelIcon(int layout, bool sourceAsResult)
{
    static const int normal[3] = {nsLayoutSideSource, nsLayoutStackSource, nsLayoutOneSource};
    static const int shown[3] = {nsLayoutSideBothSource, nsLayoutStackBothSource, nsLayoutOneResult};
    const int k = layout >= 0 && layout <= 2 ? layout : 0;
    return sourceAsResult ? shown[k] : normal[k];
}

int ResultPanelIcon(int layout, bool sourceAsResult)
{
    static const int normal[3] = {nsLayoutSideResult, nsLayoutStackResult, nsLayoutOneResult};
    return sourceAsResult ? nsLayoutOneSource : normal[layout >= 0 && layout <= 2 ? layout : 0];
}

std::vector<TStatusPiece> FitStatusPieces(std::vector<TStatusPiece> pieces, int width,
                                          const std::function<int(const TStatusPiece&)>& measure)
{
    auto total = [&] {
        int sum = 0;
        for (const TStatusPiece& p : pieces)
            sum += measure(p);
        return sum;
    };
    for (int turn : {gwCaption, gwWords, gwUnits, gwPicture}) {
        if (total() <= width) break;
        for (TStatusPiece& p : pieces)
            if (p.GiveWay == turn) {
                p.Text = p.Short;
                p.Icon = -1;
            }
    }
    std::erase_if(pieces, [](const TStatusPiece& p) { return p.Icon < 0 && p.Text.empty(); });
    // Still too wide: the last pieces go; a figure does not stay without the unit that followed it,
    // and the unit that now ends the panel opens nothing more.
    if (total() <= width) return pieces;
    while (!pieces.empty() && total() > width) {
        const bool unit = pieces.back().GiveWay != 0;
        pieces.pop_back();
        if (unit && !pieces.empty() && pieces.back().GiveWay == 0) pieces.pop_back();
    }
    if (!pieces.empty() && pieces.back().GiveWay != 0) {
        std::string& text = pieces.back().Text;
        text.erase(text.find_last_not_of(" ,[") + 1);
        if (text.empty()) pieces.pop_back();
    }
    return pieces;
}
