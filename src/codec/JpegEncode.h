#pragma once
// The encoder driver: turns the image's source picture into a complete JPEG/JFIF stream with the
// settings of the run (WorkProfile) and the image's own encoder fields.
class TJPEGImage;

// On success the image holds a fresh TJPEGData with the new stream. A missing or empty input
// changes nothing. EAbort (a cancelled run) passes on; any other failure leaves the image empty.
void EncodeJpeg(TJPEGImage& image);
