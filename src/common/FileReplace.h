#pragma once
// Writing a file so that a failure never destroys what was there: the data goes to a new file
// created exclusively in the target's folder, which is then renamed over the target.
#include <cstddef>
#include <ctime>
#include <optional>
#include <string>

// Writes size bytes to target. The new file keeps the permission bits of the file it replaces
// (a new one gets 0666 less the umask); with modified set it takes that modification time. On any
// failure the temporary file is removed, the target is left as it was, and EFCreateError
// "Cannot create file "<target>". <reason>" is raised.
void WriteFileReplacing(const std::string& target, const void* data, size_t size,
                        std::optional<time_t> modified = std::nullopt);
