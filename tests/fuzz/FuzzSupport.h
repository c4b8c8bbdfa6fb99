#pragma once
// Shared by the fuzz harnesses: the lowered pixel limit that keeps huge-but-valid headers from
// exhausting memory, the exceptions an entry point may raise, and a per-process scratch file for
// entry points that read by file name.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/Bitmap.h"
#include "platform/Exceptions.h"
#include "platform/Stream.h"

// Before the first input: 4 M pixels, large enough for every fixture, small enough that a header at
// the limit stays cheap.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    TBitmap::SetPixelLimit(int64_t(1) << 22);
    return 0;
}

namespace fuzzsupport {

// Runs the call: true when it returns, false when it raises one of the exceptions named (those its
// entry point may raise); any other exception ends the run as a crash.
template <class F> bool Allowing(F&& call)
{
    call();
    return true;
}
template <class E, class... More, class F> bool Allowing(F&& call)
{
    try {
        return Allowing<More...>(call);
    } catch (const E&) {
        return false;
    }
}

// Writes the bytes to a scratch file with the given extension (in /dev/shm when there is one) and
// returns its name; one name per extension is reused for every input of this process.
inline std::string WriteScratchFile(const uint8_t* data, size_t size, const std::string& extension)
{
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string name = std::string(dir) + "/qm_fuzz_" + std::to_string(getpid()) + "." + extension;
    // Every name this process used, removed when it exits.
    static std::set<std::string> used;
    if (used.empty())
        std::atexit([] {
            for (const std::string& n : used)
                std::remove(n.c_str());
        });
    used.insert(name);
    if (FILE* f = std::fopen(name.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return name;
}

} // namespace fuzzsupport
