// Text conversion at the platform boundary: the toolkit's strings are Windows-1252 bytes.
#pragma once

#include <string>
#include <string_view>

namespace vitrail_platform {

// Converts Windows-1252 bytes to UTF-8 (bytes 0x80..0x9F by the code page's table; the five it
// leaves unassigned become the control characters of the same value, as Windows converts them).
std::string Cp1252ToUtf8(const char* text);
// The same for text that may hold NUL bytes (names read from files).
std::string Cp1252ToUtf8(std::string_view text);
// Converts UTF-8 to Windows-1252; characters outside the code page become '?'.
std::string Utf8ToCp1252(const std::string& text);

}  // namespace vitrail_platform
