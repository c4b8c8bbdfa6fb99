#pragma once
// Decoding the image's encoded stream into its display bitmap, and reading its header.
#include "codec/JpegGlue.h"
#include "codec/JpegProgress.h"

class TBitmap;
class TJPEGImage;

// Output options of the final pass, kept while the intermediate passes of a progressive display
// use faster ones.
struct TJpegFinalPassOptions
{
    J_DCT_METHOD DctMethod = JDCT_ISLOW;
    boolean TwoPassQuantize = FALSE;
    J_DITHER_MODE DitherMode = JDITHER_FS;
};

// Reads the header of the image's encoded stream with dec (created with the image's
// LibraryMessages and TraceLevel), takes the file's settings and texts into the image and sets
// the decoder's output options from the image. The stream must stay alive while dec is used.
void ReadJpegHeader(TJPEGImage& image, TJpegDecompressor& dec, TJpegProgress& progress,
                    TJpegFinalPassOptions& finalPass);

// The message of an empty stream (the library would speak of the end marker it inserts).
inline constexpr const char* SEmptyJpegFile = "The file is empty";

// Every scan walks the whole picture, so a small hostile file of many scans could keep the
// decoder busy for minutes: a file of more scans, or of more pixels x scans, is refused (EJPEG).
// The largest pictures allowed still decode with a dozen scans.
constexpr int MaxJpegScans = 500;
constexpr int64_t MaxJpegPixelScans = 4'000'000'000;
void CheckJpegDecodeWork(int64_t pixels, int64_t scans);
// The scans (start-of-scan markers) the decoder can meet in size bytes of a JPEG stream, counted
// before decoding; it ends at the end-of-image marker or the data.
int64_t CountJpegScans(const uint8_t* data, size_t size);
// A file of several scans is held whole by the library as coefficients while it is read; with
// the bitmap, its bytes must stay within JpegDecodeMemoryBudget (else EOutOfResources): the
// bytes of six per pixel at the pixel limit, so that a 4:2:0 or grey picture of the largest size
// still decodes.
void CheckJpegDecodeMemory(int64_t bytes);
int64_t JpegDecodeMemoryBudget();

// Decodes the encoded stream into image.Bitmap at the image's Scale; nullptr without a stream.
// Library errors raise EJPEG, and so does an empty stream. An output over the pixel limit raises
// EOutOfResources before anything is allocated, and so does a file of several scans whose full
// size is over it, whatever the scale (such a file is held whole while it is read). A file of
// several scans is checked against the work and memory limits above before it is decoded.
TBitmap* DecodeJpeg(TJPEGImage& image);

// The output size at the image's Scale read from its stream's header, changing nothing in the
// image (messages, when given, receives the library's warnings); all zero without a stream.
struct TJpegScaledSize
{
    int32_t Width = 0;
    int32_t Height = 0;
    bool MultiScan = false;
};
TJpegScaledSize ReadScaledSize(const TJPEGImage& image, TStringList* messages = nullptr);

// When NeedHeader is set: reads the header and stores the output size at the current Scale in
// ScaledWidth, ScaledHeight, and ProgressiveEncoding from the file's scan structure.
void RecalcScaledSize(TJPEGImage& image);

// Reads the header of the image's encoded stream into its TJPEGData (width, height, grey flag)
// and sets ProgressiveEncoding when the file has several scans.
void ReadStreamInfo(TJPEGImage& image);
