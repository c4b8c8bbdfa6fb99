// The batch job's look at a file's header for the picture size (JPEG frame header, BMP information
// header) on arbitrary bytes: it raises nothing and never estimates less than the file's size.
#include "FuzzSupport.h"
#include "batch/BatchFileOrder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string name = fuzzsupport::WriteScratchFile(data, size, "dat");
    if (EstimateBatchFileMemory(name, int64_t(size)) < int64_t(size)) __builtin_trap();
    return 0;
}
