// Names as the files' authors typed them: ASCII case folding, case-blind comparison and the
// extension that picks a file's loader. Private to the model library; nothing here fails.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vtrl3ds_internal {

// ASCII letters to upper case; other bytes as they are.
inline char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Names compared the way the files' authors typed them: ASCII letters ignoring case.
inline bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    return true;
}

// The last four characters (the whole text when shorter), ASCII letters in lower case: what picks
// a file's loader.
inline std::string extensionOf(const std::string& FileName) {
    std::string ext = FileName.size() > 4 ? FileName.substr(FileName.size() - 4) : FileName;
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

}  // namespace vtrl3ds_internal
