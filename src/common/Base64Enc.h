#pragma once
// Base64 (the standard alphabet with "=" padding) of a whole stream, as mail attachments carry it:
// lines of 76 characters (57 source bytes) separated by CR LF.
#include <cstdint>
#include <string>

class TStream;

namespace base64enc {

// Bytes read from the source per block: 192 lines of 57 bytes.
constexpr int64_t KBlockSize = 10944;

// Reads source from its current position to its end and writes the base64 text to dest. Every
// full block is written as 192 lines each followed by CR LF; the last, shorter block (possibly
// empty) as lines of 57 bytes with CR LF only between them, so its last line has no line end.
// Read and write failures propagate (EReadError / EWriteError).
void Encode(TStream& source, TStream& dest);

// The base64 text of bytes on one line (no line breaks).
std::string EncodeLine(const uint8_t* data, size_t size);

} // namespace base64enc
