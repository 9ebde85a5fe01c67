// Windows-1252 <-> UTF-8 conversions.
#include "lexical/TextEncoding.h"

#include <array>
#include <cstdint>

namespace
{
// Code points of the bytes 0x80-0x9F in Windows-1252; 0 where the byte is undefined.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `i`; returns false on a malformed one.
bool NextCodePoint(std::string_view s, std::size_t& i, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    int length = 0;
    if (b0 < 0x80) {
        cp = b0;
        length = 1;
    } else if ((b0 & 0xE0) == 0xC0 && b0 >= 0xC2) {
        cp = b0 & 0x1F;
        length = 2;
    } else if ((b0 & 0xF0) == 0xE0) {
        cp = b0 & 0x0F;
        length = 3;
    } else if ((b0 & 0xF8) == 0xF0 && b0 <= 0xF4) {
        cp = b0 & 0x07;
        length = 4;
    } else {
        return false;
    }
    if (i + length > s.size()) {
        return false;
    }
    for (int k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            return false;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if ((length == 3 && cp < 0x800) || (length == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
        return false;
    }
    i += length;
    return true;
}

char FromCodePoint(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<char>(cp);
    }
    for (std::size_t k = 0; k < HighControls.size(); ++k) {
        if (HighControls[k] != 0 && HighControls[k] == cp) {
            return static_cast<char>(0x80 + k);
        }
    }
    return '?';
}
} // namespace

namespace TextEncoding
{
bool LooksLikeUtf8(std::string_view bytes)
{
    bool nonAscii = false;
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = 0;
        if (!NextCodePoint(bytes, i, cp)) {
            return false;
        }
        nonAscii = nonAscii || cp >= 0x80;
    }
    return nonAscii;
}

std::string Utf8ToWindows1252(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = 0;
        if (NextCodePoint(utf8, i, cp)) {
            out += FromCodePoint(cp);
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

std::string Windows1252ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b < 0xA0) {
            const char32_t cp = HighControls[b - 0x80];
            AppendUtf8(out, cp != 0 ? cp : 0xFFFD);
        } else {
            AppendUtf8(out, b);
        }
    }
    return out;
}

std::string DecodeFileText(std::string_view bytes)
{
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        return Utf8ToWindows1252(bytes.substr(3));
    }
    if (LooksLikeUtf8(bytes)) {
        return Utf8ToWindows1252(bytes);
    }
    return std::string(bytes);
}
} // namespace TextEncoding
