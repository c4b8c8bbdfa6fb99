// The gif loader on arbitrary bytes: GIF files.
#include "FormatGraphicFuzz.h"
#include "formats/GifGraphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return FuzzFormatGraphic<TGIFGraphic>(data, size); }
