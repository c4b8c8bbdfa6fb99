#include "twain/TwainDibWriter.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/Exceptions.h"
#include "platform/ReplaceFile.h"
#include "platform/Stream.h"
#include "twain/TwainMemory.h"

namespace {

std::atomic<ITwainSaveDialog*> gSaveDialog{nullptr};

constexpr uint32_t InfoHeaderSize = 40;
constexpr uint32_t CoreHeaderSize = 12;
constexpr uint32_t BiRgb = 0;
constexpr uint32_t BiBitfields = 3;
constexpr uint64_t FileHeaderSize = 14;

template <typename T> T Field(const void* dib, size_t offset)
{
    T v;
    std::memcpy(&v, static_cast<const uint8_t*>(dib) + offset, sizeof v);
    return v;
}

// The fields of a 40-byte (or longer) header the writer needs.
struct TInfoHeader
{
    uint32_t Size;
    int32_t Width;
    int32_t Height;
    uint16_t BitCount;
    uint32_t Compression;
    uint32_t SizeImage;
    uint32_t ClrUsed;
};

TInfoHeader ReadInfoHeader(const void* dib)
{
    return {Field<uint32_t>(dib, 0),  Field<int32_t>(dib, 4),   Field<int32_t>(dib, 8),
            Field<uint16_t>(dib, 14), Field<uint32_t>(dib, 16), Field<uint32_t>(dib, 20),
            Field<uint32_t>(dib, 32)};
}

// Colours the file counts: biClrUsed, or 2^bits up to 8 bits when that is 0.
uint64_t FileColours(const TInfoHeader& h)
{
    if (h.ClrUsed != 0) return h.ClrUsed;
    return h.BitCount <= 8 ? uint64_t(1) << h.BitCount : 0;
}

struct TPutHeader
{
    uint8_t Bytes[FileHeaderSize];
};

TPutHeader FileHeader(uint32_t fileSize, uint32_t offBits)
{
    TPutHeader f{};
    f.Bytes[0] = 'B';
    f.Bytes[1] = 'M';
    std::memcpy(f.Bytes + 2, &fileSize, 4);
    std::memcpy(f.Bytes + 10, &offBits, 4);
    return f;
}

} // namespace

void SetTwainSaveDialog(ITwainSaveDialog* dialog) { gSaveDialog.store(dialog); }

int TWAIN_WriteDib(void* dib, size_t size, TStream& file)
{
    if (dib == nullptr || size < InfoHeaderSize) return 0;
    TInfoHeader h = ReadInfoHeader(dib);
    if (h.Size < InfoHeaderSize || h.Size > size || h.Width < 0) return 0;
    const uint64_t masks = h.Size == InfoHeaderSize && h.Compression == BiBitfields ? 12 : 0;
    const uint64_t offBits = FileHeaderSize + h.Size + masks + 4 * FileColours(h);
    uint64_t sizeImage = h.SizeImage;
    if (h.Compression == BiRgb) {
        if (h.BitCount == 0) return 0;
        // Rows padded to 4 bytes; rows stored top-down (negative height) count by their number.
        const uint64_t rowBytes = 4 * ((uint64_t(h.Width) * h.BitCount + 31) / 32);
        const uint64_t rows = h.Height < 0 ? uint64_t(-int64_t(h.Height)) : uint64_t(h.Height);
        sizeImage = rowBytes * rows;
    } else if (sizeImage == 0) {
        return 0;
    }
    const uint64_t fileSize = offBits + sizeImage;
    if (fileSize > UINT32_MAX || fileSize - FileHeaderSize > size) return 0;
    if (h.Compression == BiRgb) {
        const uint32_t stored = uint32_t(sizeImage);
        std::memcpy(static_cast<uint8_t*>(dib) + 20, &stored, 4);
    }
    const TPutHeader fh = FileHeader(uint32_t(fileSize), uint32_t(offBits));
    const int64_t dibBytes = int64_t(fileSize - FileHeaderSize);
    return file.Write(fh.Bytes, FileHeaderSize) == int64_t(FileHeaderSize) &&
                   file.Write(dib, dibBytes) == dibBytes
               ? 1
               : 0;
}

int TWAIN_WriteDibToHandle(TW_HANDLE dib, TStream& file)
{
    void* p = TwainLockBlock(dib);
    if (p == nullptr) return -3;
    return TWAIN_WriteDib(p, TwainBlockSize(dib), file) ? 0 : -4;
}

int TWAIN_WriteNativeToFile(TW_HANDLE dib, const std::string& fileName)
{
    std::string name = fileName;
    if (name.empty()) {
        ITwainSaveDialog* dialog = gSaveDialog.load();
        std::optional<std::string> chosen = dialog != nullptr ? dialog->AskFileName() : std::nullopt;
        if (!chosen || chosen->empty()) return -1;
        name = *chosen;
    }
    TMemoryStream bytes;
    const int written = TWAIN_WriteDibToHandle(dib, bytes);
    if (written != 0) return written;
    try {
        SaveFileReplacing(name, bytes.Memory(), size_t(bytes.Size()));
    } catch (const EFCreateError&) {
        return -2;
    } catch (const Exception&) {
        return -4;
    }
    return 0;
}

int TWAIN_DibNumColors(const void* dib, size_t size)
{
    if (dib == nullptr || size < 4) return 0;
    const uint32_t headerSize = Field<uint32_t>(dib, 0);
    uint64_t colours;
    if (headerSize == CoreHeaderSize) {
        if (size < CoreHeaderSize) return 0;
        const uint16_t bits = Field<uint16_t>(dib, 10);
        colours = bits < 32 ? uint64_t(1) << bits : UINT64_MAX;
    } else {
        if (size < InfoHeaderSize) return 0;
        const uint16_t bits = Field<uint16_t>(dib, 14);
        colours = Field<uint32_t>(dib, 32);
        if (colours == 0) colours = bits < 32 ? uint64_t(1) << bits : UINT64_MAX;
    }
    return colours > 256 ? 0 : int(colours);
}

const void* TWAIN_DibBits(const void* dib, size_t size)
{
    if (dib == nullptr || size < 4) return nullptr;
    const uint64_t offset = uint64_t(Field<uint32_t>(dib, 0)) + 4 * uint64_t(TWAIN_DibNumColors(dib, size));
    if (offset > size) return nullptr;
    return static_cast<const uint8_t*>(dib) + offset;
}
