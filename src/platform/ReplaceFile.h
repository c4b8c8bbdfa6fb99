#pragma once
// Writing a whole file so that a failed save never destroys the file it replaces: the bytes go to
// a fresh temporary name in the target folder (created exclusively, with the permissions of the
// file being replaced, if any), which is then renamed over the target.
#include <cstddef>
#include <ctime>
#include <optional>
#include <string>

// Raises EFCreateError when the file cannot be created or renamed, EWriteError when writing fails;
// the temporary file is removed then. With modified given, the file takes that modification time.
// The data reach the disk before the rename, so a crash leaves the old file or the new one.
void SaveFileReplacing(const std::string& fileName, const void* data, size_t size,
                       std::optional<time_t> modified = std::nullopt);
