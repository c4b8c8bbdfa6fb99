#include "app/FileQueue.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "common/CommLib.h"
#include "common/StrRes.h"
#include "platform/FileKind.h"

namespace {

bool Starts5(const std::string& s, const char* prefix) { return s.compare(0, 5, prefix) == 0; }

bool IsFile(const std::string& name)
{
    return FileKindOf(name) == TFileKind::Regular;
}

} // namespace

std::vector<std::string> CommandLineFileNames(const std::vector<std::string>& params)
{
    std::vector<std::string> names;
    for (const std::string& p : params) {
        if (Starts5(p, "http:") || Starts5(p, "file:") || IsSchemeAddress(p)) {
            names.push_back(p);
            continue;
        }
        std::error_code ec;
        const std::string path = p.empty() ? p : std::filesystem::absolute(p, ec).string();
        const std::string exact = path.empty() ? path : GetExactFileName(path);
        // A folder (which has no exact file name) keeps its name, so that the queue can say what it is.
        names.push_back(exact.empty() && FileKindOf(path) == TFileKind::Folder ? path : exact);
    }
    return names;
}

std::string FileUrlToPath(const std::string& url)
{
    std::string rest = url.substr(std::min<size_t>(5, url.size()));
    if (rest.compare(0, 2, "//") == 0) {
        size_t pathStart = rest.find('/', 2);
        rest = pathStart == std::string::npos ? std::string() : rest.substr(pathStart);
    }
    std::string path = UrlDecode(rest);
    size_t slashes = path.find_first_not_of('/');
    if (slashes == std::string::npos) return path.empty() ? path : "/";
    return slashes > 1 ? path.substr(slashes - 1) : path;
}

void QueueFiles(const std::vector<std::string>& names, std::vector<std::string>& queue, TWindowHandle owner)
{
    // One box per address: a drop of the same address twice says it once.
    std::set<std::string> reported;
    const auto notCached = [&](const std::string& address) {
        if (reported.insert(address).second) ShowError(owner, SImageNotCached);
    };
    for (std::string name : names) {
        try {
            if (Starts5(name, "http:")) {
                std::string cached = GetUrlCacheFileName(name);
                if (!IsFile(cached)) {
                    notCached(name);
                    continue;
                }
                name = cached;
            }
            if (Starts5(name, "file:")) {
                name = FileUrlToPath(name);
            } else if (IsSchemeAddress(name) && !IsFile(name)) {
                // Any other address (https, ftp...) is not downloaded either.
                notCached(name);
                continue;
            }
            if (const std::string refusal = NotRegularFileMessage(name); !refusal.empty())
                ShowError(owner, refusal); // a folder, a pipe or a device says so at once
            else if (IsFile(name))
                queue.push_back(name);
        } catch (const std::exception&) {
            // A name that cannot be understood opens nothing.
        }
    }
}
