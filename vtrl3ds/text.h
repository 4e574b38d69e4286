// Text of model files as the rest of the world reads it: names and texts are stored as
// Windows-1252 bytes, hosts show and write UTF-8. Pure functions; nothing here fails.
#pragma once

#include <string>
#include <string_view>

// Converts Windows-1252 bytes to UTF-8 (bytes 0x80..0x9F by the code page's table; the five it
// leaves unassigned become the control characters of the same value, as Windows converts them).
std::string Cp1252ToUtf8(const char* text);
// The same for text that may hold NUL bytes (names read from files).
std::string Cp1252ToUtf8(std::string_view text);
// Converts UTF-8 to Windows-1252; characters outside the code page become '?'.
std::string Utf8ToCp1252(const std::string& text);
