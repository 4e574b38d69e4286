// The number format of the user's locale for the text loaders: the global DecimalSeparator, taken
// from the environment (LC_ALL, LC_NUMERIC, LANG) once at program start, and the routine that reads
// a locale's separator. Nothing reports failure: a locale that is not available counts as '.'.
#pragma once

// The decimal separator real numbers in text files are written with. Set before main from the
// user's locale; a host (or a test) may assign another before loading.
extern char DecimalSeparator;

// The decimal separator of the named locale; "" names the user's locale as the environment gives
// it. '.' when the locale is not available or its separator is not a single byte.
char LocaleDecimalSeparator(const char* LocaleName);
