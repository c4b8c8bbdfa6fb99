#include "codec/JpegEncode.h"

#include "codec/JPEGImage.h"

// Placeholder until the encoder engine is joined: encoding leaves the image unchanged.
void EncodeJpeg(TJPEGImage&) {}
