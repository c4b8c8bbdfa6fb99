#include "common/MimeMessage.h"

#include <cstdio>
#include <filesystem>
#include <vector>

#include "common/Base64Enc.h"
#include "common/StrRes.h"
#include "platform/Stream.h"

namespace {

constexpr const char* CRLF = "\r\n";
// Bytes per encoded word: "=?UTF-8?B?" + 52 characters + "?=" keeps even the first line, after
// "Subject: ", within 78 characters.
constexpr size_t KWordBytes = 39;
// Characters of one section of a continued extended parameter.
constexpr size_t KSectionChars = 48;

// Length of the UTF-8 sequence starting at s[i], or 0 when it is not a valid one.
size_t Utf8SequenceLength(const std::string& s, size_t i)
{
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned c = b(i);
    size_t len;
    unsigned min;
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) len = 2, min = 0x80;
    else if ((c & 0xF0) == 0xE0) len = 3, min = 0x800;
    else if ((c & 0xF8) == 0xF0) len = 4, min = 0x10000;
    else return 0;
    if (i + len > s.size()) return 0;
    unsigned cp = c & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (b(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

bool IsAscii(const std::string& s)
{
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

// The subject's value: UTF-8 encoded words of whole characters, folded onto continuation lines.
std::string EncodedWords(const std::string& name)
{
    std::string out;
    size_t i = 0;
    while (i < name.size()) {
        size_t end = i;
        while (end < name.size()) {
            size_t len = Utf8SequenceLength(name, end);
            if (end + len - i > KWordBytes) break;
            end += len;
        }
        if (!out.empty()) out += "\r\n ";
        out += "=?UTF-8?B?" +
               base64enc::EncodeLine(reinterpret_cast<const uint8_t*>(name.data()) + i, end - i) + "?=";
        i = end;
    }
    return out;
}

bool IsAttributeChar(unsigned char c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    for (const char* p = "!#$&+-.^_`|~"; *p; ++p)
        if (c == static_cast<unsigned char>(*p)) return true;
    return false;
}

// The continuation line(s) of an extended parameter: "\tkey*=UTF-8''value", or numbered sections
// "\tkey*0*=UTF-8''...;" CR LF "\tkey*1*=..." when the value is long.
std::string ExtendedParameter(const char* key, const std::string& name)
{
    std::vector<std::string> sections(1);
    for (unsigned char c : name) {
        char piece[4];
        if (IsAttributeChar(c)) {
            piece[0] = char(c);
            piece[1] = 0;
        } else {
            std::snprintf(piece, sizeof piece, "%%%02X", c);
        }
        if (sections.back().size() + std::char_traits<char>::length(piece) > KSectionChars) sections.emplace_back();
        sections.back() += piece;
    }
    if (sections.size() == 1) return std::string("\t") + key + "*=UTF-8''" + sections[0];
    std::string out;
    for (size_t n = 0; n < sections.size(); ++n) {
        if (n > 0) out += std::string(";") + CRLF;
        out += std::string("\t") + key + "*" + std::to_string(n) + "*=" + (n == 0 ? "UTF-8''" : "") + sections[n];
    }
    return out;
}

} // namespace

std::string MimeSafeName(const std::string& name)
{
    std::string out;
    size_t i = 0;
    while (i < name.size()) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        const size_t len = Utf8SequenceLength(name, i);
        if (len == 0 || c < 0x20 || c == 0x7F || c == '"' || c == '\\') {
            out += '_';
            ++i;
            continue;
        }
        out.append(name, i, len);
        i += len;
    }
    return out;
}

std::string MimeMessageHeader(const std::string& name)
{
    const std::string safe = MimeSafeName(name);
    const bool ascii = IsAscii(safe);
    const std::string boundaryLine = std::string("--") + SMimeBoundary + CRLF;
    std::string h;
    h += std::string("Reply-To: ") + CRLF;
    h += std::string("From: ") + CRLF;
    h += "Subject: " + (ascii ? safe : EncodedWords(safe)) + CRLF;
    h += std::string("MIME-Version: 1.0") + CRLF;
    h += std::string("X-Priority: 3") + CRLF;
    h += std::string("X-MSMail-Priority: Normal") + CRLF;
    h += std::string("X-Unsent: 1") + CRLF;
    h += std::string("Content-Type: multipart/mixed;") + CRLF;
    h += std::string("\tboundary=\"") + SMimeBoundary + "\"" + CRLF;
    h += std::string("X-MimeOLE: Produced By Microsoft MimeOLE V4.72.3110.3") + CRLF;
    h += CRLF;
    h += std::string("This is a multi-part message in MIME format.") + CRLF;
    h += CRLF;
    h += boundaryLine;
    h += std::string("Content-Type: text/plain") + CRLF;
    h += std::string("Content-Transfer-Encoding: 7bit") + CRLF;
    h += std::string(CRLF) + CRLF + CRLF;
    h += std::string(SMailNoteText) + SMakerWebAddress + CRLF;
    h += CRLF;
    h += boundaryLine;
    h += std::string("Content-Type: image/jpeg;") + CRLF;
    h += (ascii ? "\tname=\"" + safe + "\"" : ExtendedParameter("name", safe)) + CRLF;
    h += std::string("Content-Transfer-Encoding: base64") + CRLF;
    h += std::string("Content-Disposition: attachment;") + CRLF;
    h += (ascii ? "\tfilename=\"" + safe + "\"" : ExtendedParameter("filename", safe)) + CRLF;
    h += CRLF;
    return h;
}

std::string MimeMessageClosing() { return std::string(CRLF) + CRLF + "--" + SMimeBoundary + "--" + CRLF; }

void WriteMimeMessage(TStream& jpeg, const std::string& name, TStream& dest)
{
    const std::string header = MimeMessageHeader(name);
    dest.WriteBuffer(header.data(), int64_t(header.size()));
    jpeg.SetPosition(0);
    base64enc::Encode(jpeg, dest);
    const std::string closing = MimeMessageClosing();
    dest.WriteBuffer(closing.data(), int64_t(closing.size()));
}

void WriteMimeMessageFile(const std::string& path, TStream& jpeg, const std::string& name)
{
    try {
        TFileStream file(path, fmCreate);
        WriteMimeMessage(jpeg, name, file);
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
        throw;
    }
}
