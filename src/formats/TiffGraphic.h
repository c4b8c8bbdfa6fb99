#pragma once
// Tagged Image File Format pictures ("tiff", "tif", "fax") and the TIFF preview of Encapsulated
// PostScript files ("eps"). The first image of the file is loaded: strips or tiles, chunky or one
// plane per sample, through the decompressor its compression names, converted row by row by the
// colour manager.
//
// Input is hostile: every list a directory entry points at must lie inside the file, sizes and
// single values come only from entries of count 1, the colour layout is checked against what the
// conversions can take before anything is allocated, and strips whose byte counts are missing are
// bounded by the next strip or the end of the file.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/FormatGraphic.h"
#include "platform/StringList.h"

// One 12-byte directory entry; Value holds the value field as the file stores it.
struct TTiffEntry
{
    uint16_t Tag = 0;
    uint16_t Type = 0;
    uint32_t Count = 0;
    uint8_t Value[4] = {};
};

class TTIFFGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream& stream);
    bool ReadImageProperties(TStream& stream, unsigned imageIndex) override;
    static const TGraphicClass& Class();

    // Warnings of the JPEG library met while loading JPEG strips, kept for the caller to show.
    TStringList LibraryWarnings;

    // Directory access on the current directory (sorted by tag).
    bool FindTag(uint16_t tag, size_t& index) const;
    // The value of an entry of count 1 and of an integer type; def otherwise.
    uint32_t GetValue(uint16_t tag, uint32_t def) const;
    // The entry's values as integers (rationals give their numerators), floats or bytes; empty when
    // the tag is absent or of a type without numbers. Values outside the entry must lie inside the
    // stream, else EReadError.
    std::vector<uint32_t> GetValueList(TStream& stream, uint16_t tag) const;
    std::vector<float> GetFloatList(TStream& stream, uint16_t tag) const;
    std::vector<uint8_t> GetByteList(TStream& stream, uint16_t tag) const;
    float GetFloatValue(TStream& stream, uint16_t tag, float def) const;

    std::vector<float> YCbCrCoefficients() const { return FYCbCrCoefficients; }
    uint32_t YCbCrPositioning() const { return FYCbCrPositioning; }

protected:
    const char* ShortName() const override { return "TIF/TIFF"; }
    void LoadImageData(TStream& stream, TBitmap& target) override;

private:
    struct TLoadPlan;
    // Reads directory imageIndex into FIFD; false when the chain ends before it.
    bool ReadDirectory(TStream& stream, unsigned imageIndex);
    uint16_t Get16(const uint8_t* p) const;
    uint32_t Get32(const uint8_t* p) const;
    // The elements of an entry as raw bytes in file order, with their element size.
    std::vector<uint8_t> EntryBytes(TStream& stream, const TTiffEntry& e, unsigned& elementSize) const;

    void SetupColor(TLoadPlan& plan);
    void SetupPalette(TStream& stream, TBitmap& target, const TLoadPlan& plan);
    std::unique_ptr<TDecoder> CreateDecoder(TStream& stream);
    // Reads and decodes one strip or tile into out (rows x rowBytes bytes, zero where nothing is
    // decoded) and undoes the predictor on each of its rows of width pixels.
    void DecodeSegment(TStream& stream, TLoadPlan& plan, size_t index, int rows, int64_t rowBytes, int width,
                       std::vector<uint8_t>& out);
    void LoadStrips(TStream& stream, TLoadPlan& plan, TBitmap& target);
    void LoadTiles(TStream& stream, TLoadPlan& plan, TBitmap& target);
    void ConvertBandRows(TLoadPlan& plan, const std::vector<std::vector<uint8_t>>& planes, int rows,
                         TBitmap& target);

    std::vector<TTiffEntry> FIFD;
    bool FBigEndian = false;
    uint32_t FSamples = 0; // tag values before they are narrowed into the properties
    uint32_t FBits = 0;
    uint32_t FYCbCrPositioning = 1;
    std::vector<float> FYCbCrCoefficients;
};

// The TIFF preview of an EPS file: a 30-byte header names where the preview lies, and the TIFF
// reader runs on those bytes only.
class TEPSGraphic : public TTIFFGraphic
{
public:
    static bool CanLoad(TStream& stream);
    void LoadFromStream(TStream& stream) override;
    static const TGraphicClass& Class();
};
