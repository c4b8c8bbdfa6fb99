#include "codec/JPEGProfile.h"

#include <algorithm>

#include "codec/JPEGImage.h"
#include "codec/RegionMask.h"

namespace {

bool Has(uint16_t mask, uint16_t group) { return (mask & group) != 0; }

// Writes the complete selection areas of the image into rec.Data. An area that would not fit in
// full ends the list: nothing is written past the array and the stored areas keep their order.
void StoreSelUnits(const TJPEGImage& image, TJPEGProfile& rec)
{
    auto& d = rec.Data;
    const int64_t capacity = int64_t(d.size());
    int64_t next = 2;
    int32_t count = 0;
    for (int i = 0; i < image.SelUnits.Count(); ++i) {
        const TSelUnit& u = image.SelUnits.Item<TSelUnit>(i);
        if (!u.Complete) continue;
        if (u.Kind == skPolygon) {
            int32_t n = u.Points ? u.Points->Count() : 0;
            if (next + 2 + 2 * int64_t(n) > capacity) break;
            d[size_t(next++)] = u.Kind;
            d[size_t(next++)] = n;
            for (int j = 0; j < n; ++j) {
                const TSelPoint& p = u.Points->Item<TSelPoint>(j);
                d[size_t(next++)] = p.X;
                d[size_t(next++)] = p.Y;
            }
        } else {
            if (next + 5 > capacity) break;
            d[size_t(next++)] = u.Kind;
            d[size_t(next++)] = u.BegX;
            d[size_t(next++)] = u.BegY;
            d[size_t(next++)] = u.EndX;
            d[size_t(next++)] = u.EndY;
        }
        ++count;
    }
    if (count > 0) {
        d[0] = int32_t(next - 1);
        d[1] = count;
    }
}

// Rebuilds the image's selection areas from rec.Data. The record may come from a file: the shared
// reader checks every count and index against the array and stops at the first malformed area.
void LoadSelUnits(TJPEGImage& image, const TJPEGProfile& rec)
{
    image.SelUnits.Clear();
    for (const TMaskShape& s : SelectionShapesOf(rec)) {
        TSelUnit u{};
        u.Complete = true;
        u.Kind = s.Kind;
        u.BegX = s.BegX;
        u.BegY = s.BegY;
        u.EndX = s.EndX;
        u.EndY = s.EndY;
        if (s.Kind == TMaskShape::Polygon) {
            u.Points = NewSelPointList();
            for (const TPoint& p : s.Points) {
                TSelPoint point{p.X, p.Y};
                u.Points->Add(&point);
            }
            if (!s.Points.empty()) {
                u.BegX = s.Points.front().X;
                u.BegY = s.Points.front().Y;
                u.EndX = s.Points.back().X;
                u.EndY = s.Points.back().Y;
            }
        }
        image.SelUnits.Add(&u);
    }
}

} // namespace

std::string CutProfileName(const std::string& name)
{
    // Characters, not bytes: a cut inside a UTF-8 sequence would leave a name that matches no file.
    size_t chars = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        if ((static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) continue; // continuation byte
        if (chars++ == size_t(ProfileNameMaxLength)) return name.substr(0, i);
    }
    return name;
}

void GetSettingsRecord(const TJPEGImage& image, TJPEGProfile& rec)
{
    rec = TJPEGProfile{};
    rec.LumQuality = image.LumQuality;
    rec.ChromQuality = image.ChromQuality;
    rec.ComprRatio = image.ComprRatio;
    rec.QualityEqualizerBand = image.QualityEqualizerBands;
    rec.ActiveFilter = image.ActiveFilter;
    rec.FilterValue = uint8_t(image.GetFilterValue(image.ActiveFilter));
    rec.FilterRadius = image.FilterRadius;
    rec.Grayscale = image.Grayscale;
    rec.ProgressiveEncoding = image.ProgressiveEncoding;
    rec.Precision = uint8_t(image.GetSubsampling());
    rec.RestartInterval = image.RestartInterval;
    rec.EqualizerFullControl = image.EqualizerFullControl;
    rec.SelectiveCompression = image.SelectiveCompression;
    rec.SelLumQuality = image.SelLumQuality;
    rec.SelChromQuality = image.SelChromQuality;
    rec.SelThreshold = image.SelThreshold;
    rec.SelQualityEqualizerBand = image.SelQualityEqualizerBands;
    rec.SelActiveFilter = image.SelActiveFilter;
    rec.SelFilterValue = uint8_t(image.GetSelFilterValue(image.SelActiveFilter));
    rec.SelFilterRadius = image.SelFilterRadius;
    rec.Comments = image.Comments.Text();
    rec.Resampling = image.ResamplingOptions;
    rec.Resampling.HorzDPI = image.XDensity;
    rec.Resampling.VertDPI = image.YDensity;
    rec.Name = CutProfileName(image.ProfileName);
    rec.MatchMask = image.MatchMask;
    StoreSelUnits(image, rec);
}

