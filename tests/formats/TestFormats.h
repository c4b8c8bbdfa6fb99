#pragma once
// What the format tests share: a private scratch folder, the fixtures, and small format graphics
// that drive the registry and the common load pattern.
#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "formats/FormatGraphic.h"
#include "formats/SafeLoad.h"
#include "platform/Exceptions.h"
#include "platform/TempFolder.h"

using Bytes = std::vector<uint8_t>;

// The message of the exception of class E that the call raises; "" when it raises none.
template <class E = Exception, class F> std::string ErrorOf(F&& call)
{
    try {
        call();
    } catch (const E& e) {
        return e.what();
    }
    return "";
}

// A graphic of class G after loading the bytes, and the message of what the load raised ("" for none).
template <class G> struct TLoadedGraphic
{
    G Graphic;
    std::string Error;
};
template <class G> std::unique_ptr<TLoadedGraphic<G>> LoadGraphic(const std::vector<uint8_t>& file)
{
    auto l = std::make_unique<TLoadedGraphic<G>>();
    l->Error = ErrorOf<std::exception>([&] {
        TMemoryStream s(file);
        l->Graphic.LoadFromStream(s);
    });
    return l;
}

// A private folder for one test, removed with everything in it afterwards, that names and writes files.
class TScratchFolder : public TTempFolder
{
public:
    std::string Path(const std::string& name) const { return TTempFolder::Path() + "/" + name; }
    std::string Write(const std::string& name, const std::vector<uint8_t>& data) const
    {
        std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                          std::streamsize(data.size()));
        return Path(name);
    }
};

// Samples a pixel of the scheme stores.
inline int SamplesOf(TColorSchemeCode s)
{
    switch (s) {
    case schIndexed:
    case schGray: return 1;
    case schGrayAlpha: return 2;
    case schRGBA:
    case schBGRA:
    case schCMYK: return 4;
    default: return 3;
    }
}

// A fresh colour manager set up for the schemes and depths, with the sample count of each scheme.
inline TColorManager ColorManagerFor(TColorSchemeCode source, TColorSchemeCode target, int sourceBits, int targetBits)
{
    TColorManager cm;
    cm.SetSourceScheme(source);
    cm.SetTargetScheme(target);
    cm.SetSourceSamplesPerPixel(SamplesOf(source));
    cm.SetTargetSamplesPerPixel(SamplesOf(target));
    cm.SetSourceBitsPerSample(sourceBits);
    cm.SetTargetBitsPerSample(targetBits);
    return cm;
}

inline std::vector<uint8_t> ReadFixture(const std::string& name)
{
    std::ifstream f(std::string(QM_FIXTURES_DIR) + "/formats/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

// The class record of a test graphic, made once.
template <class G> const TGraphicClass& TestClass(const char* name)
{
    static const TGraphicClass cls = MakeFormatGraphicClass<G>(name);
    return cls;
}

// "QMT1", width and height (16-bit little-endian), then rows of 8-bit red, green, blue samples. Its
// content test raises on a stream shorter than the signature.
class TTestGraphic : public TFormatGraphic
{
public:
    static bool CanLoad(TStream& stream)
    {
        const int64_t start = stream.Position();
        const std::vector<uint8_t> magic = safeload::ReadBytes(stream, 4);
        stream.SetPosition(start);
        return magic == std::vector<uint8_t>{'Q', 'M', 'T', '1'};
    }
    bool ReadImageProperties(TStream& stream, unsigned index) override
    {
        TFormatGraphic::ReadImageProperties(stream, index);
        if (!CanLoad(stream)) return false;
        stream.Seek(4, TSeekOrigin::soCurrent);
        auto& p = ImageProperties;
        p.Width = safeload::ReadWordLE(stream);
        p.Height = safeload::ReadWordLE(stream);
        p.BitsPerPixel = 24;
        return p.Width > 0 && p.Height > 0;
    }
    static const TGraphicClass& Class() { return TestClass<TTestGraphic>("TTestGraphic"); }
    static std::vector<uint8_t> Make(int width, int height, uint8_t seed = 0)
    {
        std::vector<uint8_t> data = {'Q', 'M', 'T', '1', uint8_t(width), uint8_t(width >> 8), uint8_t(height),
                                     uint8_t(height >> 8)};
        for (int i = 0; i < width * height * 3; ++i) data.push_back(uint8_t(seed + i));
        return data;
    }

protected:
    const char* ShortName() const override { return "QMT"; }
    void LoadImageData(TStream& stream, TBitmap& target) override
    {
        const auto& p = ImageProperties;
        stream.Seek(8, TSeekOrigin::soCurrent);
        const uint64_t rowBytes = safeload::CheckedMul(uint64_t(p.Width), 3);
        safeload::CheckRemaining(stream, safeload::CheckedMul(rowBytes, uint64_t(p.Height)));
        ColorManager.SetSourceScheme(schRGB);
        ColorManager.SetTargetScheme(schBGR);
        PrepareTarget(target, TPixelFormat::pf24bit);
        ProgressStarting(TransferringStageText);
        for (int y = 0; y < p.Height; ++y) {
            const std::vector<uint8_t> row = safeload::ReadBytes(stream, rowBytes);
            ColorManager.ConvertRow({row}, {target.ScanLine(y), target.Stride()}, uint32_t(p.Width), 0xFF);
            ProgressRowDone(y + 1);
        }
    }
};

// Accepts every stream of at least four bytes (as a format without a signature would, leaving the
// position moved on purpose) but refuses every header, which ends its load quietly with an empty
// picture.
class TLenientGraphic : public TTestGraphic
{
public:
    static bool CanLoad(TStream& stream) { return stream.Read(std::array<uint8_t, 4>().data(), 4) == 4; }
    bool ReadImageProperties(TStream& s, unsigned i) override { return TFormatGraphic::ReadImageProperties(s, i); }
    static const TGraphicClass& Class() { return TestClass<TLenientGraphic>("TLenientGraphic"); }

protected:
    bool QuietOnRefusedHeader() const override { return true; }
};
