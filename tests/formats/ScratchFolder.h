#pragma once
// A private scratch folder for one test, removed with everything in it afterwards, and the
// fixtures of the format tests.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class TScratchFolder
{
public:
    TScratchFolder() : FPath((std::filesystem::temp_directory_path() / "qmfmtXXXXXX").string())
    {
        if (!mkdtemp(FPath.data())) throw std::runtime_error("mkdtemp failed");
    }
    ~TScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    std::string Path(const std::string& name) const { return FPath + "/" + name; }
    std::string Write(const std::string& name, const std::vector<uint8_t>& data) const
    {
        std::ofstream(Path(name), std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                          std::streamsize(data.size()));
        return Path(name);
    }

private:
    std::string FPath;
};

inline std::vector<uint8_t> ReadFixture(const std::string& name)
{
    std::ifstream f(std::string(QM_FIXTURES_DIR) + "/formats/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}
