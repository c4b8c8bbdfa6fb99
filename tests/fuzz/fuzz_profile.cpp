// Compression profile files on arbitrary bytes: a malformed number may raise EConvertError;
// nothing else may leave the reader.
#include "FuzzSupport.h"
#include "codec/JPEGImage.h"
#include "codec/ProfileFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string name = fuzzsupport::WriteScratchFile(data, size, "qmp");
    TJPEGImage image;
    fuzzsupport::Allowing<EConvertError>([&] { ReadProfileFile(image, name); });
    return 0;
}
