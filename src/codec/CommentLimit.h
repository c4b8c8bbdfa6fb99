#pragma once
// A comment line becomes one COM marker, whose length field leaves room for 65533 bytes of text.
#include <cstddef>
#include <string>

inline constexpr size_t MaxCommentLineBytes = 65533;

// The number (from 1) of the first line of text (lines end with LF or CR LF) longer than
// MaxCommentLineBytes; 0 when every line fits. *length receives that line's length.
inline size_t FirstOverlongCommentLine(const std::string& text, size_t* length = nullptr)
{
    size_t line = 1, start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        size_t n = end - start;
        if (n > 0 && text[end - 1] == '\r') --n;
        if (n > MaxCommentLineBytes) {
            if (length) *length = n;
            return line;
        }
        start = end + 1;
        ++line;
    }
    return 0;
}
