#pragma once
// What the JPEG library needs from the program: an error manager that turns fatal library errors
// into EJPEG exceptions and collects messages, memory stream source and destination, the library's
// own message texts, and holders that always destroy a compressor or decompressor.
//
// Library errors leave the library by a C++ exception thrown from error_exit. The library is built
// with unwind tables on this platform and keeps no resources outside its memory pools, so the
// exception passes through its frames; the holders' destructors then release everything with
// jpeg_destroy_*. (tests/codec/JpegGlueTest.cpp checks this, also under the sanitizers.)
#include <cstddef>
#include <cstdint>
#include <cstdio> // jpeglib.h needs FILE and size_t
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/Exceptions.h"
#include "platform/StringList.h"

// A fatal error of the JPEG library, carrying its formatted message (at most 79 characters).
class EJPEG : public EInvalidGraphic
{
public:
    using EInvalidGraphic::EInvalidGraphic;
};

// The installed library's own text for a message code; an unknown code gives entry 0,
// "Bogus message code %d".
std::string LibraryMessageText(int code);

// The library formats at most this many characters of a message for the program.
constexpr size_t JpegMessageLimit = 79;

// A damaged file can make the library warn once per block: the message list keeps this many
// messages and then one last line "... and N more warnings" counting the rest.
constexpr int64_t JpegMessagesKept = 100;
// Each warning costs the decoder time: a small file can make it warn at every block of hundreds of
// scans. A file past this many warnings is refused (EJPEG); a cut file or a few damaged restarts of
// a real photograph stay far below it.
constexpr long JpegWarningLimit = 1'000'000;

struct TJpegErrorManager
{
    jpeg_error_mgr Mgr; // first member: the library's err pointer is a pointer to this record
    TStringList* Messages = nullptr;
    int64_t MessagesOutput = 0; // messages passed to output_message
    int SummaryLine = -1;       // index in *Messages of the "... more warnings" line
};

// Fills err: error_exit raises EJPEG with the formatted text; emit_message counts warnings (raising
// EJPEG past JpegWarningLimit) and passes a message to output_message when its level <= traceLevel;
// output_message adds the text as a line to *Messages when set (the first JpegMessagesKept, then the
// count of the rest); format_message cuts the text to JpegMessageLimit characters. Returns &err.Mgr
// for cinfo.err.
jpeg_error_mgr* InitJpegErrorManager(TJpegErrorManager& err, TStringList* messages, int traceLevel);

// The library's text for code with its integer parameters filled in, cut like EJPEG's.
std::string FormatLibraryMessage(int code, int p1 = 0, int p2 = 0);
// Raises the library's error code as EJPEG from the program's own code, as the library would.
[[noreturn]] void RaiseJpegError(int code, int p1 = 0, int p2 = 0);

// Stream destination: the compressed stream is appended to out, which must outlive the compression.
void JpegMemoryDest(j_compress_ptr cinfo, std::vector<uint8_t>& out);
// Stream source over size bytes at data, which must outlive the decompression. Reading past the end
// gives the library's end-of-data behaviour: a "premature end" warning and a fake end-of-image marker.
void JpegMemorySource(j_decompress_ptr cinfo, const uint8_t* data, size_t size);

// A compressor that is created with the program's error manager and always destroyed.
class TJpegCompressor
{
public:
    explicit TJpegCompressor(TStringList* messages = nullptr, int traceLevel = 0);
    ~TJpegCompressor();
    TJpegCompressor(const TJpegCompressor&) = delete;
    TJpegCompressor& operator=(const TJpegCompressor&) = delete;

    j_compress_ptr Get() { return &Info; }
    j_compress_ptr operator->() { return &Info; }
    long Warnings() const { return Err.Mgr.num_warnings; }

private:
    TJpegErrorManager Err;
    jpeg_compress_struct Info;
};

// A decompressor that is created with the program's error manager and always destroyed.
class TJpegDecompressor
{
public:
    explicit TJpegDecompressor(TStringList* messages = nullptr, int traceLevel = 0);
    ~TJpegDecompressor();
    TJpegDecompressor(const TJpegDecompressor&) = delete;
    TJpegDecompressor& operator=(const TJpegDecompressor&) = delete;

    j_decompress_ptr Get() { return &Info; }
    j_decompress_ptr operator->() { return &Info; }
    long Warnings() const { return Err.Mgr.num_warnings; }

private:
    TJpegErrorManager Err;
    jpeg_decompress_struct Info;
};

// Values the program keeps in wider ranges than the library's fields, brought into the library's
// ranges before they reach it.
uint16_t ClampRestartInterval(int64_t value); // 0..65535
// The JFIF resolution: densities above 65535 are cut; a density below 1 in either direction gives
// unit 0 with a 1:1 aspect, which the decoder reads as its default resolution.
void SetJfifDensity(j_compress_ptr cinfo, int unit, int64_t x, int64_t y);
int ClampSmoothing(int64_t value);            // 0..100
