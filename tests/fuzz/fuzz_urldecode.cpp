// UrlDecode on arbitrary text: a bad escape raises EConvertError, nothing else may happen.
#include "FuzzSupport.h"
#include "common/CommLib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    fuzzsupport::Allowing<EConvertError>([&] {
        if (UrlDecode(text).size() > text.size()) __builtin_trap();
    });
    return 0;
}
