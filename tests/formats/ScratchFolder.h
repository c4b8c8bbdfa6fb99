#pragma once
// A private scratch folder for one test, removed with everything in it afterwards.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TScratchFolder
{
public:
    TScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "qmfmtXXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    ~TScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    std::string Path(const std::string& name) const { return (FPath / name).string(); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& data) const
    {
        std::string path = Path(name);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                    std::streamsize(data.size()));
        return path;
    }

private:
    std::filesystem::path FPath;
};

inline std::vector<uint8_t> ReadFixture(const std::string& name)
{
    std::ifstream f(std::string(QM_FIXTURES_DIR) + "/formats/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}
