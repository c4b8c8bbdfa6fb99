#pragma once
// Writing an acquired picture (a packed DIB in a memory block: header, colour table, rows padded
// to 4 bytes) as a bitmap file, and two small helpers that find a DIB's colour table and pixels.
// Every size is computed in 64 bits and checked against the block, so a DIB whose header claims
// more than the block holds is refused rather than read past.
#include <cstddef>
#include <optional>
#include <string>

#include "twain/TwainTypes.h"

class TStream;

// Asks the user for the name of a bitmap file to write: filter "Windows Bitmap (*.bmp)", the
// default suffix "bmp" (so the overwrite question sees the whole name), no owner window.
// std::nullopt when the user cancels.
class ITwainSaveDialog
{
public:
    virtual ~ITwainSaveDialog() = default;
    virtual std::optional<std::string> AskFileName() = 0;
};
// The dialog TWAIN_WriteNativeToFile uses for an empty name (not owned); without one it answers -1.
void SetTwainSaveDialog(ITwainSaveDialog* dialog);

// 0 written, -1 the user cancelled the dialog, -2 the file cannot be created, -3 the DIB cannot
// be locked, -4 the DIB is not valid (a compressed one without its image size included) or
// writing failed. The file is replaced only once every byte is written.
int TWAIN_WriteNativeToFile(TW_HANDLE dib, const std::string& fileName);
// Writes the DIB of the block to the stream: -3 when the block cannot be locked, -4 when it
// cannot be written, else 0.
int TWAIN_WriteDibToHandle(TW_HANDLE dib, TStream& file);
// Writes file header and DIB (size = the bytes at dib); 1 on success, 0 on failure. An
// uncompressed DIB gets its image size recomputed, in the DIB's own header too.
int TWAIN_WriteDib(void* dib, size_t size, TStream& file);
// Colour-table entries: 2^bits for a 12-byte core header, else biClrUsed, or 2^biBitCount when that
// is 0; 0 when more than 256 or when the header does not fit the size.
int TWAIN_DibNumColors(const void* dib, size_t size);
// The pixel data: start + header size + 4 x colours; nullptr when that lies beyond the size.
const void* TWAIN_DibBits(const void* dib, size_t size);
