// UrlDecode on arbitrary text: a bad escape raises EConvertError, nothing else may happen.
#include <string>

#include "common/CommLib.h"
#include "platform/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        const std::string out = UrlDecode(text);
        if (out.size() > text.size()) __builtin_trap();
    } catch (const EConvertError&) {
    }
    return 0;
}
