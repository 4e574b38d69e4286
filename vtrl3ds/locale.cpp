// The number format of the user's locale (see locale.h): owns the global DecimalSeparator and reads
// a locale's separator without changing the process's own C locale. Reports nothing: a locale
// that cannot be opened gives '.'.
#include "vtrl3ds/locale.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>

char LocaleDecimalSeparator(const char* LocaleName) {
    locale_t locale = newlocale(LC_NUMERIC_MASK, LocaleName ? LocaleName : "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) return '.';
    const char* radix = nl_langinfo_l(RADIXCHAR, locale);
    // A separator of several bytes (some UTF-8 locales) cannot stand in an 8-bit text as one
    // character; such text is read with the point.
    const char separator = (radix && std::strlen(radix) == 1) ? radix[0] : '.';
    freelocale(locale);
    return separator;
}

char DecimalSeparator = LocaleDecimalSeparator("");
