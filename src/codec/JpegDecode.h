#pragma once
// Decoding the image's encoded stream into its display bitmap, and reading its header.
class TBitmap;
class TJPEGImage;

// Decodes the encoded stream into image.Bitmap at the image's Scale; nullptr without a stream.
// Library errors raise EJPEG.
TBitmap* DecodeJpeg(TJPEGImage& image);

// When NeedHeader is set: reads the header and stores the output size at the current Scale in
// ScaledWidth, ScaledHeight, and ProgressiveEncoding from the file's scan structure.
void RecalcScaledSize(TJPEGImage& image);

// Reads the header of the image's encoded stream into its TJPEGData (width, height, grey flag)
// and sets ProgressiveEncoding when the file has several scans.
void ReadStreamInfo(TJPEGImage& image);
