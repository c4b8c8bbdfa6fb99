// lzw_decode_vs_libtiff: the raw strips of an LZW TIFF of the bench photo (no predictor, the
// default strips of about 8 KB that `tiffcp -c lzw` writes, made here by the same library) decoded
// by TTIFFLZWDecoder against libtiff's TIFFReadEncodedStrip of the same strips, in the same
// process. Goal: <= 1.0.
// gif_lzw_decode_vs_giflib: the photo reduced to 256 colours by giflib and written by it as GIF
// data, decoded by TGIFLZWDecoder (its sub-blocks joined first, counted in our time) against
// giflib's DGifGetLine of the whole picture from memory. Goal: <= 1.0.
// Both take the best of several rounds and check that the two decodes agree byte for byte.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <gif_lib.h>
#include <tiffio.h>

#include "BenchPhoto.h"
#include "formats/decoders/LzwDecoders.h"

namespace {

template <class F> double Seconds(F&& f)
{
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

constexpr int Rounds = 5;

// ---- TIFF ----

std::string WriteLzwTiff(const TBitmap& photo)
{
    const std::string path = (BenchWorkFolder() / "photo_lzw.tif").string();
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (!tif) throw std::runtime_error("cannot write " + path);
    const uint32_t w = uint32_t(photo.Width()), h = uint32_t(photo.Height());
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    std::vector<uint8_t> row(size_t(w) * 3);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* bgr = photo.ScanLine(int(y));
        for (uint32_t x = 0; x < w; ++x) {
            row[3 * x] = bgr[3 * x + 2];
            row[3 * x + 1] = bgr[3 * x + 1];
            row[3 * x + 2] = bgr[3 * x];
        }
        if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) throw std::runtime_error("libtiff write failed");
    }
    TIFFClose(tif);
    return path;
}

void TiffFigure(const TBitmap& photo)
{
    const std::string path = WriteLzwTiff(photo);
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (!tif) throw std::runtime_error("cannot read " + path);
    const uint32_t strips = TIFFNumberOfStrips(tif);
    const tmsize_t stripSize = TIFFStripSize(tif);
    std::vector<std::vector<uint8_t>> raw(strips);
    std::vector<int32_t> unpacked(strips);
    size_t packedTotal = 0;
    for (uint32_t s = 0; s < strips; ++s) {
        raw[s].resize(size_t(TIFFRawStripSize(tif, s)));
        TIFFReadRawStrip(tif, s, raw[s].data(), tmsize_t(raw[s].size()));
        packedTotal += raw[s].size();
    }
    uint32_t rowsPerStrip = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    for (uint32_t s = 0; s < strips; ++s)
        unpacked[s] = int32_t(TIFFVStripSize(tif, std::min(rowsPerStrip, height - s * rowsPerStrip)));
    std::vector<uint8_t> theirs(size_t(stripSize) * strips), ours(theirs.size());

    TTIFFLZWDecoder decoder;
    double best = 1e9, reference = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        reference = std::min(reference, Seconds([&] {
                                 for (uint32_t s = 0; s < strips; ++s)
                                     TIFFReadEncodedStrip(tif, s, theirs.data() + size_t(s) * size_t(stripSize), -1);
                             }));
        best = std::min(best, Seconds([&] {
                            for (uint32_t s = 0; s < strips; ++s) {
                                const uint8_t* source = raw[s].data();
                                uint8_t* dest = ours.data() + size_t(s) * size_t(stripSize);
                                decoder.Decode(source, dest, int32_t(raw[s].size()), unpacked[s]);
                            }
                        }));
    }
    TIFFClose(tif);
    if (ours != theirs) throw std::runtime_error("the TIFF decodes differ");
    std::printf("info lzw_decode_vs_libtiff: %u strips of %u rows, %.1f MB packed; ours %.1f ms, libtiff %.1f ms\n",
                strips, rowsPerStrip, double(packedTotal) / 1e6, best * 1000, reference * 1000);
    std::printf("lzw_decode_vs_libtiff: %.3f\n", best / reference);
}

// ---- GIF ----

struct TMemoryGif
{
    std::vector<uint8_t> Data;
    size_t Pos = 0;
};

int WriteToMemory(GifFileType* gif, const GifByteType* bytes, int count)
{
    auto* m = static_cast<TMemoryGif*>(gif->UserData);
    m->Data.insert(m->Data.end(), bytes, bytes + count);
    return count;
}

int ReadFromMemory(GifFileType* gif, GifByteType* bytes, int count)
{
    auto* m = static_cast<TMemoryGif*>(gif->UserData);
    const size_t n = std::min(size_t(count), m->Data.size() - m->Pos);
    std::memcpy(bytes, m->Data.data() + m->Pos, n);
    m->Pos += n;
    return int(n);
}

