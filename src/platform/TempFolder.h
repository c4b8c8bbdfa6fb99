#pragma once
// A private folder for the temporary files of one run: created with mode 0700 by mkdtemp under
// $TMPDIR (or /tmp when that is unset or unusable), removed with its contents when the object goes
// away. Files inside are created exclusively; a name that is taken is never reused or overwritten.
#include <string>

class TTempFolder
{
public:
    // Creates the folder under base when given, else under $TMPDIR, then /tmp. Raises EFCreateError
    // when no folder can be created.
    explicit TTempFolder(const std::string& base = std::string());
    // Removes the folder and everything in it (only in the process that created it; errors ignored).
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    // Absolute path of the folder, without a trailing "/".
    const std::string& Path() const { return FPath; }

    // Creates the empty file name (a plain name, no folder part) in the folder with O_EXCL and mode
    // 0600. Returns false when the name is already taken; raises EFCreateError for a name with a
    // separator or any other failure.
    bool CreateFileExclusive(const std::string& name) const;

private:
    std::string FPath;
    long FOwnerPid = 0;
};

// The folder of this run: created on first use, removed at normal exit. Thread-safe.
TTempFolder& RunTempFolder();
