#include "codec/ProfileFile.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

#include "codec/CommentLimit.h"
#include "codec/JPEGImage.h"
#include "codec/RegionMask.h"
#include "common/SettingsAccess.h"
#include "platform/Exceptions.h"
#include "platform/ReplaceFile.h"
#include "platform/Round.h"
#include "platform/Stream.h"
#include "platform/StringList.h"

namespace {

constexpr int ProfileVersion = 3;

std::string Num(int64_t i) { return std::to_string(i); }

// 101 - quality: the files keep 1 as the finest level.
int LevelOf(int quality) { return 101 - quality; }
uint8_t QualityOfLevel(int level) { return uint8_t(std::clamp<int64_t>(101 - int64_t(level), 1, 100)); }

// The first line of a text (up to the first CR or LF).
std::string FirstLine(const std::string& text) { return text.substr(0, text.find_first_of("\r\n")); }

// ---- writing ----

class TWriter
{
public:
    explicit TWriter(TStringList& list) : L(list) {}
    void Line(const std::string& s) { L.Add(s); }
    void Int(const std::string& name, int64_t v) { WriteIntSetting(nullptr, &L, name, int(v)); }
    void Bool(const std::string& name, bool v) { WriteBoolSetting(nullptr, &L, name, v); }
    void Str(const std::string& name, const std::string& v) { WriteStrSetting(nullptr, &L, name, v); }

private:
    TStringList& L;
};

void WriteAreas(TWriter& w, const TJPEGProfile& rec)
{
    // The record's areas as GetSettingsRecord stored them, walked with the bounds of a read.
    const std::vector<TMaskShape> areas = SelectionShapesOf(rec);
    w.Int("NumSelUnits", int64_t(areas.size()));
    for (size_t i = 0; i < areas.size(); ++i) {
        const TMaskShape& a = areas[i];
        const std::string n = Num(int64_t(i) + 1);
        w.Int("SelUnitKind" + n, a.Kind);
        if (a.Kind == TMaskShape::Polygon) {
            w.Int("SelUnitNumPoints" + n, int64_t(a.Points.size()));
            for (size_t j = 0; j < a.Points.size(); ++j) {
                w.Int("SelUnitPnt" + Num(int64_t(j) + 1) + "X" + n, a.Points[j].X);
                w.Int("SelUnitPnt" + Num(int64_t(j) + 1) + "Y" + n, a.Points[j].Y);
            }
        } else {
            w.Int("SelUnitBegX" + n, a.BegX);
            w.Int("SelUnitBegY" + n, a.BegY);
            w.Int("SelUnitEndX" + n, a.EndX);
            w.Int("SelUnitEndY" + n, a.EndY);
        }
    }
}

// ---- reading ----

// The file's keys by name (letter case ignored; the first line with a name counts), read through
// the settings accessors one key at a time.
class TReader
{
public:
    explicit TReader(const TStringList& list)
    {
        for (int i = 0; i < list.Count(); ++i) {
            const std::string& line = list[i];
            const size_t eq = line.find('=');
            if (eq == std::string::npos) continue;
            FIndex.emplace(Lower(line.substr(0, eq)), i);
        }
        FList = &list;
    }

    bool Has(const std::string& name) const { return FIndex.count(Lower(name)) != 0; }

    int Int(const std::string& name, int def) const
    {
        TStringList one;
        One(name, one);
        return ReadIntSetting(nullptr, &one, name, def);
    }
    int Int(const std::string& name, int def, int lo, int hi) const { return std::clamp(Int(name, def), lo, hi); }
    bool Bool(const std::string& name, bool def) const
    {
        TStringList one;
        One(name, one);
        return ReadBoolSetting(nullptr, &one, name, def);
    }
    std::string Str(const std::string& name) const
    {
        TStringList one;
        One(name, one);
        std::string s;
        ReadStrSetting(nullptr, &one, name, s, std::string());
        return s;
    }

private:
    static std::string Lower(std::string s)
    {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        return s;
    }
    void One(const std::string& name, TStringList& one) const
    {
        auto it = FIndex.find(Lower(name));
        if (it != FIndex.end()) one.Add((*FList)[it->second]);
    }

