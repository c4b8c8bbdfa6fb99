// The tiff loader on arbitrary bytes: TIFF files (strips, tiles, planes, every compression).
#include "FormatGraphicFuzz.h"
#include "formats/TiffGraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return FuzzFormatGraphic<TTIFFGraphic>(data, size); }
