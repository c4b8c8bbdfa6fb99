#include "common/Base64Enc.h"

#include <algorithm>
#include <vector>

#include "platform/Stream.h"

namespace base64enc {

namespace {

constexpr char KAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr int64_t KLineBytes = 57;

// Reads until count bytes are in or the source ends (a stream may return short reads).
int64_t ReadFull(TStream& source, uint8_t* buffer, int64_t count)
{
    int64_t got = 0;
    while (got < count) {
        int64_t n = source.Read(buffer + got, count - got);
        if (n <= 0) break;
        got += n;
    }
    return got;
}

// Encodes size bytes as lines of 57 bytes; a CR LF follows every line when lineEndAfterLast, else
// only the lines before the last.
void EncodeBlock(const uint8_t* data, int64_t size, bool lineEndAfterLast, std::string& out)
{
    for (int64_t pos = 0; pos < size; pos += KLineBytes) {
        const int64_t n = std::min(KLineBytes, size - pos);
        out += EncodeLine(data + pos, size_t(n));
        if (lineEndAfterLast || pos + n < size) out += "\r\n";
    }
}

} // namespace

std::string EncodeLine(const uint8_t* data, size_t size)
{
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const uint32_t v = uint32_t(data[i]) << 16 | uint32_t(data[i + 1]) << 8 | data[i + 2];
        out += KAlphabet[v >> 18 & 63];
        out += KAlphabet[v >> 12 & 63];
        out += KAlphabet[v >> 6 & 63];
        out += KAlphabet[v & 63];
    }
    if (size - i == 1) {
        const uint32_t v = uint32_t(data[i]) << 16;
        out += KAlphabet[v >> 18 & 63];
        out += KAlphabet[v >> 12 & 63];
        out += "==";
    } else if (size - i == 2) {
        const uint32_t v = uint32_t(data[i]) << 16 | uint32_t(data[i + 1]) << 8;
        out += KAlphabet[v >> 18 & 63];
        out += KAlphabet[v >> 12 & 63];
        out += KAlphabet[v >> 6 & 63];
        out += '=';
    }
    return out;
}

void Encode(TStream& source, TStream& dest)
{
    std::vector<uint8_t> block(static_cast<size_t>(KBlockSize));
    std::string text;
    for (;;) {
        const int64_t n = ReadFull(source, block.data(), KBlockSize);
        text.clear();
        const bool full = n == KBlockSize;
        EncodeBlock(block.data(), n, full, text);
        if (!text.empty()) dest.WriteBuffer(text.data(), int64_t(text.size()));
        if (!full) break;
    }
}

} // namespace base64enc
