#include "formats/CutGraphic.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "common/CommLib.h"
#include "formats/ByteFields.h"
#include "formats/SafeLoad.h"
#include "formats/decoders/RunLengthDecoders.h"

namespace {

constexpr int kHeaderSize = 6;
constexpr size_t kBlockSize = 512;
constexpr size_t kBlockEnd = 506;     // entries end before this byte of a block
constexpr size_t kFirstEntry = 40;    // where the entries start in the first block
constexpr uintmax_t kMaxPaletteFile = 64 * 1024;

bool SameTextIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

bool TCUTGraphic::ReadImageProperties(TStream& stream, unsigned imageIndex)
{
    TFormatGraphic::ReadImageProperties(stream, imageIndex);
    uint8_t h[kHeaderSize];
    if (stream.Read(h, kHeaderSize) != kHeaderSize) return false;
    auto& p = ImageProperties;
    p.Width = WordLE(h);
    p.Height = WordLE(h + 2);
    p.ColorScheme = schIndexed;
    p.BitsPerSample = 8;
    p.SamplesPerPixel = 1;
    p.BitsPerPixel = 8;
    p.Compression = TCompressionCode::RunLength;
    return true;
}

std::string TCUTGraphic::FindPaletteFile(const std::string& fileName)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path picture(fileName);
    const fs::path exact = fs::path(picture).replace_extension(".pal");
    if (fs::is_regular_file(exact, ec)) return exact.string();
    // The same stem with the extension in another case ("x.CUT" beside "x.PAL").
    const fs::path folder = picture.has_parent_path() ? picture.parent_path() : fs::path(".");
    const std::string wanted = exact.filename().string();
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() == wanted.size() && name.compare(0, name.size() - 4, wanted, 0, wanted.size() - 4) == 0 &&
            SameTextIgnoringCase(name.substr(name.size() - 4), ".pal") && it->is_regular_file(ec))
            return it->path().string();
    }
    return "";
}

void TCUTGraphic::LoadFromFile(const std::string& fileName)
{
    PaletteFile = FindPaletteFile(fileName);
    TFormatGraphic::LoadFromFile(fileName);
}

std::vector<TRGBQuad> TCUTGraphic::ReadPaletteFile(const std::vector<uint8_t>& data)
{
    std::vector<TRGBQuad> palette;
    if (data.size() < 14) return palette;
    const size_t count = std::min<size_t>(size_t(WordLE(&data[12])) + 1, 256);
    size_t pos = kFirstEntry;
    for (size_t i = 0; i < count; ++i) {
        if (pos % kBlockSize + 6 > kBlockEnd) pos = (pos / kBlockSize + 1) * kBlockSize;
        if (pos + 6 > data.size()) break;
        palette.push_back(TRGBQuad{data[pos + 4], data[pos + 2], data[pos], 0});
        pos += 6;
    }
    return palette;
}

void TCUTGraphic::LoadImageData(TStream& stream, TBitmap& target)
{
    stream.Seek(kHeaderSize, TSeekOrigin::soCurrent);
    ProgressStarting(TransferringStageText);
    const auto& p = ImageProperties;
    PrepareTarget(target, TPixelFormat::pf8bit);

    std::vector<TRGBQuad> palette;
    std::error_code ec;
    if (!PaletteFile.empty() && std::filesystem::file_size(PaletteFile, ec) <= kMaxPaletteFile && !ec) {
        std::ifstream f(PaletteFile, std::ios::binary);
        const std::vector<uint8_t> data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        palette = ReadPaletteFile(data);
    } else {
        for (int i = 0; i < 256; ++i) palette.push_back(TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0});
    }
    safeload::PadPalette(palette, 8);
    target.SetPalette(std::move(palette));

    const auto data = safeload::ReadBytes(stream, uint64_t(std::max<int64_t>(0, stream.Remaining())));
    TCUTRLEDecoder decoder;
    const uint8_t* source = data.data();
    const uint8_t* const end = data.data() + data.size();
    for (int y = 0; y < p.Height; ++y) {
        uint8_t* dest = target.ScanLine(y);
        decoder.Decode(source, dest, int32_t(std::min<int64_t>(end - source, INT32_MAX)), p.Width);
        ProgressRowDone(y + 1);
    }
}

const TGraphicClass& TCUTGraphic::Class()
{
    static const TGraphicClass cls = MakeFormatGraphicClass<TCUTGraphic>("TCUTGraphic");
    return cls;
}
