#include "codec/JPEGImage.h"

#include <algorithm>
#include <atomic>
#include <cassert>

#include "codec/JpegDecode.h"
#include "codec/JpegEncode.h"
#include "codec/RatioSearch.h"
#include "codec/StageCache.h"
#include "platform/Exceptions.h"
#include "platform/Round.h"

namespace {
std::atomic<bool> gDefaultPixelFormat8Bit{false};

constexpr uint8_t DefaultQuality = 50;
constexpr uint8_t DefaultFilterValue = 50;
constexpr int32_t DefaultFilterRadius = 5;
constexpr const char* SCannotResize = "Cannot change the size of a JPEG image";
} // namespace

void SetJpegScreenDepth(int bitsPerPixel) { gDefaultPixelFormat8Bit = bitsPerPixel <= 8; }
bool DefaultPixelFormat8Bit() { return gDefaultPixelFormat8Bit; }

TJPEGImage::TJPEGImage()
    : Data(std::make_shared<TJPEGData>()), PixelFormat8Bit(DefaultPixelFormat8Bit()),
      FStageCache(std::make_unique<TStageCache>())
{
    InstallSelUnitDeleter(SelUnits);
}

TJPEGImage::~TJPEGImage()
{
    SelUnits.Clear();
}

// ---- graphic operations ----

int TJPEGImage::Width() const { return ShownSize().first; }
int TJPEGImage::Height() const { return ShownSize().second; }

std::pair<int, int> TJPEGImage::ShownSize() const
{
    if (Bitmap) return {Bitmap->Width(), Bitmap->Height()};
    if (SourceBitmap) return {SourceBitmap->Width(), SourceBitmap->Height()};
    if (Scale != 0) {
        if (!NeedHeader) return {ScaledWidth, ScaledHeight};
        const TJpegScaledSize size = ReadScaledSize(*this);
        return {size.Width, size.Height};
    }
    return {Data->Width, Data->Height};
}

int TJPEGImage::GetWidth()
{
    if (!Bitmap && !SourceBitmap && Scale != 0) RecalcScaledSize(*this);
    return Width();
}

int TJPEGImage::GetHeight()
{
    if (!Bitmap && !SourceBitmap && Scale != 0) RecalcScaledSize(*this);
    return Height();
}

bool TJPEGImage::GetEmpty() const
{
    if (Data && Data->Data) return false;
    if (!Bitmap) return true;
    return Bitmap->Empty();
}

void TJPEGImage::Assign(const TJPEGImage& source)
{
    if (&source == this) return;
    Data = source.Data;
    // The scaled size and a bitmap decoded from the data dropped here belonged to that data.
    NeedHeader = true;
    if (source.Bitmap)
        Bitmap = std::make_unique<TBitmap>(*source.Bitmap);
    else
        Bitmap.reset();
    Changed();
}

void TJPEGImage::Assign(const TBitmap& source)
{
    Data = std::make_shared<TJPEGData>();
    NeedHeader = true;
    Bitmap = std::make_unique<TBitmap>(source);
    Changed();
}

void TJPEGImage::AssignTo(TBitmap& dest)
{
    const TBitmap* bmp = GetBitmap();
    dest = bmp ? *bmp : TBitmap();
}

void TJPEGImage::Changed()
{
    Modified = true;
    if (OnChange) OnChange(this);
}

bool TJPEGImage::Equals(const TGraphic& other) const
{
    auto* o = dynamic_cast<const TJPEGImage*>(&other);
    return o && Data && o->Data == Data;
}

const TPaletteEntries& TJPEGImage::GetPalette() const
{
    if (Bitmap && !Bitmap->Palette().empty()) return Bitmap->Palette();
    return Palette;
}

void TJPEGImage::SetPalette(const TPaletteEntries& p)
{
    if (p == Palette) return;
    bool freed = false;
    if (Bitmap && Bitmap->Palette() != p) {
        FreeBitmap();
        freed = true;
    }
    Palette = p;
    if (freed) Changed();
}

void TJPEGImage::SetWidth(int) { throw EInvalidGraphicOperation(SCannotResize); }
void TJPEGImage::SetHeight(int) { throw EInvalidGraphicOperation(SCannotResize); }

void TJPEGImage::LoadFromStream(TStream& stream)
{
    const int64_t size = stream.Size() - stream.Position();
    if (size == 0) throw EJPEG(SEmptyJpegFile);
    ReadStreamHeader(size, stream);
}

