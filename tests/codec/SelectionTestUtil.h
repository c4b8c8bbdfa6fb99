#pragma once
// The compressed bytes of an image, and an image with every setting away from its default;
// the selection-area helpers come from the support library.
#include <cstdint>
#include <functional>
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
    im.LumQuality = 71;
    im.ChromQuality = 33;
    im.SetCompressionRatio(14.5f);
    im.QualityEqualizerBands = {-50, -7, 3, 9, 50};
    im.ActiveFilter = 3;
    im.SetFilterValue(3, 77);
    im.FilterRadius = 6;
    im.Grayscale = true;
    im.ProgressiveEncoding = true;
    im.SamplingFactors = {{{1, 1}, {1, 1}, {1, 1}}};
    im.RestartInterval = 9;
    im.EqualizerFullControl = true;
    im.SelectiveCompression = true;
    im.SelLumQuality = 91;
    im.SelChromQuality = 80;
    im.SelThreshold = 12;
    im.SelQualityEqualizerBands = {-9, 8, -7, 6, -5};
    im.SelActiveFilter = 2;
    im.SetSelFilterValue(2, 22);
    im.SelFilterRadius = 3;
    im.Comments.SetText("A comment = with an equals sign");
    im.ResamplingOptions = {1, 640, 75, 0, 1, false, 0, 0, 2, 200};
    im.XDensity = 300;
    im.YDensity = 150;
    im.ProfileName = "Custom";
    im.MatchMask = 0x7FFF;
    AddSelectionArea(im, skEllipse, 100, 200, 300, 400);
}
