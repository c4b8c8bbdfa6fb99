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

// Decodes the encoded stream into image.Bitmap at the image's Scale; nullptr without a stream.
// Library errors raise EJPEG, and so does a file of more than 500 scans. An output over the pixel
// limit raises EOutOfResources before anything is allocated, and so does a file of several scans
// whose full size is over it, whatever the scale (such a file is held whole while it is read).
TBitmap* DecodeJpeg(TJPEGImage& image);

// When NeedHeader is set: reads the header and stores the output size at the current Scale in
// ScaledWidth, ScaledHeight, and ProgressiveEncoding from the file's scan structure.
void RecalcScaledSize(TJPEGImage& image);

// Reads the header of the image's encoded stream into its TJPEGData (width, height, grey flag)
// and sets ProgressiveEncoding when the file has several scans.
void ReadStreamInfo(TJPEGImage& image);
