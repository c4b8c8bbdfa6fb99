#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/Base64Enc.h"
#include "common/MimeMessage.h"
#include "common/StrRes.h"
#include "platform/Exceptions.h"
#include "platform/Stream.h"

namespace {

std::string EncodeBytes(const std::vector<uint8_t>& bytes)
{
    TMemoryStream src, dst;
    if (!bytes.empty()) src.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    src.SetPosition(0);
    base64enc::Encode(src, dst);
    return std::string(reinterpret_cast<const char*>(dst.Memory()), size_t(dst.Size()));
}

// A decoder written for the test alone (the product only encodes): the alphabet by position.
std::vector<uint8_t> DecodeForTest(const std::string& text)
{
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<uint8_t> out;
    uint32_t acc = 0;
    int bits = 0;
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '=') continue;
        size_t v = alphabet.find(c);
        EXPECT_NE(v, std::string::npos) << "character " << int(c);
        acc = acc << 6 | uint32_t(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(uint8_t(acc >> bits));
        }
    }
    return out;
}

std::vector<uint8_t> Pattern(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + i / 256);
    return v;
}

std::vector<std::string> SplitCrLf(const std::string& s)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t p; (p = s.find("\r\n", start)) != std::string::npos; start = p + 2) lines.push_back(s.substr(start, p - start));
    lines.push_back(s.substr(start));
    return lines;
}

} // namespace

// Known vectors: the alphabet's ends and both kinds of padding.
TEST(Base64Enc, KnownShortVectors)
{
    const struct
    {
        std::vector<uint8_t> in;
        const char* out;
    } cases[] = {
        {{'a', 'b', 'c'}, "YWJj"}, {{'M', 'a', 'n'}, "TWFu"}, {{'M', 'a'}, "TWE="}, {{'M'}, "TQ=="},
        {{0xFF, 0xFF, 0xFF}, "////"}, {{0xFB, 0xFF}, "+/8="}, {{0, 0, 0}, "AAAA"}, {{}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeBytes(c.in), c.out);
}

// Line layout by stream size: 57 bytes fill one line, a full block ends with CR LF, anything shorter
// than a full block has no final line end. Lengths worked out from 76 characters per 57 bytes.
TEST(Base64Enc, LineLayoutBySize)
{
    const struct
    {
        size_t size;
        size_t length;     // characters written
        size_t lines;      // lines when split at CR LF (a final CR LF leaves an empty last piece)
        size_t lastLength; // characters of that last piece
    } cases[] = {
        {57, 76, 1, 76},
        {58, 76 + 2 + 4, 2, 4},
        {114, 76 + 2 + 76, 2, 76},
        {10944, 14976, 193, 0},
        {10945, 14976 + 4, 193, 4},
        {2 * 10944, 2 * 14976, 385, 0},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> data = Pattern(c.size);
        const std::string text = EncodeBytes(data);
        EXPECT_EQ(text.size(), c.length) << c.size;
        const auto lines = SplitCrLf(text);
        ASSERT_EQ(lines.size(), c.lines) << c.size;
        EXPECT_EQ(lines.back().size(), c.lastLength) << c.size;
        for (size_t i = 0; i + 1 < lines.size(); ++i) EXPECT_EQ(lines[i].size(), 76u) << c.size << " line " << i;
        EXPECT_EQ(DecodeForTest(text), data) << c.size;
    }
    // 58 bytes: the second line is the 58th byte with two "=".
    EXPECT_EQ(EncodeBytes(Pattern(58)).substr(78), EncodeBytes({Pattern(58)[57]}));
    EXPECT_EQ(EncodeBytes(Pattern(58)).substr(80), "==");
}

// The whole file for a tiny JPEG, byte for byte.
TEST(MimeMessage, TinyJpegGoldenBytes)
{
    const uint8_t jpeg[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 0xFF, 0xD9};
    TMemoryStream src, dst;
    src.WriteBuffer(jpeg, sizeof jpeg);
    WriteMimeMessage(src, "photo.jpg", dst);
    const std::string expected = std::string(
        "Reply-To: \r\n"
        "From: \r\n"
        "Subject: photo.jpg\r\n"
        "MIME-Version: 1.0\r\n"
        "X-Priority: 3\r\n"
        "X-MSMail-Priority: Normal\r\n"
        "X-Unsent: 1\r\n"
        "Content-Type: multipart/mixed;\r\n"
        "\tboundary=\"----=_NextPart_000_0006_01C045C1.B174CB40\"\r\n"
        "X-MimeOLE: Produced By Microsoft MimeOLE V4.72.3110.3\r\n"
        "\r\n"
        "This is a multi-part message in MIME format.\r\n"
        "\r\n"
        "------=_NextPart_000_0006_01C045C1.B174CB40\r\n"
        "Content-Type: text/plain\r\n"
        "Content-Transfer-Encoding: 7bit\r\n"
        "\r\n\r\n\r\n"
        "This e-mail created by Quillmark, ") + SMakerWebAddress + "\r\n"
        "\r\n"
        "------=_NextPart_000_0006_01C045C1.B174CB40\r\n"
        "Content-Type: image/jpeg;\r\n"
        "\tname=\"photo.jpg\"\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment;\r\n"
        "\tfilename=\"photo.jpg\"\r\n"
        "\r\n"
        "/9j/4AAQ/9k="
        "\r\n\r\n"
        "------=_NextPart_000_0006_01C045C1.B174CB40--\r\n";
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(dst.Memory()), size_t(dst.Size())), expected);
}

