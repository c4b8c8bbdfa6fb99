#pragma once
// What the program knows about a picture file: its size and dates, the picture's dimensions and
// depth, the uncompressed sizes and ratios, and the format's index and description.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

class TPicture;
class TFileFormatList;

struct TImageFileInfo
{
    int32_t Width = 0;
    int32_t Height = 0;
    int64_t FileSize = 0;   // bytes
    int64_t ImageBytes = 0; // uncompressed at the picture's depth, rows padded to 4 bytes
    int64_t Bytes24 = 0;    // the same at 24 bits per pixel
    int32_t BitsPerPixel = 0;
    float ImageRatio = 0;       // ImageBytes / FileSize
    float Ratio24 = 0;          // Bytes24 / FileSize
    float FileBitsPerPixel = 0; // FileSize x 8 / (Width x Height)
    double Created = 0;         // local date-time (days since 30 Dec 1899), whole seconds
    double Modified = 0;
    uint8_t FormatIndex = 0;       // index into the image format table, 0 = none of its classes
    std::string FormatDescription; // the registry's description of the class, at most 41 characters
    std::string FileName;          // the name the picture was loaded from, never shortened
    bool LoadedByContent = false;  // loaded by content sniffing, not by the extension
    bool PictureInfoValid = false; // the picture fields are filled
    bool JpegScale = false;        // a reduced JPEG decode scale was chosen for the preview box
    bool FileInfoValid = false;    // FileSize, Created and Modified are filled
};

// The image format table: index 1..16 by graphic class name; index 0 is none.
constexpr int ImageFormatCount = 17;
constexpr int ImageFormatBMP = 1;
constexpr int ImageFormatJPEG = 2;
const char* ImageFormatClassName(int index);
const char* ImageFormatShortName(int index);
// Index of a graphic class name in the table, 0 when it is not there.
int ImageFormatIndex(const std::string& className);

// Fills FileSize, Created, Modified and FileInfoValid for info.FileName; a file that cannot be
// opened leaves them zero.
void ReadFileSizeAndTimes(TImageFileInfo& info);
// Fills the picture fields from a loaded picture.
void FillImageInfo(const TPicture& picture, TImageFileInfo& info);
void FillImageInfo(const TPicture& picture, TImageFileInfo& info, const TFileFormatList& formats);
// The registry's common description of the picture's graphic class (empty when unregistered).
std::string GetGraphicFormatDescription(const TPicture& picture);
std::string GetGraphicFormatDescription(const TPicture& picture, const TFileFormatList& formats);

// A date-time (days since 30 Dec 1899, local time, whole seconds) of a time in seconds since 1970.
double LocalDateTimeFromUnix(int64_t seconds);
// The other way: a local date-time as seconds since 1970; none for a date-time of 0 or below, or one
// the system cannot place.
std::optional<time_t> UnixFromLocalDateTime(double dateTime);
