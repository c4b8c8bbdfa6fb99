#pragma once
// Compression profile files (".qmp"): one TJPEGProfile as sections of Name=Value lines with CR LF
// line ends. Reading applies the file to an image through ApplySettingsRecord, so only the groups
// of the file's MatchMask take effect.
//
// A profile file is untrusted input: values are clamped, counts of areas and points are bounded by
// the record's area array and by the file itself, and a malformed number raises EConvertError.
#include <string>

#include "codec/JPEGProfile.h"

class TJPEGImage;
class TStringList;

// Writes the image's current settings to fileName, replacing it (a failed write leaves the old file).
void WriteProfileFile(const TJPEGImage& image, const std::string& fileName);
// Reads fileName into a record that starts as the image's settings, names it after the file and
// applies it to the image.
void ReadProfileFile(TJPEGImage& image, const std::string& fileName);

// The file's lines for rec.
void ProfileToList(const TJPEGProfile& rec, TStringList& list);
// Reads the keys of list into rec (which holds the defaults of the keys that have none of their own).
void ProfileFromList(const TStringList& list, TJPEGProfile& rec);

// Files larger than this are refused as no profile.
constexpr int64_t ProfileFileMaxSize = int64_t(16) << 20;