void ApplySettingsRecord(TJPEGImage& image, const TJPEGProfile& record)
{
    TJPEGProfile rec = record;
    const uint16_t m = rec.MatchMask;
    if (Has(m, mmQualities)) {
        image.LumQuality = rec.LumQuality;
        image.ChromQuality = rec.ChromQuality;
    }
    if (Has(m, mmRatio)) image.SetCompressionRatio(rec.ComprRatio);
    if (Has(m, mmBands)) image.QualityEqualizerBands = rec.QualityEqualizerBand;
    if (Has(m, mmFilter)) {
        image.ActiveFilter = rec.ActiveFilter;
        if (rec.ActiveFilter > 0) image.SetFilterValue(rec.ActiveFilter, rec.FilterValue);
        image.FilterRadius = rec.FilterRadius;
    }
    if (Has(m, mmGrayscale)) image.Grayscale = rec.Grayscale;
    if (Has(m, mmProgressive)) image.ProgressiveEncoding = rec.ProgressiveEncoding;
    if (Has(m, mmPrecision)) image.SetSubsampling(rec.Precision);
    if (Has(m, mmRestartInterval)) image.RestartInterval = rec.RestartInterval;
    if (Has(m, mmResolution)) {
        image.XDensity = rec.Resampling.HorzDPI;
        image.YDensity = rec.Resampling.VertDPI;
    } else {
        rec.Resampling.HorzDPI = image.XDensity;
        rec.Resampling.VertDPI = image.YDensity;
    }
    if (Has(m, mmQualities | mmBands | mmSelective | mmSelBands)) image.EqualizerFullControl = rec.EqualizerFullControl;
    if (Has(m, mmSelective)) {
        image.SelectiveCompression = rec.SelectiveCompression;
        image.SelLumQuality = rec.SelLumQuality;
        image.SelChromQuality = rec.SelChromQuality;
        image.SelThreshold = rec.SelThreshold;
    }
    if (Has(m, mmSelBands)) image.SelQualityEqualizerBands = rec.SelQualityEqualizerBand;
    if (Has(m, mmSelFilter)) {
        image.SelActiveFilter = rec.SelActiveFilter;
        if (rec.SelActiveFilter > 0) image.SetSelFilterValue(rec.SelActiveFilter, rec.SelFilterValue);
        image.SelFilterRadius = rec.SelFilterRadius;
    }
    if (Has(m, mmComments)) image.Comments.SetText(rec.Comments);
    if (Has(m, mmResampling)) image.ResamplingOptions = rec.Resampling;
    image.ProfileName = rec.Name;
    image.MatchMask = rec.MatchMask;
    if (Has(m, mmSelAreas) && rec.Data[1] >= 1) LoadSelUnits(image, rec);
}

bool ProfilesMatch(const TJPEGProfile& a, const TJPEGProfile& b)
{
    const uint16_t m = b.MatchMask;
    // Resampling: purpose, size, units and aspect lock; the resolution is a group of its own.
    if (Has(m, mmResampling) && !SameResizeOptions(a.Resampling, b.Resampling)) return false;
    if (Has(m, mmQualities) && (a.LumQuality != b.LumQuality || a.ChromQuality != b.ChromQuality ||
                                a.EqualizerFullControl != b.EqualizerFullControl))
        return false;
    if (Has(m, mmBands) &&
        (a.QualityEqualizerBand != b.QualityEqualizerBand || a.EqualizerFullControl != b.EqualizerFullControl))
        return false;
    if (Has(m, mmRatio) && a.ComprRatio != b.ComprRatio) return false;
    if (Has(m, mmFilter) &&
        (a.ActiveFilter != b.ActiveFilter ||
         (a.ActiveFilter > 0 && (a.FilterValue != b.FilterValue || a.FilterRadius != b.FilterRadius))))
        return false;
    if (Has(m, mmGrayscale) && a.Grayscale != b.Grayscale) return false;
    if (Has(m, mmProgressive) && a.ProgressiveEncoding != b.ProgressiveEncoding) return false;
    if (Has(m, mmPrecision) && a.Precision != b.Precision) return false;
    if (Has(m, mmRestartInterval) && a.RestartInterval != b.RestartInterval) return false;
    if (Has(m, mmResolution) &&
        (a.Resampling.HorzDPI != b.Resampling.HorzDPI || a.Resampling.VertDPI != b.Resampling.VertDPI))
        return false;
    if (Has(m, mmComments) && a.Comments != b.Comments) return false;
    if (Has(m, mmSelective) &&
        (a.SelectiveCompression != b.SelectiveCompression ||
         (a.SelectiveCompression &&
          (a.SelLumQuality != b.SelLumQuality || a.SelChromQuality != b.SelChromQuality ||
           a.SelThreshold != b.SelThreshold || a.EqualizerFullControl != b.EqualizerFullControl))))
        return false;
    if (Has(m, mmSelBands) && a.SelQualityEqualizerBand != b.SelQualityEqualizerBand) return false;
    if (Has(m, mmSelFilter) &&
        (a.SelActiveFilter != b.SelActiveFilter ||
         (a.SelActiveFilter > 0 && (a.SelFilterValue != b.SelFilterValue || a.SelFilterRadius != b.SelFilterRadius))))
        return false;
    if (Has(m, mmSelAreas)) {
        if (a.Data[0] != b.Data[0]) return false;
        if (a.Data[0] >= 1) {
            const int64_t last = std::min<int64_t>(a.Data[0], int64_t(a.Data.size()) - 1);
            for (int64_t i = 0; i <= last; ++i)
                if (a.Data[size_t(i)] != b.Data[size_t(i)]) return false;
        }
    }
    return true;
}