// Names from file names: what reaches the header lines.
TEST(MimeMessage, UntrustedNamesNeverBreakHeaders)
{
    const struct
    {
        const char* name;
        const char* safe;
    } cases[] = {
        {"a\r\nBcc: x@y.z\".jpg", "a__Bcc: x@y.z_.jpg"},
        {"tab\there\\.jpg", "tab_here_.jpg"},
        {"del\x7f.jpg", "del_.jpg"},
        {"bad\xff\xc3.jpg", "bad__.jpg"},
        {"caf\xc3\xa9.jpg", "caf\xc3\xa9.jpg"},
        {"\xed\xa0\x80.jpg", "___.jpg"}, // an encoded surrogate is not UTF-8
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MimeSafeName(c.name), c.safe);
        const std::string header = MimeMessageHeader(c.name);
        // The header has exactly the designed number of lines, whatever the name holds.
        size_t lines = 0;
        for (size_t p = 0; (p = header.find('\n', p)) != std::string::npos; ++p) {
            EXPECT_EQ(header[p - 1], '\r');
            ++lines;
        }
        EXPECT_EQ(lines, 28u) << c.name;
        EXPECT_EQ(header.find('\r'), header.find("\r\n")) << c.name;
    }
}

// A non-ASCII name goes out as encoded words and extended parameters; long ones fold and continue.
TEST(MimeMessage, NonAsciiNameEncodings)
{
    const std::string h = MimeMessageHeader("\xd1\x84\xd0\xbe\xd1\x82\xd0\xbe.jpg"); // "фото.jpg"
    EXPECT_NE(h.find("Subject: =?UTF-8?B?0YTQvtGC0L4uanBn?=\r\n"), std::string::npos);
    EXPECT_NE(h.find("\tname*=UTF-8''%D1%84%D0%BE%D1%82%D0%BE.jpg\r\n"), std::string::npos);
    EXPECT_NE(h.find("\tfilename*=UTF-8''%D1%84%D0%BE%D1%82%D0%BE.jpg\r\n"), std::string::npos);

    std::string longName;
    for (int i = 0; i < 40; ++i) longName += "\xc3\xa9"; // 40 x "é": 80 bytes
    const std::string lh = MimeMessageHeader(longName);
    // Words split inside no character, folded onto continuation lines.
    EXPECT_NE(lh.find("?=\r\n =?UTF-8?B?"), std::string::npos);
    EXPECT_NE(lh.find("\tfilename*0*=UTF-8''%C3%A9"), std::string::npos);
    EXPECT_NE(lh.find(";\r\n\tfilename*1*=%C3%A9"), std::string::npos);
    for (const std::string& line : SplitCrLf(lh)) EXPECT_LE(line.size(), 78u) << line;
}

// A write that fails leaves no partial file behind.
TEST(MimeMessage, FailedWriteRemovesThePartialFile)
{
    class TFailingStream : public TMemoryStream
    {
    public:
        int64_t Read(void*, int64_t) override { throw EReadError("Stream read error"); }
    } broken;
    broken.SetSize(100);
    const std::string path = (std::filesystem::temp_directory_path() / "qm_mime_fail_test.eml").string();
    EXPECT_THROW(WriteMimeMessageFile(path, broken, "x.jpg"), EReadError);
    EXPECT_FALSE(std::filesystem::exists(path));
}

// An independent parser (Python's email package) reads the message back: the attachment's bytes,
// its name and the subject, for an ASCII name and a UTF-8 one.
TEST(MimeMessage, IndependentParserReadsItBack)
{
    if (std::system("python3 -c 'import email' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no python3";
    const auto dir = std::filesystem::temp_directory_path() / "qm_mime_parse_test";
    std::filesystem::create_directories(dir);
    std::vector<uint8_t> jpeg = Pattern(10944 * 2 + 1000);
    jpeg[0] = 0xFF, jpeg[1] = 0xD8;
    std::ofstream(dir / "expected.bin", std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    const char* script = R"(
import email, email.policy, sys
msg = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=email.policy.default)
parts = [p for p in msg.walk() if p.get_content_type() == 'image/jpeg']
ok = len(parts) == 1 and parts[0].get_content() == open(sys.argv[2], 'rb').read()
ok = ok and parts[0].get_filename() == sys.argv[3] and str(msg['Subject']) == sys.argv[3]
ok = ok and msg['X-Unsent'] == '1' and len(msg.defects) == 0
sys.exit(0 if ok else 1)
)";
    std::ofstream(dir / "check.py") << script;
    for (const std::string& name : {std::string("photo 1.jpg"), std::string("\xd1\x84\xd0\xbe\xd1\x82\xd0\xbe \xe5\x86\x99\xe7\x9c\x9f.jpg")}) {
        TMemoryStream src;
        src.WriteBuffer(jpeg.data(), int64_t(jpeg.size()));
        const std::string path = (dir / "m.eml").string();
        WriteMimeMessageFile(path, src, name);
        const std::string cmd = "python3 '" + (dir / "check.py").string() + "' '" + path + "' '" +
                                (dir / "expected.bin").string() + "' '" + name + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << name;
    }
    std::filesystem::remove_all(dir);
}
