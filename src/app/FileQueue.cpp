#include "app/FileQueue.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "common/CommLib.h"
#include "common/StrRes.h"
#include "platform/FileKind.h"
#include "platform/Format.h"

namespace {

bool Starts5(const std::string& s, const char* prefix) { return s.compare(0, 5, prefix) == 0; }

bool IsFile(const std::string& name)
{
    return FileKindOf(name) == TFileKind::Regular;
}

// The most refusals one box lists by name; a longer list ends with their count, so that the box
// stays within the screen.
constexpr size_t KListedRefusals = 15;

// One box for all the names of one call that are folders or special files, each named once.
void ShowRefusals(const std::vector<std::string>& refusals, TWindowHandle owner)
{
    if (refusals.empty()) return;
    std::string text;
    for (size_t i = 0; i < refusals.size() && i < KListedRefusals; ++i)
        text += (i ? "\n" : "") + refusals[i];
    if (refusals.size() > KListedRefusals)
        text += Format("\n%d more names are not regular files either.", int(refusals.size() - KListedRefusals));
    ShowError(owner, text);
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
        std::string exact = path.empty() ? path : GetExactFileName(path);
        // A folder has no exact file name: it takes its name as on disk (in whatever letter case it
        // was given), so that the queue can say what it is.
        if (exact.empty() && !path.empty()) {
            const std::string onDisk = GetLongPathNameStr(path);
            if (FileKindOf(onDisk) == TFileKind::Folder) exact = onDisk;
        }
        names.push_back(exact);
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
    std::vector<std::string> refusals;
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
            if (const std::string refusal = NotRegularFileMessage(name); !refusal.empty()) {
                // A folder, a pipe or a device says what it is, all of them in one box at the end.
                if (std::find(refusals.begin(), refusals.end(), refusal) == refusals.end()) refusals.push_back(refusal);
            } else if (IsFile(name)) {
                queue.push_back(name);
            }
        } catch (const std::exception&) {
            // A name that cannot be understood opens nothing.
        }
    }
    ShowRefusals(refusals, owner);
}
