// Standard library pieces the model library uses that not every library it is built with has
// (libc++ 13, used for WebAssembly, lacks std::bit_cast, floating-point std::from_chars and
// std::make_unique_for_overwrite). Where the library has them they are used; the fallbacks agree.
#pragma once

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <system_error>
#include <type_traits>
#if __has_include(<bit>)
#include <bit>
#endif

namespace vtrl3ds_internal {

// The bits of From read as a To of the same size.
template <class To, class From>
To bitCast(const From& from) {
    static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<From>);
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<To>(from);
#else
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
#endif
}

// An array of Count bytes (or elements) left uninitialised.
template <class T>
std::unique_ptr<T[]> uninitialisedArray(size_t Count) {
#if defined(__cpp_lib_smart_ptr_for_overwrite)
    return std::make_unique_for_overwrite<T[]>(Count);
#else
    return std::unique_ptr<T[]>(new T[Count]);
#endif
}

// std::from_chars for reals in the general format where the library lacks it (and in the tests):
// the C library's correctly rounded strtof/strtod, in the C locale (WebAssembly's only one), on a
// terminated copy. No leading blank, '+' or hexadecimal form; a value beyond the type's range (to
// infinity, or to zero from non-zero digits) is out of range and not stored.
template <class T>
std::from_chars_result strtodFromChars(const char* first, const char* last, T& value) {
    std::string text(first, last);
    const size_t sign = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() > sign + 1 && text[sign] == '0' && (text[sign + 1] == 'x' || text[sign + 1] == 'X'))
        text.resize(sign + 1);
    if (text.size() == sign || text[sign] == '+' || static_cast<unsigned char>(text[sign]) <= ' ')
        return {first, std::errc::invalid_argument};
    char* end = nullptr;
    const T v = std::is_same_v<T, float> ? static_cast<T>(std::strtof(text.c_str(), &end))
                                          : static_cast<T>(std::strtod(text.c_str(), &end));
    const size_t used = static_cast<size_t>(end - text.c_str());
    if (used == 0) return {first, std::errc::invalid_argument};
    const std::string read = text.substr(0, used);
    const bool spelledInfinite = read.find_first_of("iI") != std::string::npos;
    const bool nonZeroDigits = read.find_first_of("123456789") < read.find_first_of("eE");
    if ((std::isinf(v) && !spelledInfinite) || (v == 0 && nonZeroDigits))
        return {first + used, std::errc::result_out_of_range};
    value = v;
    return {first + used, std::errc()};
}

// std::from_chars for a float or a double, in the general format.
template <class T>
std::from_chars_result realFromChars(const char* first, const char* last, T& value) {
#if defined(__cpp_lib_to_chars)
    return std::from_chars(first, last, value);
#else
    return strtodFromChars(first, last, value);
#endif
}

}  // namespace vtrl3ds_internal
