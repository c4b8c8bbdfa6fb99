#include "formats/PcdGraphic.h"

#include <algorithm>
#include <cstring>

#include "formats/ByteFields.h"
#include "formats/FormatGraphicSupport.h"
#include "formats/FormatHelpers.h"

namespace {

constexpr int kHeaderBytes = 6144;
constexpr int kRotationOffset = 3586;
constexpr int kBaseIndex = 2;       // the resolution a load reads from a pack
constexpr int kPackSector = 96;     // where a pack's Base picture starts
constexpr int kOverviewSector = 5;  // where an overview's first picture starts

bool IsOverview(const uint8_t* h) { return std::memcmp(h, "PCD_OPA", 7) == 0; }
bool IsPack(const uint8_t* h) { return std::memcmp(h + 2048, "PCD", 3) == 0; }

} // namespace

bool TPCDGraphic::CanLoad(TStream& stream)
{
    return PeekHeader(stream, 2051, kHeaderBytes + 1,
                      [](const uint8_t* h, size_t) { return IsOverview(h) || IsPack(h); });
}

bool TPCDGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    std::vector<uint8_t> h(kHeaderBytes);
    safeload::ReadExact(stream, h.data(), kHeaderBytes);
    if (!IsOverview(h.data()) && !IsPack(h.data())) return false;
    auto& p = ImageProperties;
    p.Overview = IsOverview(h.data());
    // An overview's pictures are all 192 x 128 and upright.
    const int resolution = p.Overview ? 0 : int(std::min(imageIndex, 5u));
    p.Rotation = p.Overview ? 0 : uint8_t(h[kRotationOffset] & 3);
    p.ImageCount = WordBE(&h[10]);
    p.Width = 192 << resolution;
    p.Height = 128 << resolution;
    if (p.Rotation == 1 || p.Rotation == 3) std::swap(p.Width, p.Height);
    p.ColorScheme = schPhotoYCC;
    p.BitsPerSample = 8;
    p.SamplesPerPixel = 3;
    p.BitsPerPixel = 24;
    p.Compression = resolution < 3 ? TCompressionCode::None : TCompressionCode::PhotoCdHuffman;
    return true;
}

void TPCDGraphic::LoadImageData(TStream& stream, TBitmap& target)
{
    ProgressStarting(PreparingStageText);
    // The base load pattern read the first resolution; a pack loads its Base picture.
    if (!ReadImageProperties(stream, kBaseIndex)) FormatError(InvalidImageText, ShortName());
    const auto& p = ImageProperties;
    const bool turned = p.Rotation == 1 || p.Rotation == 3;
    const int w = turned ? p.Height : p.Width, h = turned ? p.Width : p.Height;
    const size_t planeSize = size_t(w) * size_t(h);
    std::vector<uint8_t> luma(planeSize), chroma1(planeSize), chroma2(planeSize);
    stream.SetPosition(BasePosition + int64_t(p.Overview ? kOverviewSector : kPackSector) * kSectorSize);

    auto& cm = ColorManager;
    cm.SourceOptions = 0;
    cm.TargetOptions = 0;
    cm.SetSourceScheme(schPhotoYCC);
    cm.SetTargetScheme(schBGR);
    cm.SetSourceBitsPerSample(8);
    cm.SetTargetBitsPerSample(8);
    cm.SetSourceSamplesPerPixel(3);
    cm.SetTargetSamplesPerPixel(3);
    cm.SetYCbCrSubsampling({0.2125f, 0.7154f, 0.0721f}, 2, 2);
    PrepareTarget(target, TPixelFormat::pf24bit);
    ProgressEnding();

    // Each pair of luma rows is followed by one row of each chroma plane at half width.
    ProgressStarting(LoadingDataStageText);
    const auto data = safeload::ReadBytes(stream, planeSize + planeSize / 2);
    const uint8_t* source = data.data();
    for (int y = 0; y < h; y += 2) {
        std::memcpy(&luma[size_t(y) * w], source, 2 * size_t(w));
        source += 2 * size_t(w);
        std::memcpy(&chroma1[size_t(y / 2) * w], source, size_t(w) / 2);
        source += w / 2;
        std::memcpy(&chroma2[size_t(y / 2) * w], source, size_t(w) / 2);
        source += w / 2;
    }
    ProgressEnding();

    ProgressStarting(UpsamplingStageText);
    Upsample(w / 2, h / 2, w, chroma1.data(), chroma1.size());
    Upsample(w / 2, h / 2, w, chroma2.data(), chroma2.size());
    ProgressEnding();

    ProgressStarting(TransferringStageText);
    std::vector<uint8_t> row(size_t(w) * 3);
    for (int r = 0; r < h; ++r) {
        const size_t at = size_t(r) * w;
        const std::span<const uint8_t> planes[3] = {{&luma[at], size_t(w)}, {&chroma1[at], size_t(w)},
                                                    {&chroma2[at], size_t(w)}};
        if (p.Rotation == 0) {
            cm.ConvertRow(TColorManager::TPlanes(planes, 3), {target.ScanLine(r), target.Stride()}, uint32_t(w), 0xFF);
        } else {
            cm.ConvertRow(TColorManager::TPlanes(planes, 3), row, uint32_t(w), 0xFF);
            for (int x = 0; x < w; ++x) {
                // Rotation 1 is a quarter turn counter-clockwise, 2 a half turn, 3 a quarter turn clockwise.
                int line, column;
                if (p.Rotation == 1) {
                    line = w - 1 - x;
                    column = r;
                } else if (p.Rotation == 3) {
                    line = x;
                    column = h - 1 - r;
                } else {
                    line = h - 1 - r;
                    column = w - 1 - x;
                }
                std::memcpy(target.ScanLine(line) + size_t(column) * 3, &row[size_t(x) * 3], 3);
            }
        }
        ProgressRowDone(r + 1);
    }
}

const TGraphicClass& TPCDGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TPCDGraphic>("TPCDGraphic");
    return cls;
}