std::vector<uint8_t> WriteGif(const TBitmap& photo)
{
    const unsigned w = unsigned(photo.Width()), h = unsigned(photo.Height());
    std::vector<GifByteType> r(size_t(w) * h), g(r.size()), b(r.size()), indices(r.size());
    for (unsigned y = 0; y < h; ++y) {
        const uint8_t* bgr = photo.ScanLine(int(y));
        for (unsigned x = 0; x < w; ++x) {
            const size_t i = size_t(y) * w + x;
            b[i] = bgr[3 * x];
            g[i] = bgr[3 * x + 1];
            r[i] = bgr[3 * x + 2];
        }
    }
    int colours = 256;
    std::vector<GifColorType> palette(256);
    if (GifQuantizeBuffer(w, h, &colours, r.data(), g.data(), b.data(), indices.data(), palette.data()) != GIF_OK)
        throw std::runtime_error("giflib could not reduce the colours");
    TMemoryGif out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToMemory, &error);
    ColorMapObject* map = GifMakeMapObject(256, palette.data());
    if (!gif || !map || EGifPutScreenDesc(gif, int(w), int(h), 8, 0, map) != GIF_OK ||
        EGifPutImageDesc(gif, 0, 0, int(w), int(h), false, nullptr) != GIF_OK)
        throw std::runtime_error("giflib could not start the GIF");
    for (unsigned y = 0; y < h; ++y)
        if (EGifPutLine(gif, indices.data() + size_t(y) * w, int(w)) != GIF_OK)
            throw std::runtime_error("giflib could not write a row");
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out.Data;
}

// The minimum code size and the joined sub-blocks of the first image of a GIF written as above.
std::vector<uint8_t> ImageData(const std::vector<uint8_t>& gif, int& codeSize)
{
    size_t pos = 13;
    if (gif[10] & 0x80) pos += size_t(3) << ((gif[10] & 7) + 1);
    while (gif[pos] == 0x21) {
        pos += 2;
        while (gif[pos]) pos += gif[pos] + 1u;
        ++pos;
    }
    const uint8_t flags = gif[pos + 9];
    pos += 10;
    if (flags & 0x80) pos += size_t(3) << ((flags & 7) + 1);
    codeSize = gif[pos++];
    std::vector<uint8_t> data;
    data.reserve(gif.size());
    while (pos < gif.size() && gif[pos]) {
        data.insert(data.end(), gif.begin() + std::ptrdiff_t(pos + 1), gif.begin() + std::ptrdiff_t(pos + 1 + gif[pos]));
        pos += gif[pos] + 1u;
    }
    return data;
}

void GifFigure(const TBitmap& photo)
{
    TMemoryGif in;
    in.Data = WriteGif(photo);
    const size_t pixels = size_t(photo.Width()) * size_t(photo.Height());
    std::vector<uint8_t> theirs(pixels), ours(pixels);
    double best = 1e9, reference = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        reference = std::min(reference, Seconds([&] {
                                 in.Pos = 0;
                                 int error = 0;
                                 GifFileType* gif = DGifOpen(&in, ReadFromMemory, &error);
                                 GifRecordType type;
                                 do {
                                     if (!gif || DGifGetRecordType(gif, &type) != GIF_OK)
                                         throw std::runtime_error("giflib could not read the GIF");
                                 } while (type != IMAGE_DESC_RECORD_TYPE);
                                 if (DGifGetImageDesc(gif) != GIF_OK ||
                                     DGifGetLine(gif, theirs.data(), int(pixels)) != GIF_OK)
                                     throw std::runtime_error("giflib could not decode the GIF");
                                 DGifCloseFile(gif, &error);
                             }));
        best = std::min(best, Seconds([&] {
                            int codeSize = 0;
                            const std::vector<uint8_t> data = ImageData(in.Data, codeSize);
                            TGIFLZWDecoder decoder(codeSize);
                            const uint8_t* source = data.data();
                            uint8_t* dest = ours.data();
                            decoder.Decode(source, dest, int32_t(data.size()), int32_t(pixels));
                        }));
    }
    if (ours != theirs) throw std::runtime_error("the GIF decodes differ");
    std::printf("info gif_lzw_decode_vs_giflib: 256 colours, %.1f MB of GIF data; ours %.1f ms, giflib %.1f ms\n",
                double(in.Data.size()) / 1e6, best * 1000, reference * 1000);
    std::printf("gif_lzw_decode_vs_giflib: %.3f\n", best / reference);
}

} // namespace

int main()
{
    const TBitmap photo = BenchPhoto();
    std::printf("info: picture: photo %dx%d (crop of %s)\n", photo.Width(), photo.Height(),
                std::filesystem::path(BenchPhotoJpeg).filename().c_str());
    TiffFigure(photo);
    GifFigure(photo);
    return 0;
}
