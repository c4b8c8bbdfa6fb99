#pragma once
// JPEG-compressed TIFF strips and tiles, each a JPEG stream of its own, often without tables: those
// stand once in the JPEGTables tag and are read before the first strip. Rows come out in the bitmap's
// blue-green-red order (one grey sample for a one-component stream).
//
// Every strip is checked against the image before it is decoded: its size (the rows the strip holds,
// or the tile size), its component count, precision and sampling; a row of the output must fit the
// image's row. Library warnings, and the end of a strip's data reached early, are added to Warnings;
// they are never shown from here. Rows a short strip does not produce are left as the caller gave
// them.
#include <cstdint>
#include <memory>
#include <vector>

#include "formats/Decoder.h"
#include "formats/FormatGraphic.h"
#include "platform/StringList.h"

class TJpegDecompressor;

inline constexpr const char* BogusJpegTablesText = "Bogus JPEG tables field.";
inline constexpr const char* ImproperStripSizeText = "Improper JPEG strip/tile size.";
inline constexpr const char* ImproperComponentCountText = "Improper JPEG component count.";
inline constexpr const char* ImproperPrecisionText = "Improper JPEG data precision.";
inline constexpr const char* ImproperSamplingText = "Improper JPEG sampling factors.";
inline constexpr const char* FractionalScanlineText = "Fractional JPEG scanline unsupported.";
inline constexpr const char* JpegUnexpectedEndText = "JPEG decompression error. Unexpected end of input.";

class TTIFFJPEGDecoder : public TDecoder
{
public:
    // The properties are read at every Decode (CurrentRow, BytesPerLine); they and warnings must
    // outlive the decoder.
    TTIFFJPEGDecoder(const TImageProperties& properties, TStringList& warnings);
    ~TTIFFJPEGDecoder() override;

    void DecodeInit() override;
    // One strip or tile: packedSize bytes of JPEG stream into unpackedSize bytes of rows.
    void Decode(const uint8_t*& source, uint8_t*& dest, int32_t packedSize, int32_t unpackedSize) override;
    void DecodeEnd() override;
    void Encode(const uint8_t*, uint8_t*, uint32_t, uint32_t& bytesStored) override { bytesStored = 0; }

private:
    void CheckStream(int segmentWidth, int segmentHeight);
    // Points the library at size bytes; running out of them adds the early-end warning.
    void InstallSource(const uint8_t* data, size_t size);
    static int FillNotingEnd(struct jpeg_decompress_struct* cinfo);

    const TImageProperties& FProperties;
    TStringList& FWarnings;
    std::vector<uint8_t> FTables;
    std::unique_ptr<TJpegDecompressor> FInfo;
    int FHSampling = 1;
    int FVSampling = 1;
    int (*FLibraryFill)(struct jpeg_decompress_struct*) = nullptr; // the memory source's own refill
};