    const TStringList* FList = nullptr;
    std::unordered_map<std::string, int> FIndex; // emplace keeps the first line of a name
};

// Reads the areas into rec.Data. Areas are taken in order while they fit in the array; the first
// one that does not (or that has a negative number of points or an unknown kind) ends the list.
void ReadAreas(const TReader& r, TJPEGProfile& rec)
{
    // Areas missing from the file take the defaults (a rectangle at -1, -1, -1, -1); however large
    // the count, the loop ends when the array is full.
    const int64_t count = r.Int("NumSelUnits", 0);
    if (count <= 0) return;
    auto& d = rec.Data;
    d.fill(0);
    const int64_t capacity = int64_t(d.size());
    int64_t next = 2;
    int32_t stored = 0;
    for (int64_t i = 1; i <= count; ++i) {
        const std::string n = Num(i);
        const int kind = r.Int("SelUnitKind" + n, 0);
        if (kind == skPolygon) {
            const int64_t points = r.Int("SelUnitNumPoints" + n, 0);
            if (points < 0 || next + 2 + 2 * points > capacity) break;
            d[size_t(next)] = kind;
            d[size_t(next + 1)] = int32_t(points);
            for (int64_t j = 0; j < points; ++j) {
                d[size_t(next + 2 + 2 * j)] = r.Int("SelUnitPnt" + Num(j + 1) + "X" + n, -1);
                d[size_t(next + 3 + 2 * j)] = r.Int("SelUnitPnt" + Num(j + 1) + "Y" + n, -1);
            }
            next += 2 + 2 * points;
        } else if (kind == skRectangle || kind == skEllipse) {
            if (next + 5 > capacity) break;
            d[size_t(next)] = kind;
            d[size_t(next + 1)] = r.Int("SelUnitBegX" + n, -1);
            d[size_t(next + 2)] = r.Int("SelUnitBegY" + n, -1);
            d[size_t(next + 3)] = r.Int("SelUnitEndX" + n, -1);
            d[size_t(next + 4)] = r.Int("SelUnitEndY" + n, -1);
            next += 5;
        } else {
            break; // no such kind of area
        }
        ++stored;
    }
    if (stored > 0) {
        d[0] = int32_t(next - 1);
        d[1] = stored;
    }
}

std::string BaseName(const std::string& fileName)
{
    size_t slash = fileName.find_last_of('/');
    std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return CutProfileName(name);
}

} // namespace

void ProfileToList(const TJPEGProfile& rec, TStringList& list)
{
    TWriter w(list);
    w.Line("[ Quillmark ]");
    w.Line("[ Compression Profile ]");
    w.Line("");
    w.Int("Version", ProfileVersion);
    w.Line("[ Main ]");
    w.Line("");
    w.Int("MatchMask", rec.MatchMask);
    w.Int("LumCompressionLevel", LevelOf(rec.LumQuality));
    w.Int("ChromCompressionLevel", LevelOf(rec.ChromQuality));
    w.Int("ComprRatio", Round(double(rec.ComprRatio) * 1000));
    for (int i = 0; i < 5; ++i) w.Int("QualityEqualizerBand" + Num(i + 1), rec.QualityEqualizerBand[size_t(i)]);
    w.Int("ActiveFilter", rec.ActiveFilter);
    w.Int("FilterValue", rec.FilterValue);
    w.Int("FilterRadius", rec.FilterRadius);
    w.Bool("Grayscale", rec.Grayscale);
    w.Bool("ProgressiveEncoding", rec.ProgressiveEncoding);
    w.Int("Precision", rec.Precision);
    w.Int("RestartInterval", rec.RestartInterval);
    w.Bool("EqualizerFullControl", rec.EqualizerFullControl);
    // Only the first line of the comment: further lines would stand as lines of their own and could
    // pass for keys. The empty line after it is the file's usual layout.
    const std::string comment = FirstLine(rec.Comments);
    if (!comment.empty()) {
        w.Str("Comments", comment);
        w.Line("");
    }
    w.Line("");
    w.Line("[ Resampling ]");
    w.Line("");
    const TResamplingOptions& rs = rec.Resampling;
    w.Int("ResamplingPurpose", rs.Purpose);
    w.Int("ResamplingWidth", rs.Width);
    w.Int("ResamplingHeight", rs.Height);
    w.Int("ResamplingWUnits", rs.WUnits);
    w.Int("ResamplingHUnits", rs.HUnits);
    w.Int("ResamplingMethod", rs.Method);
    w.Int("ResamplingFidLevel", rs.Fidelity);
    w.Int("ResolutionHorzDPI", rs.HorzDPI);
    w.Int("ResolutionVertDPI", rs.VertDPI);
    if (rec.SelectiveCompression) {
        w.Line("");
        w.Line("[ Selective Compression ]");
        w.Line("");
        w.Bool("SelectiveCompression", true);
        w.Int("SelLumCompressionLevel", LevelOf(rec.SelLumQuality));
        w.Int("SelChromCompressionLevel", LevelOf(rec.SelChromQuality));
        w.Int("SelThreshold", rec.SelThreshold);
        for (int i = 0; i < 5; ++i)
            w.Int("SelQualityEqualizerBand" + Num(i + 1), rec.SelQualityEqualizerBand[size_t(i)]);
        w.Int("SelActiveFilter", rec.SelActiveFilter);
        w.Int("SelFilterValue", rec.SelFilterValue);
        w.Int("SelFilterRadius", rec.SelFilterRadius);
    }
    WriteAreas(w, rec);
}

