// The eps loader on arbitrary bytes: EPS files with a TIFF preview.
#include "FormatGraphicFuzz.h"
#include "formats/TiffGraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return FuzzFormatGraphic<TEPSGraphic>(data, size); }