void TJPEGImage::ReadData(TStream& stream)
{
    uint8_t len[4];
    stream.ReadBuffer(len, 4);
    int32_t size = int32_t(uint32_t(len[0]) | uint32_t(len[1]) << 8 | uint32_t(len[2]) << 16 | uint32_t(len[3]) << 24);
    ReadStreamHeader(size, stream);
}

void TJPEGImage::WriteData(TStream& stream)
{
    int64_t size = GetJpegDataSize();
    if (size > INT32_MAX) throw EWriteError("Stream write error");
    uint32_t u = uint32_t(size);
    uint8_t len[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
    stream.WriteBuffer(len, 4);
    if (size >= 1) stream.WriteBuffer(Data->Data->Memory(), size);
}

void TJPEGImage::ReadStreamHeader(int64_t size, TStream& stream)
{
    // The length comes from the stream itself: check it before allocating.
    if (size < 0 || size > stream.Size() - stream.Position()) throw EReadError("Stream read error");
    auto data = std::make_shared<TJPEGData>();
    data->Data = std::make_unique<TMemoryStream>();
    data->Data->SetSize(size);
    stream.ReadBuffer(data->Data->Memory(), size);
    Data = std::move(data);
    // The bitmap and the scaled size belonged to the previous data.
    Bitmap.reset();
    NeedHeader = true;
    if (size > 0) ReadStreamInfo(*this);
    PaletteModified = true;
    Changed();
}

void TJPEGImage::SaveToStream(TStream& stream)
{
    EnsureJpegData();
    if (GetJpegDataSize() > 0) stream.WriteBuffer(Data->Data->Memory(), GetJpegDataSize());
}

// ---- program operations ----

void TJPEGImage::SetSourceBitmap(const TBitmap* source)
{
    if (source != SourceBitmap) ReleaseStageCache();
    SourceBitmap = source;
}

void TJPEGImage::ReleaseStageCache() { FStageCache->Clear(); }

void TJPEGImage::EnsureJpegData()
{
    if (!Data->Data) CompressImage();
}

TBitmap* TJPEGImage::EnsureBitmap()
{
    assert(MayUseRunFields());
    if (!Data->Data) return Bitmap.get();
    return DecodeJpeg(*this);
}

void TJPEGImage::FreeBitmap() { Bitmap.reset(); }

int64_t TJPEGImage::GetJpegDataSize() const
{
    assert(MayUseRunFields());
    return Data && Data->Data ? Data->Data->Size() : 0;
}

TMemoryStream* TJPEGImage::GetJpegStream() const
{
    assert(MayUseRunFields());
    return Data ? Data->Data.get() : nullptr;
}

void TJPEGImage::BeginRun()
{
    FRunThread = std::thread::id();
    FRunActive = true;
}

void TJPEGImage::ClaimRun() { FRunThread = std::this_thread::get_id(); }

void TJPEGImage::EndRun()
{
    FRunActive = false;
    FRunThread = std::thread::id();
}

bool TJPEGImage::MayUseRunFields() const { return !FRunActive || FRunThread.load() == std::this_thread::get_id(); }

bool TJPEGImage::IsGrayscale() const { return Grayscale || (Data && Data->Grayscale); }

int TJPEGImage::GetEqualizerBand(int i) const { return i >= 0 && i < 5 ? QualityEqualizerBands[size_t(i)] : 0; }
void TJPEGImage::SetEqualizerBand(int i, int v)
{
    if (i >= 0 && i < 5) QualityEqualizerBands[size_t(i)] = int8_t(v);
}
int TJPEGImage::GetSelEqualizerBand(int i) const { return i >= 0 && i < 5 ? SelQualityEqualizerBands[size_t(i)] : 0; }
void TJPEGImage::SetSelEqualizerBand(int i, int v)
{
    if (i >= 0 && i < 5) SelQualityEqualizerBands[size_t(i)] = int8_t(v);
}
int TJPEGImage::GetFilterValue(int kind) const { return kind >= 1 && kind <= 5 ? FilterValues[size_t(kind - 1)] : 0; }
void TJPEGImage::SetFilterValue(int kind, int v)
{
    if (kind >= 1 && kind <= 5) FilterValues[size_t(kind - 1)] = uint8_t(v);
}
int TJPEGImage::GetSelFilterValue(int kind) const
{
    return kind >= 1 && kind <= 5 ? SelFilterValues[size_t(kind - 1)] : 0;
}
void TJPEGImage::SetSelFilterValue(int kind, int v)
{
    if (kind >= 1 && kind <= 5) SelFilterValues[size_t(kind - 1)] = uint8_t(v);
}

void TJPEGImage::SetCompressionRatio(float r)
{
    ComprRatio = r;
    if (r > 0) DisplayRatio = RoundInt(r);
}

void TJPEGImage::SetSubsampling(int mode)
{
    switch (mode) {
    case 0: SamplingFactors = {{{2, 2}, {1, 1}, {1, 1}}}; break;
    case 1: SamplingFactors = {{{1, 1}, {1, 1}, {1, 1}}}; break;
    case 2: SamplingFactors = {{{1, 1}, {2, 2}, {2, 2}}}; break;
    default: break;
    }
}

int TJPEGImage::GetSubsampling() const
{
    if (IsGrayscale()) return 0;
    if (SamplingFactors[0].H == 1 && SamplingFactors[1].H == 1) return 1;
    if (SamplingFactors[0].H == 1 && SamplingFactors[1].H == 2) return 2;
    return 0;
}

void TJPEGImage::SetScale(uint8_t s)
{
    if (s == Scale) return;
    FreeBitmap();
    Scale = s;
    NeedHeader = true;
    Changed();
}

bool TJPEGImage::ResetSettings(int group)
{
    bool changed = false;
    switch (group & 0x7F) {
    case 0:
        changed = LumQuality != DefaultQuality || ChromQuality != DefaultQuality;
        LumQuality = ChromQuality = DefaultQuality;
        break;
    case 1:
        changed = SelLumQuality != DefaultQuality || SelChromQuality != DefaultQuality || SelThreshold != 50;
        SelLumQuality = SelChromQuality = DefaultQuality;
        SelThreshold = 50;
        break;
    case 2:
        changed = std::any_of(QualityEqualizerBands.begin(), QualityEqualizerBands.end(), [](int8_t b) { return b; });
        QualityEqualizerBands.fill(0);
        break;
    case 3:
        changed =
            std::any_of(SelQualityEqualizerBands.begin(), SelQualityEqualizerBands.end(), [](int8_t b) { return b; });
        SelQualityEqualizerBands.fill(0);
        break;
    case 4:
        changed = ActiveFilter > 0;
        ActiveFilter = 0;
        FilterValues.fill(DefaultFilterValue);
        FilterRadius = DefaultFilterRadius;
        break;
    case 5:
        changed = SelActiveFilter > 0;
        SelActiveFilter = 0;
        SelFilterValues.fill(DefaultFilterValue);
        SelFilterRadius = DefaultFilterRadius;
        break;
    default: break;
    }
    return changed;
}

int TJPEGImage::RoundedRatio() const { return RoundedRatioFor(ComprRatio); }

int TJPEGImage::RoundedRatioFor(float comprRatio) const
{
    if (comprRatio != 0) return RoundInt(comprRatio);
    int64_t size = GetJpegDataSize();
    if (size <= 0) return 20;
    float r = float(double(int64_t(Data->Width) * Data->Height * 3) / double(size));
    if (r > 50) return RoundInt(r * 0.1) * 10;
    if (r > 8) return RoundInt(r * 0.2) * 5;
    return std::max(RoundInt(r), 1);
}

bool TJPEGImage::FitDecodeScale(int boxW, int boxH)
{
    // The full size of the stored picture, whatever scale the display uses now.
    double w = Data->Width, h = Data->Height;
    if (w <= 0 || h <= 0) return false;
    double a = w / h, fw, fh;
    if (a > 1) {
        fw = 1;
        fh = 1 / a;
    } else {
        fw = a;
        fh = 1;
    }
    static constexpr double factors[3] = {0.6, 0.3, 0.15};
    uint8_t scale = 3;
    for (uint8_t s = 0; s < 3; ++s)
        if (boxW > Round(w * factors[s] * fw) && boxH > Round(h * factors[s] * fh)) {
            scale = s;
            break;
        }
    SetScale(scale);
    return Scale != 0;
}

void TJPEGImage::CopySettingsFrom(TJPEGImage& source, bool withFlags)
{
    DensityUnit = source.DensityUnit;
    XDensity = source.XDensity;
    YDensity = source.YDensity;
    if (!withFlags) return;
    Comments.SetText(source.Comments.Text());
    RestartInterval = source.RestartInterval;
    Grayscale = source.IsGrayscale();
    ProgressiveEncoding = source.ProgressiveEncoding;
    SetSubsampling(source.GetSubsampling());
}

uint8_t TJPEGImage::OverallProgress(int p)
{
    p = std::clamp(p, 0, 100);
    TrialPercent = uint8_t(p);
    if (TRatioSearch* search = FActiveSearch.load()) return search->OverallProgress(uint8_t(p));
    if (!RatioSearchActive) return uint8_t(p);
    return RatioSearchProgress(ComprRatioMaxNumAppr, TrialCount, p);
}
