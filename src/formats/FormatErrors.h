#pragma once
// Load messages of the format graphics. Each %s takes the format's short name, except the first %s
// of UnsupportedFeatureText, which takes what is not supported (CompressionSchemeText, or a text of
// the same form), and the first of MissingDataText, which names the missing data.
#include <string>

#include "platform/Exceptions.h"

inline constexpr const char* InvalidImageText = "Cannot load image. Invalid or unexpected %s image format.";
inline constexpr const char* InvalidColorFormatText = "Invalid color format in %s file.";
inline constexpr const char* StreamReadErrorText = "Stream read error in %s file.";
inline constexpr const char* UnsupportedFeatureText = "Cannot load image. %s not supported for %s files.";
inline constexpr const char* CrcErrorText = "Cannot load image. CRC error found in %s file.";
inline constexpr const char* CompressionErrorText = "Cannot load image. Compression error found in %s file.";
inline constexpr const char* ExtraCompressedDataText =
    "Cannot load image. Extra compressed data found in %s file.";
inline constexpr const char* InvalidPaletteText = "Cannot load image. Palette in %s file is invalid.";
inline constexpr const char* MissingDataText = "Cannot load image. %s in %s file are missing.";
inline constexpr const char* UnknownCriticalChunkText =
    "Cannot load PNG image. Unexpected but critical chunk detected.";
inline constexpr const char* DuplicateRegistrationText = "Attempt to register %s twice.";
inline constexpr const char* CompressionSchemeText = "The compression scheme is";

// Raise EInvalidGraphic with the text, or with the text formatted with the arguments.
[[noreturn]] void FormatError(const std::string& message);
[[noreturn]] void FormatError(const char* format, ...) __attribute__((format(printf, 1, 2)));
