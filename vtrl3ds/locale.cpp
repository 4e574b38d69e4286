// The decimal separator of text model files (see locale.h): a process-wide value initialised from
// the user's locale during static initialisation, and the text-to-number conversions that use it.
// Conversions return false for text that is not a number; nothing here throws.
#include "vtrl3ds/locale.h"

#ifndef _WIN32
#include <langinfo.h>
#endif
#include <locale.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
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

// Where the decimal separator of a well-formed decimal number stands (Text.size() when it has
// none); npos when Text is not such a number: optional sign, digits with at most one Separator
// among or after them (at least one digit in all), optional exponent with digits.
size_t separatorAt(std::string_view Text, char Separator) {
    constexpr size_t bad = std::string_view::npos;
    size_t i = (!Text.empty() && (Text[0] == '+' || Text[0] == '-')) ? 1 : 0;
    size_t digits = 0, at = Text.size();
    for (; i < Text.size() && isDigit(Text[i]); ++i) ++digits;
    if (i < Text.size() && Text[i] == Separator)
        for (at = i++; i < Text.size() && isDigit(Text[i]); ++i) ++digits;
    if (digits == 0) return bad;
    if (i < Text.size() && (Text[i] == 'e' || Text[i] == 'E')) {
        i += (i + 1 < Text.size() && (Text[i + 1] == '+' || Text[i + 1] == '-')) ? 2 : 1;
        const size_t exponent = i;
        while (i < Text.size() && isDigit(Text[i])) ++i;
        if (i == exponent) return bad;
    }
    return i == Text.size() ? at : bad;
}

// std::from_chars on a well-formed number with '.' as its separator and no '+' sign. A value
// below the smallest single is read as a double, whose rounding to single gives the signed zero
// (or the subnormal) a wider conversion would; one above the largest single is refused.
bool convert(const char* first, const char* last, float& Value) {
    float v = 0;
    std::from_chars_result r = std::from_chars(first, last, v);
    if (r.ec == std::errc::result_out_of_range) {
        double d = 0;
        r = std::from_chars(first, last, d);
        v = static_cast<float>(d);
    }
    if (r.ec != std::errc() || r.ptr != last || !std::isfinite(v)) return false;
    Value = v;
    return true;
}

}  // namespace

#ifdef _WIN32
// The C runtime's locales: "" is the user's own, as Windows' regional settings give it.
char LocaleDecimalSeparator(const char* LocaleName) {
    _locale_t user = _create_locale(LC_NUMERIC, LocaleName ? LocaleName : "");
    if (!user) return '.';
    const char* radix = user->locinfo && user->locinfo->lconv ? user->locinfo->lconv->decimal_point : nullptr;
    const char separator = (radix && radix[0] && !radix[1] && usableSeparator(radix[0])) ? radix[0] : '.';
    _free_locale(user);
    return separator;
}
#else
char LocaleDecimalSeparator(const char* LocaleName) {
    locale_t user = newlocale(LC_NUMERIC_MASK, LocaleName ? LocaleName : "", static_cast<locale_t>(nullptr));
    if (!user) return '.';
    const char* radix = nl_langinfo_l(RADIXCHAR, user);
    const char separator = (radix && radix[0] && !radix[1] && usableSeparator(radix[0])) ? radix[0] : '.';
    freelocale(user);
    return separator;
}
#endif

char DecimalSeparator() {
    // Only a static initialiser of another file running before this file's could see it unset.
    if (gDecimalSeparator == 0) gDecimalSeparator = LocaleDecimalSeparator("");
    return gDecimalSeparator;
}

void SetDecimalSeparator(char Separator) {
    gDecimalSeparator = Separator;
}

namespace vtrl3ds_internal {

size_t plainDecimal(const char* first, const char* last, char Separator, float& Value) {
    static constexpr float singles[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    static constexpr double doubles[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = first;
    const bool negative = p < last && *p == '-';
    p += negative ? 1 : 0;
    uint64_t mantissa = 0;
    int digits = 0, decimals = 0;
    bool separator = false;
    for (; p < last; ++p) {
        const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
        if (digit <= 9) {
            if (++digits > 15) return 0;
            mantissa = mantissa * 10 + digit;
            decimals += separator ? 1 : 0;
        } else if (*p == Separator && !separator) {
            separator = true;
        } else {
            break;
        }
    }
    if (digits == 0 || (p < last && (*p == 'e' || *p == 'E'))) return 0;
    float v = 0;
    if (mantissa <= (uint64_t{1} << 24) && decimals <= 10) {
        // Both operands are exact singles: one division rounds correctly.
        v = static_cast<float>(mantissa) / singles[decimals];
    } else {
        // Both operands are exact doubles. Rounding the double quotient to a single again gives
        // the correctly rounded single unless the quotient lies on (or next to) the midpoint
        // between two singles, which shows in the 29 bits a single drops.
        const double q = static_cast<double>(mantissa) / doubles[decimals];
        const uint64_t dropped = std::bit_cast<uint64_t>(q) & 0x1FFFFFFFu;
        if (dropped - 0x0FFFFFFFu <= 2) return 0;
        v = static_cast<float>(q);
    }
    Value = negative ? -v : v;
    return static_cast<size_t>(p - first);
}

bool textToRealWith(std::string_view Text, char Separator, float& Value);

// Checked first, then converted in place; only a number holding a separator other than the point
// is copied (with the point in its place) for std::from_chars.
bool textToReal(std::string_view Text, char Separator, float& Value) {
    // Files written with the point (as the formats' own writers always do) load under a comma
    // locale too: the point is accepted wherever the locale's separator is.
    if (Separator != '.') return textToRealWith(Text, Separator, Value) || textToRealWith(Text, '.', Value);
    return textToRealWith(Text, '.', Value);
}

bool textToRealWith(std::string_view Text, char Separator, float& Value) {
    Text = trimmed(Text);
    float plain = 0;
    if (!Text.empty() &&
        plainDecimal(Text.data(), Text.data() + Text.size(), Separator, plain) == Text.size()) {
        Value = plain;
        return true;
    }
    size_t at = separatorAt(Text, Separator);
    if (at == std::string_view::npos) return false;
    if (Text[0] == '+') {
        Text.remove_prefix(1);
        --at;
    }
    if (at == Text.size() || Separator == '.') return convert(Text.data(), Text.data() + Text.size(), Value);
    char small[64];
    std::string large;
    char* copy = small;
    if (Text.size() > sizeof small) {
        large.resize(Text.size());
        copy = large.data();
    }
    std::memcpy(copy, Text.data(), Text.size());
    copy[at] = '.';
    return convert(copy, copy + Text.size(), Value);
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