void ProfileFromList(const TStringList& list, TJPEGProfile& rec)
{
    const TReader r(list);
    rec.MatchMask = uint16_t(r.Int("MatchMask", rec.MatchMask));
    rec.LumQuality = QualityOfLevel(r.Int("LumCompressionLevel", 51));
    rec.ChromQuality = QualityOfLevel(r.Int("ChromCompressionLevel", 51));
    rec.ComprRatio = float(r.Int("ComprRatio", 0) * 0.001);
    for (int i = 0; i < 5; ++i)
        rec.QualityEqualizerBand[size_t(i)] = int8_t(r.Int("QualityEqualizerBand" + Num(i + 1), 0, -50, 50));
    rec.ActiveFilter = r.Int("ActiveFilter", 0, 0, 5);
    rec.FilterValue = uint8_t(r.Int("FilterValue", 0, 0, 100));
    rec.FilterRadius = r.Int("FilterRadius", 3, 1, 8);
    rec.Grayscale = r.Bool("Grayscale", false);
    rec.ProgressiveEncoding = r.Bool("ProgressiveEncoding", false);
    rec.Precision = uint8_t(r.Int("Precision", 0));
    rec.RestartInterval = r.Int("RestartInterval", 0);
    rec.EqualizerFullControl = r.Bool("EqualizerFullControl", false);
    const std::string comment = r.Str("Comments");
    // A longer line could never be written as a comment of the file: every run would fail.
    if (comment.size() > MaxCommentLineBytes)
        throw EReadError("The profile's comment is " + std::to_string(comment.size()) +
                         " bytes long; a comment line can hold at most " + std::to_string(MaxCommentLineBytes) +
                         " bytes");
    rec.Comments = comment.empty() ? std::string() : comment + "\r\n";

    TResamplingOptions& rs = rec.Resampling;
    rs.Purpose = r.Int("ResamplingPurpose", 0, 0, 1);
    rs.Width = r.Int("ResamplingWidth", 0);
    rs.Height = r.Int("ResamplingHeight", 0);
    rs.WUnits = r.Int("ResamplingWUnits", 0, 0, 2);
    rs.HUnits = r.Int("ResamplingHUnits", 0, 0, 2);
    rs.Method = r.Int("ResamplingMethod", 0, 0, 3);
    rs.Fidelity = r.Int("ResamplingFidLevel", 256, 0, 256);
    if (rec.MatchMask & mmResolution) {
        rs.HorzDPI = r.Int("ResolutionHorzDPI", 0, 0, 32000);
        rs.VertDPI = r.Int("ResolutionVertDPI", 0, 0, 32000);
    }

    rec.SelectiveCompression = r.Bool("SelectiveCompression", false);
    if (rec.SelectiveCompression) {
        rec.SelLumQuality = QualityOfLevel(r.Int("SelLumCompressionLevel", 51));
        rec.SelChromQuality = QualityOfLevel(r.Int("SelChromCompressionLevel", 51));
        for (int i = 0; i < 5; ++i)
            rec.SelQualityEqualizerBand[size_t(i)] =
                int8_t(r.Int("SelQualityEqualizerBand" + Num(i + 1), 0, -50, 50));
        rec.SelThreshold = uint8_t(r.Int("SelThreshold", 50, 0, 100));
        rec.SelActiveFilter = r.Int("SelActiveFilter", 0, 0, 5);
        rec.SelFilterValue = uint8_t(r.Int("SelFilterValue", 0, 0, 100));
        rec.SelFilterRadius = r.Int("SelFilterRadius", 3, 1, 8);
    }
    ReadAreas(r, rec);
}

void WriteProfileFile(const TJPEGImage& image, const std::string& fileName)
{
    TJPEGProfile rec;
    GetSettingsRecord(image, rec);
    TStringList list;
    ProfileToList(rec, list);
    const std::string text = list.Text();
    SaveFileReplacing(fileName, text.data(), text.size());
}

void ReadProfileFile(TJPEGImage& image, const std::string& fileName)
{
    TJPEGProfile rec;
    GetSettingsRecord(image, rec);
    TStringList list;
    {
        TFileStream f(fileName, fmOpenRead);
        const int64_t size = f.Size();
        if (size > ProfileFileMaxSize) throw EReadError("The profile file is too large");
        std::string text(size_t(size), '\0');
        if (size > 0) f.ReadBuffer(text.data(), size);
        list.SetText(text);
    }
    ProfileFromList(list, rec);
    rec.Name = BaseName(fileName);
    ApplySettingsRecord(image, rec);
}
