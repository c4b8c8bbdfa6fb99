// The png loader on arbitrary bytes: PNG files.
#include "FormatGraphicFuzz.h"
#include "formats/PngGraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return FuzzFormatGraphic<TPNGGraphic>(data, size); }
