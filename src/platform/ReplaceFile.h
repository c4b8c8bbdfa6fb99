#pragma once
// Writing a whole file so that a failed save never destroys the file it replaces: the bytes go to
// a fresh temporary name in the target folder (created exclusively, with the permissions of the
// file being replaced, if any), which is then renamed over the target.
#include <cstddef>
#include <string>

// Raises EFCreateError when the file cannot be created or renamed, EWriteError when writing fails;
// the temporary file is removed then.
void SaveFileReplacing(const std::string& fileName, const void* data, size_t size);
