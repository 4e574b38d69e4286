// Standard library pieces the model library uses that not every library it is built with has
// (libc++ 13, used for WebAssembly, lacks std::bit_cast, floating-point std::from_chars and
// std::to_chars and std::make_unique_for_overwrite). Where the library has them they are used;
// the fallbacks agree.
#pragma once

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdio>
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

// The decimal digits Digits (no point) times 10^Exponent, laid out as std::to_chars lays out its
// shortest form: fixed or scientific notation, whichever is shorter, fixed on a tie. A whole
// number in fixed notation is written exactly, as Whole (the value's "%.0f").
inline std::string realLayout(const std::string& Digits, int Exponent, const std::string& Whole) {
    const int n = static_cast<int>(Digits.size());
    std::string fixed;
    if (Exponent >= n - 1)
        fixed = Whole;
    else if (Exponent >= 0)
        fixed = Digits.substr(0, static_cast<size_t>(Exponent + 1)) + "." + Digits.substr(static_cast<size_t>(Exponent + 1));
    else
        fixed = "0." + std::string(static_cast<size_t>(-Exponent - 1), '0') + Digits;
    const std::string power = std::to_string(Exponent < 0 ? -Exponent : Exponent);
    const std::string scientific = Digits.substr(0, 1) + (n > 1 ? "." + Digits.substr(1) : "") + "e" +
                                   (Exponent < 0 ? "-" : "+") + (power.size() < 2 ? "0" : "") + power;
    return fixed.size() <= scientific.size() ? fixed : scientific;
}

// Digits (as a whole number) plus Step, when that keeps its length; "" otherwise.
inline std::string digitsStep(std::string Digits, int Step) {
    for (size_t i = Digits.size(); i-- > 0;) {
        const bool carries = Step > 0 ? Digits[i] == '9' : Digits[i] == '0';
        Digits[i] = carries ? (Step > 0 ? '0' : '9') : static_cast<char>(Digits[i] + Step);
        if (!carries) return Digits[0] == '0' ? "" : Digits;
    }
    return "";
}

// The text of std::to_chars(first, last, Value) for a real: the fewest significant digits that
// read back to Value (the nearest such when several), from the C library's correctly rounded
// digits of each length and their neighbours, each read back.
template <class T>
std::string shortestRealText(T Value) {
    if (std::isnan(Value)) return std::signbit(Value) ? "-nan" : "nan";
    if (std::isinf(Value)) return Value < 0 ? "-inf" : "inf";
    const std::string sign = std::signbit(Value) ? "-" : "";
    if (Value == 0) return sign + "0";
    const T magnitude = std::fabs(Value);
    auto readsBack = [&](const std::string& digits, int exponent) {
        const std::string text = digits.substr(0, 1) + "." + digits.substr(1) + "e" + std::to_string(exponent);
        return (std::is_same_v<T, float> ? static_cast<T>(std::strtof(text.c_str(), nullptr))
                                         : static_cast<T>(std::strtod(text.c_str(), nullptr))) == magnitude;
    };
    constexpr int most = std::is_same_v<T, float> ? 9 : 17;
    for (int p = 1;; ++p) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.*e", p - 1, static_cast<double>(magnitude));
        const char* e = std::strchr(buf, 'e');
        const std::string digits = std::string(buf, 1) + (p > 1 ? std::string(buf + 2, static_cast<size_t>(e - buf - 2)) : "");
        const int exponent = std::atoi(e + 1);
        for (const std::string& d : {digits, digitsStep(digits, 1), digitsStep(digits, -1)})
            if (!d.empty() && (readsBack(d, exponent) || p == most)) {
                const std::string shortest = d.substr(0, d.find_last_not_of('0') + 1);
                std::string whole;
                if (exponent >= static_cast<int>(shortest.size()) - 1) {
                    whole.resize(static_cast<size_t>(exponent) + 2);
                    std::snprintf(whole.data(), whole.size(), "%.0f", static_cast<double>(magnitude));
                    whole.pop_back();
                }
                return sign + realLayout(shortest, exponent, whole);
            }
    }
}

// std::to_chars for a real in its shortest form, where the library lacks it (and in the tests).
template <class T>
std::to_chars_result shortestToChars(char* first, char* last, T value) {
    const std::string text = shortestRealText(value);
    if (last - first < static_cast<std::ptrdiff_t>(text.size())) return {last, std::errc::value_too_large};
    std::memcpy(first, text.data(), text.size());
    return {first + text.size(), std::errc()};
}

// std::to_chars for a float or a double in its shortest form.
template <class T>
std::to_chars_result realToChars(char* first, char* last, T value) {
#if defined(__cpp_lib_to_chars)
    return std::to_chars(first, last, value);
#else
    return shortestToChars(first, last, value);
#endif
}

}  // namespace vtrl3ds_internal
