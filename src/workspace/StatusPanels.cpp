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
    p.push_back({"Source: "});
    p.push_back({SizeText(f.FileSize, u), true, pcBlack});
    p.push_back({UnitText(u)});
    if (u.Time) {
        p.push_back({FormatModemTime(f.FileSize, u.Slow), true, pcBlack});
        p.push_back({" sec  ["});
    }
    p.push_back({PercentText(f.SrcPercent), true, f.SrcColor});
    p.push_back({"%*Result]"});
    return p;
}

std::vector<TStatusPiece> ResultPanelPieces(const TStatusFigures& f, int infoOptions)
{
    TUnits u = UnitsOf(infoOptions);
    std::vector<TStatusPiece> p;
    p.push_back({"Result: "});
    if (f.ResultSize < 1) {
        p.push_back({"?", true, f.ResColor});
        p.push_back({"  ["});
    } else {
        p.push_back({SizeText(f.ResultSize, u), true, f.ResColor});
        p.push_back({UnitText(u)});
        if (u.Time) {
            p.push_back({FormatModemTime(f.ResultSize, u.Slow), true, pcBlack});
            p.push_back({" sec  ["});
        }
    }
    p.push_back({PercentText(f.ResPercent), true, f.ResColor});
    p.push_back({"%*Source]   "});
    if (f.ComprRatio > 0) {
        p.push_back({"", false, pcNormal, 99});
        p.push_back({Format("1:%2.1f", double(f.ComprRatio)), true, pcBlack});
    }
    return p;
}

int SourcePanelIcon(int layout, bool sourceAsResult)
{
    static const int normal[3] = {89, 91, 93}, shown[3] = {95, 96, 94};
    const int k = layout >= 0 && layout <= 2 ? layout : 0;
    return sourceAsResult ? shown[k] : normal[k];
}

int ResultPanelIcon(int layout, bool sourceAsResult)
{
    static const int normal[3] = {90, 92, 94};
    return sourceAsResult ? 93 : normal[layout >= 0 && layout <= 2 ? layout : 0];
}
