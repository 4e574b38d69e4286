// The decimal separator of text model files (see locale.h): a process-wide value initialised from
// the user's locale during static initialisation, and the text-to-number conversions that use it.
// Conversions return false for text that is not a number; nothing here throws.
#include "vtrl3ds/locale.h"

#include <langinfo.h>
#include <locale.h>

#include <charconv>
#include <cmath>
#include <string>

namespace {

bool isBlank(char c) {
    return static_cast<unsigned char>(c) >= 1 && static_cast<unsigned char>(c) <= 32;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// A separator must be punctuation that cannot be read as part of a number otherwise.
bool usableSeparator(char c) {
    return c > 32 && c < 127 && !isDigit(c) && c != '+' && c != '-' && c != 'e' && c != 'E' &&
           !(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z');
}

// Read while static objects are initialised, i.e. at program start, before main.
char gDecimalSeparator = LocaleDecimalSeparator("");

// Copies a well-formed decimal number into Out with '.' as its separator and without a '+' sign,
// the form std::from_chars reads; false when Text is not such a number.
bool normalised(std::string_view Text, char Separator, std::string& Out) {
    size_t i = 0;
    if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) {
        if (Text[i] == '-') Out += '-';
        ++i;
    }
    size_t digits = 0;
    for (; i < Text.size() && isDigit(Text[i]); ++i, ++digits) Out += Text[i];
    if (i < Text.size() && Text[i] == Separator) {
        Out += '.';
        for (++i; i < Text.size() && isDigit(Text[i]); ++i, ++digits) Out += Text[i];
    }
    if (digits == 0) return false;
    if (i < Text.size() && (Text[i] == 'e' || Text[i] == 'E')) {
        Out += 'e';
        ++i;
        if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) Out += Text[i++];
        size_t exponentDigits = 0;
        for (; i < Text.size() && isDigit(Text[i]); ++i, ++exponentDigits) Out += Text[i];
        if (exponentDigits == 0) return false;
    }
    return i == Text.size();
}

}  // namespace

char LocaleDecimalSeparator(const char* LocaleName) {
    locale_t user = newlocale(LC_NUMERIC_MASK, LocaleName ? LocaleName : "", static_cast<locale_t>(nullptr));
    if (!user) return '.';
    const char* radix = nl_langinfo_l(RADIXCHAR, user);
    const char separator = (radix && radix[0] && !radix[1] && usableSeparator(radix[0])) ? radix[0] : '.';
    freelocale(user);
    return separator;
}

char DecimalSeparator() {
    // Only a static initialiser of another file running before this file's could see it unset.
    if (gDecimalSeparator == 0) gDecimalSeparator = LocaleDecimalSeparator("");
    return gDecimalSeparator;
}

void SetDecimalSeparator(char Separator) {
    gDecimalSeparator = Separator;
}

namespace vtrl3ds_internal {

bool textToReal(std::string_view Text, char Separator, float& Value) {
    Text = trimmed(Text);
    thread_local std::string buffer;
    buffer.clear();
    if (!normalised(Text, Separator, buffer)) return false;
    const char* first = buffer.data();
    const char* last = first + buffer.size();
    float v = 0;
    std::from_chars_result r = std::from_chars(first, last, v);
    if (r.ec == std::errc::result_out_of_range) {
        // Below the smallest single: read as a double, whose rounding to single gives the signed zero
        // (or the subnormal) a wider conversion would. Above the largest single stays refused.
        double d = 0;
        r = std::from_chars(first, last, d);
        v = static_cast<float>(d);
    }
    if (r.ec != std::errc() || r.ptr != last || !std::isfinite(v)) return false;
    Value = v;
    return true;
}

bool textToInt(std::string_view Text, int32_t& Value) {
    Text = trimmed(Text);
    const bool plus = !Text.empty() && Text.front() == '+';
    if (plus) Text.remove_prefix(1);
    const size_t firstDigit = (!plus && !Text.empty() && Text.front() == '-') ? 1 : 0;
    if (Text.size() <= firstDigit || !isDigit(Text[firstDigit])) return false;
    int32_t v = 0;
    const auto [end, ec] = std::from_chars(Text.data(), Text.data() + Text.size(), v);
    if (ec != std::errc() || end != Text.data() + Text.size()) return false;
    Value = v;
    return true;
}

}  // namespace vtrl3ds_internal
