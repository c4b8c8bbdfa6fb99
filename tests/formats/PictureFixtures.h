#pragma once
// The picture fixtures of tests/fixtures/tiff, png and gif: each folder's MANIFEST names a file, the
// pixel format its loader returns, the largest difference allowed per sample against the tool's
// decode NAME.ppm, and "alpha" when NAME.alpha.pgm holds the alpha the loader keeps.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "formats/FileFormatList.h"
#include "formats/GraphicClass.h"
#include "platform/Bitmap.h"
#include "platform/Stream.h"

namespace picturefixtures {

struct TFixture
{
    std::string Folder, Name, Path, Format;
    int Tolerance = 0;
    bool Alpha = false;
};

inline const char* const kFolders[] = {"tiff", "png", "gif"};

inline std::string FolderPath(const std::string& folder) { return std::string(QM_FIXTURES_DIR) + "/" + folder + "/"; }

// Every fixture of the folder with its picture file (whatever its extension).
inline std::vector<TFixture> Fixtures(const std::string& folder)
{
    std::vector<TFixture> list;
    std::ifstream manifest(FolderPath(folder) + "MANIFEST");
    std::string line;
    while (std::getline(manifest, line)) {
        std::istringstream words(line);
        TFixture f;
        f.Folder = folder;
        std::string alpha;
        if (!(words >> f.Name >> f.Format >> f.Tolerance)) continue;
        f.Alpha = (words >> alpha) && alpha == "alpha";
        for (const auto& e : std::filesystem::directory_iterator(FolderPath(folder)))
            if (e.path().stem() == f.Name && e.path().extension() != ".ppm" && e.path().extension() != ".pgm")
                f.Path = e.path();
        list.push_back(f);
    }
    return list;
}

inline std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

// A binary P5 or P6 file with maxval 255: width, height, samples per pixel and the samples.
struct TPnm
{
    int Width = 0, Height = 0, Channels = 0;
    std::vector<uint8_t> Samples;
};

inline TPnm ReadPnm(const std::string& path)
{
    const std::vector<uint8_t> data = ReadAll(path);
    TPnm p;
    const std::string head(data.begin(), data.begin() + std::ptrdiff_t(std::min<size_t>(data.size(), 40)));
    char kind = 0;
    int max = 0, used = 0;
    if (std::sscanf(head.c_str(), "P%c %d %d %d%n", &kind, &p.Width, &p.Height, &max, &used) != 4 || max != 255)
        return {};
    p.Channels = kind == '6' ? 3 : 1;
    const size_t start = size_t(used) + 1, size = size_t(p.Width) * size_t(p.Height) * size_t(p.Channels);
    if (data.size() < start + size) return {};
    p.Samples.assign(data.begin() + std::ptrdiff_t(start), data.begin() + std::ptrdiff_t(start + size));
    return p;
}

// The graphic that the registry names for the file's extension.
inline std::unique_ptr<TGraphic> GraphicFor(const std::string& path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    const TGraphicClass* cls = FileFormatList().FindPictureClass(ext);
    return cls ? cls->Create() : nullptr;
}

inline const char* FormatName(TPixelFormat f)
{
    static const char* const names[] = {"pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit", "pf32bit"};
    return names[int(f)];
}

} // namespace picturefixtures
