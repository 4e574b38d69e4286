// The number format of text model files: the decimal separator of the user's locale, read once at
// program start, and the conversion of text fields to real and integer numbers with it. The
// conversions report text that is not a number by returning false; nothing here throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The decimal separator real numbers in text files are written with. At program start it is taken
// from the user's numeric locale (LC_ALL, else LC_NUMERIC, else LANG, as the C library resolves
// them), without changing the process's own C locale; '.' when that locale is not installed or its
// separator is not a single punctuation byte.
char DecimalSeparator();
// Replaces the separator for the rest of the process (hosts reading files written elsewhere, tests).
void SetDecimalSeparator(char Separator);
// The decimal separator of the named locale; "" names the user's locale as the environment gives
// it now. '.' when the locale is not available or its separator is not a single punctuation byte.
char LocaleDecimalSeparator(const char* LocaleName);

namespace vtrl3ds_internal {

// A real number in decimal notation: optional sign, digits with at most one Separator (or, when
// Separator is not the point, one point instead), optional exponent (e or E, optional sign,
// digits), surrounding bytes 1..32 allowed. False for anything else and for values outside the
// single-precision range.
bool textToReal(std::string_view Text, char Separator, float& Value);
// The plain decimal form nearly every number in a text file has: an optional minus, then at most
// 15 digits with at most one Separator among or after them. Reads from `first` as far as the form
// goes and returns the bytes read, which the caller checks to end the field, with Value the
// correctly rounded single (as textToReal gives); 0 when the text does not open with that form
// (or goes on with an exponent), which textToReal then decides. Value is set only when the
// result is not 0.
size_t plainDecimal(const char* first, const char* last, char Separator, float& Value);
// A decimal 32-bit integer with an optional sign, surrounding bytes 1..32 allowed; false for
// anything else, overflow included.
bool textToInt(std::string_view Text, int32_t& Value);

}  // namespace vtrl3ds_internal
