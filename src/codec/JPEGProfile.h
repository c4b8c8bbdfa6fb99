#pragma once
// One complete set of compression settings, copied by value: the global profile, the profile
// editor, profile files and the two copies every image keeps for its compression runs. MatchMask
// selects the groups of settings the record carries.
#include <array>
#include <cstdint>
#include <string>

#include "resample/ResamplingOptions.h"

class TJPEGImage;

// Setting groups of MatchMask.
enum : uint16_t {
    mmQualities = 0x0001,        // LumQuality, ChromQuality
    mmBands = 0x0002,            // main equalizer bands
    mmRatio = 0x0004,            // ComprRatio
    mmFilter = 0x0008,           // ActiveFilter with its value and radius
    mmGrayscale = 0x0010,
    mmProgressive = 0x0020,
    mmPrecision = 0x0040,        // subsampling mode
    mmRestartInterval = 0x0080,
    mmComments = 0x0100,
    mmSelective = 0x0200,        // SelectiveCompression, selection qualities, SelThreshold
    mmSelBands = 0x0400,
    mmSelFilter = 0x0800,
    mmSelAreas = 0x1000,
    mmResampling = 0x2000,
    mmResolution = 0x4000,       // the DPI pair
};
// Every group but the restart interval, the comments and the resolution.
constexpr uint16_t DefaultMatchMask = 0x3E7F;

constexpr int ProfileNameMaxLength = 63; // characters
// The name cut to at most ProfileNameMaxLength characters (UTF-8 sequences are kept whole).
std::string CutProfileName(const std::string& name);
constexpr int ProfileDataEntries = 8193;

struct TJPEGProfile
{
    uint8_t LumQuality = 0;
    uint8_t ChromQuality = 0;
    float ComprRatio = 0;
    std::array<int8_t, 5> QualityEqualizerBand{};
    int32_t ActiveFilter = 0;
    uint8_t FilterValue = 0;
    int32_t FilterRadius = 0;
    bool Grayscale = false;
    bool ProgressiveEncoding = false;
    uint8_t Precision = 0; // subsampling mode 0..2
    int32_t RestartInterval = 0;
    bool EqualizerFullControl = false;
    bool SelectiveCompression = false;
    uint8_t SelLumQuality = 0;
    uint8_t SelChromQuality = 0;
    uint8_t SelThreshold = 0;
    std::array<int8_t, 5> SelQualityEqualizerBand{};
    int32_t SelActiveFilter = 0;
    uint8_t SelFilterValue = 0;
    int32_t SelFilterRadius = 0;
    std::string Comments; // the comment lines, each followed by CR LF
    TResamplingOptions Resampling; // its DPI pair is the image's resolution
    std::string Name;              // at most ProfileNameMaxLength characters
    uint16_t MatchMask = 0;
    // Selection areas: [0] index of the last entry written, [1] number of areas, then per area its
    // kind and either BegX, BegY, EndX, EndY (kinds 0, 1) or N and N pairs X, Y (kind 2).
    std::array<int32_t, ProfileDataEntries> Data{};
};

// Zeroes rec and fills it from the image's settings (selection areas: the complete ones that fit).
void GetSettingsRecord(const TJPEGImage& image, TJPEGProfile& rec);
// Applies the groups selected by rec.MatchMask to the image.
void ApplySettingsRecord(TJPEGImage& image, const TJPEGProfile& rec);
// True when every group selected by b.MatchMask is equal in a and b.
bool ProfilesMatch(const TJPEGProfile& a, const TJPEGProfile& b);
