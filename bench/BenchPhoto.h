#pragma once
// The real photograph of the codec, engine and GUI benchmarks: an unscaled 4000x3000 crop from the
// middle of a textured background photo that Debian's mate-backgrounds installs (bench/run.sh installs
// it). Synthetic pictures code far more easily than photos, so entropy coding would weigh too little;
// this one codes at about 1.7 bit per pixel at quality 75, which every program prints beside its
// figures. The crop is decoded once and kept as a 24-bit BMP in the scratch folder ($BENCH_WORK, else
// bench-work in the build folder), which the scripts read as well.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/JPEGImage.h"
#include "codec/QuantTables.h"
#include "platform/Bitmap.h"
#include "platform/BmpFile.h"
#include "support/LibraryCodec.h"

constexpr const char* BenchPhotoJpeg = "/usr/share/backgrounds/mate/abstract/Elephants_5640x3172.jpg";
constexpr int BenchPhotoWidth = 4000, BenchPhotoHeight = 3000;

// $BENCH_WORK, else bench-work beside the bench folder of the running program (the build folder).
inline std::filesystem::path BenchWorkFolder()
{
    const char* env = std::getenv("BENCH_WORK");
    std::filesystem::path folder =
        env && *env
            ? std::filesystem::path(env)
            : std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "bench-work";
    std::filesystem::create_directories(folder);
    return folder;
}

// The cached crop as a BMP file, made first when it is missing (`made` tells). Throws when the photo
// is not there.
inline std::string BenchPhotoPath(bool* made = nullptr)
{
    const std::filesystem::path bmpPath = BenchWorkFolder() / "photo_4000x3000.bmp";
    if (made) *made = false;
    if (std::filesystem::exists(bmpPath)) return bmpPath.string();
    std::ifstream in(BenchPhotoJpeg, std::ios::binary);
    if (!in) throw std::runtime_error(std::string("cannot read ") + BenchPhotoJpeg + " (mate-backgrounds)");
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const TBitmap whole = LibraryDecode(file);
    if (whole.Width() < BenchPhotoWidth || whole.Height() < BenchPhotoHeight)
        throw std::runtime_error(std::string(BenchPhotoJpeg) + " is smaller than the crop");
    const int left = (whole.Width() - BenchPhotoWidth) / 2, top = (whole.Height() - BenchPhotoHeight) / 2;
    TBitmap crop(BenchPhotoWidth, BenchPhotoHeight, TPixelFormat::pf24bit);
    for (int y = 0; y < BenchPhotoHeight; ++y)
        std::copy_n(whole.ScanLine(top + y) + 3 * left, 3 * BenchPhotoWidth, crop.ScanLine(y));
    crop.Modified();
    // Written under another name first: a program stopped halfway leaves no truncated cache.
    const std::filesystem::path part = bmpPath.string() + ".part";
    SaveBmpToFile(crop, part.string());
    std::filesystem::rename(part, bmpPath);
    if (made) *made = true;
    return bmpPath.string();
}

inline TBitmap BenchPhoto()
{
    TBitmap bmp;
    LoadBmpFromFile(bmp, BenchPhotoPath());
    bmp.ConvertTo24();
    if (bmp.Width() != BenchPhotoWidth || bmp.Height() != BenchPhotoHeight)
        throw std::runtime_error("the cached photo has the wrong size");
    return bmp;
}

// The library's standard tables scaled to `quality` (its own quality scale), in slots 0 and 1.
inline qmjpeg::TQuantSlots LibraryQualityTables(int quality)
{
    TJpegCompressor c;
    c->input_components = 3;
    c->in_color_space = JCS_RGB;
    jpeg_set_defaults(c.Get());
    jpeg_set_quality(c.Get(), quality, TRUE);
    qmjpeg::TQuantSlots slots;
    for (int t = 0; t < 2; ++t) {
        slots[size_t(t)].emplace();
        for (size_t i = 0; i < 64; ++i) (*slots[size_t(t)])[i] = c->quant_tbl_ptrs[t]->quantval[i];
    }
    return slots;
}

// The picture as a JPEG file of the library's own encoder with its defaults (4:2:0, standard
// Huffman tables) and its standard tables at `quality`.
inline std::vector<uint8_t> LibraryEncodeAtQuality(const TBitmap& bmp, int quality)
{
    TEncodeParams p;
    p.Coding.Tables = LibraryQualityTables(quality);
    p.Coding.OptimizeCoding = false;
    return LibraryEncode(bmp, p);
}

// Milliseconds of the library's own encoder on the picture with the image's quality, sampling and
// coding settings, the best of `runs`.
inline double LibraryEncodeMs(const TBitmap& bmp, const TJPEGImage& image, int runs)
{
    TEncodeParams p;
    qmjpeg::TQuantSettings q;
    q.LumQuality = image.LumQuality;
    q.ChromQuality = image.ChromQuality;
    p.Coding.Tables = qmjpeg::BuildQuantTables(q);
    p.Coding.OptimizeCoding = image.OptimizeCoding;
    p.FrontEnd.SamplingFactors = image.SamplingFactors;
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        if (LibraryEncode(bmp, p).empty()) throw std::runtime_error("the library wrote nothing");
        best = std::min(
            best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
}

inline double BitsPerPixelAtQuality75(const TBitmap& bmp)
{
    return 8.0 * double(LibraryEncodeAtQuality(bmp, 75).size()) / (double(bmp.Width()) * bmp.Height());
}

// The information line bench/run.sh shows under each figure of the program.
inline void PrintPhotoInfo(const TBitmap& bmp)
{
    std::printf("info: picture: photo %dx%d (crop of %s), %.2f bit per pixel at the library's quality 75\n",
                bmp.Width(), bmp.Height(), std::filesystem::path(BenchPhotoJpeg).filename().c_str(),
                BitsPerPixelAtQuality75(bmp));
}
