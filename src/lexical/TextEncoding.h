// Conversions between the engine's single-byte text (Windows-1252) and UTF-8 at the system's edges.
#pragma once

#include <string>
#include <string_view>

namespace TextEncoding
{
// True when `bytes` is well-formed UTF-8 and holds at least one non-ASCII character.
bool LooksLikeUtf8(std::string_view bytes);

// Windows-1252 text from UTF-8; a character Windows-1252 cannot hold becomes '?'.
std::string Utf8ToWindows1252(std::string_view utf8);

// UTF-8 text from Windows-1252; the five undefined bytes map to U+FFFD.
std::string Windows1252ToUtf8(std::string_view text);

// Text read from a file as the engine wants it: UTF-8 files are decoded, anything else is taken
// as Windows-1252 byte for byte; a UTF-8 byte-order mark is dropped.
std::string DecodeFileText(std::string_view bytes);
} // namespace TextEncoding
