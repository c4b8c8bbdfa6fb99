#pragma once
// The compressed bytes of an image, and an image with every setting away from its default;
// the selection-area helpers come from the support library.
#include <cstdint>
#include <functional>
#include <tuple>
#include <vector>

#include "codec/JPEGImage.h"
#include "codec/SelUnit.h"
#include "support/SelectionAreas.h"

// The image's compressed file, empty when it has none.
inline std::vector<uint8_t> CompressedBytes(const TJPEGImage& image)
{
    TMemoryStream* s = image.GetJpegStream();
    if (!s) return {};
    return std::vector<uint8_t>(s->Memory(), s->Memory() + s->Size());
}

// The file of an image over src after `setup`.
inline std::vector<uint8_t> EncodeImage(const TBitmap& src, const std::function<void(TJPEGImage&)>& setup = {})
{
    TJPEGImage im;
    im.SetSourceBitmap(&src);
    if (setup) setup(im);
    im.CompressImage();
    return CompressedBytes(im);
}

// Every setting of the image away from its default, and one ellipse as its selection.
inline void SetEverySetting(TJPEGImage& im)
{
    std::tie(im.LumQuality, im.ChromQuality, im.Grayscale, im.ProgressiveEncoding, im.RestartInterval) =
        std::tuple(71, 33, true, true, 9);
    im.SetCompressionRatio(14.5f);
    im.QualityEqualizerBands = {-50, -7, 3, 9, 50};
    std::tie(im.ActiveFilter, im.FilterRadius, im.EqualizerFullControl) = std::tuple(3, 6, true);
    im.SetFilterValue(3, 77);
    im.SamplingFactors = {{{1, 1}, {1, 1}, {1, 1}}};
    std::tie(im.SelectiveCompression, im.SelLumQuality, im.SelChromQuality, im.SelThreshold) = std::tuple(true, 91, 80, 12);
    im.SelQualityEqualizerBands = {-9, 8, -7, 6, -5};
    std::tie(im.SelActiveFilter, im.SelFilterRadius) = std::tuple(2, 3);
    im.SetSelFilterValue(2, 22);
    im.Comments.SetText("A comment = with an equals sign");
    im.ResamplingOptions = {1, 640, 75, 0, 1, false, 0, 0, 2, 200};
    std::tie(im.XDensity, im.YDensity, im.ProfileName, im.MatchMask) = std::tuple(300, 150, "Custom", 0x7FFF);
    AddSelectionArea(im, skEllipse, 100, 200, 300, 400);
}
