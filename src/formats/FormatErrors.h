#pragma once
// Load messages of the format graphics. Each %s takes the format's short name, except the first %s
// of gesUnsupportedFeature, which takes gesCompressionScheme.
#include <string>

#include "platform/Exceptions.h"

inline constexpr const char* gesInvalidImage = "Cannot load image. Invalid or unexpected %s image format.";
inline constexpr const char* gesInvalidColorFormat = "Invalid color format in %s file.";
inline constexpr const char* gesStreamReadError = "Stream read error in %s file.";
inline constexpr const char* gesUnsupportedFeature = "Cannot load image. %s not supported for %s files.";
inline constexpr const char* gesInvalidCRC = "Cannot load image. CRC error found in %s file.";
inline constexpr const char* gesCompression = "Cannot load image. Compression error found in %s file.";
inline constexpr const char* gesExtraCompressedData = "Cannot load image. Extra compressed data found in %s file.";
inline constexpr const char* gesInvalidPalette = "Cannot load image. Palette in %s file is invalid.";
inline constexpr const char* gesUnknownCriticalChunk = "Cannot load PNG image. Unexpected but critical chunk detected.";
inline constexpr const char* gesRegistration = "Attempt to register %s twice.";
inline constexpr const char* gesCompressionScheme = "The compression scheme is";

// Raise EInvalidGraphic with the text, or with the text formatted with the arguments.
[[noreturn]] void FormatError(const std::string& message);
[[noreturn]] void FormatError(const char* format, ...) __attribute__((format(printf, 1, 2)));
