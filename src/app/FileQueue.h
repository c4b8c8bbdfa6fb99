#pragma once
// Names that come to the main window (command line, a second start, a drop) become a queue of
// existing files, opened one image window each on the next idle pass.
#include <string>
#include <vector>

#include "platform/MessageBox.h"

// The command line's parameters as names to queue: "http:", "file:" and other "scheme://"
// addresses as they are, any other name made absolute and given the letter case stored on disk
// ("" when there is no such file; a folder is named as on disk, to be told about).
std::vector<std::string> CommandLineFileNames(const std::vector<std::string>& params);

// The path of a "file:" address: the address's host part ("file://host/...") is dropped, escapes
// are decoded, and leading slashes are reduced to one. Raises EConvertError on a bad escape.
std::string FileUrlToPath(const std::string& url);

// Appends every name that names an existing file to queue, in order: "http:" addresses are looked
// up in the browser cache (a miss shows an error box), other addresses ("https://...") that are no
// existing file show the same box (once per address in one call) and open nothing, "file:"
// addresses are turned into paths, names of missing files are skipped silently, and the folders,
// named pipes and devices among the names are told about in one error box that says what each is
// (after the names are queued). A name that cannot be understood is skipped; the names after it are
// still queued.
void QueueFiles(const std::vector<std::string>& names, std::vector<std::string>& queue,
                TWindowHandle owner = nullptr);
