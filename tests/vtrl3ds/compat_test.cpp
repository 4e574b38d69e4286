// The real-number conversions the WebAssembly build uses in place of std::from_chars and
// std::to_chars give what the standard library gives: the same status, end and bits, on ordinary,
// edge and hostile texts and many random decimals; the same shortest text for edge values and
// many random bit patterns.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <cstring>
#include <random>
#include <string>

#include "vtrl3ds/private/compat.h"

namespace {

template <class T>
void expectSame(const std::string& text) {
    T ours = T(7), theirs = T(7);
    const auto a = vtrl3ds_internal::strtodFromChars(text.data(), text.data() + text.size(), ours);
    const auto b = std::from_chars(text.data(), text.data() + text.size(), theirs);
    EXPECT_EQ(a.ec, b.ec) << "'" << text << "'";
    EXPECT_EQ(a.ptr - text.data(), b.ptr - text.data()) << "'" << text << "'";
    if (ours == ours || theirs == theirs) {  // NaNs may differ in payload
        EXPECT_EQ(0, std::memcmp(&ours, &theirs, sizeof ours)) << "'" << text << "'";
    }
}

TEST(RealFromChars, AgreesWithTheStandardLibrary) {
    const char* rows[] = {"0", "-0", "1.5", "-12.75", "0.1", "3.4028235e38", "3.4028236e38", "1e39", "-1e39",
                          "1e-38", "1e-45", "1e-46", "7e-46", "1e-400", "1.7976931348623157e308", "1e309",
                          "4.9e-324", "2e-324", "0.000000000000000000000000000000000000000000001",
                          "1.00000005960464477539062", "1.000000059604644775390625", "123456789012345678901234567890",
                          "1.", ".5", ".", "-", "", "+1", " 1", "1e", "1e+", "1e-5x", "1,5", "0x1p3", "-0x10", "inf",
                          "-Infinity", "nan", "NaN(12)", "infx", "e5", "--1", "0e999999", "1e-999999", "9.99e37",
                          "00000000000000000000000000012.5"};
    for (const char* row : rows) {
        expectSame<float>(row);
        expectSame<double>(row);
    }
}

TEST(RealFromChars, AgreesOnRandomDecimals) {
    std::mt19937 rng(21);
    for (int i = 0; i < 20000; ++i) {
        std::string text = rng() % 4 == 0 ? "-" : "";
        const int digits = 1 + static_cast<int>(rng() % 20);
        const int point = static_cast<int>(rng() % (digits + 1));
        for (int d = 0; d < digits; ++d) {
            if (d == point && d > 0) text += '.';
            text += static_cast<char>('0' + rng() % 10);
        }
        if (rng() % 2) text += "e" + std::to_string(static_cast<int>(rng() % 700) - 350);
        expectSame<float>(text);
        expectSame<double>(text);
    }
}

template <class T>
void expectSameText(T value) {
    char ours[64], theirs[64];
    const auto a = vtrl3ds_internal::shortestToChars(ours, ours + sizeof ours, value);
    const auto b = std::to_chars(theirs, theirs + sizeof theirs, value);
    EXPECT_EQ(std::string(ours, a.ptr), std::string(theirs, b.ptr)) << static_cast<double>(value);
}

TEST(RealToChars, AgreesWithTheStandardLibrary) {
    const double rows[] = {0.0, -0.0, 1, -1, 0.1, 0.3, 100, 1e21, 1e22, 1e23, 123456789012345680000.0, 1.5e-5,
                           1e-7, 0.001, 12345.678, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308,
                           9007199254740993.0, 3.4028234663852886e38, 1.1754943508222875e-38, 1e-45, 8.589973e9,
                           std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (double row : rows) {
        expectSameText(row);
        if (std::fabs(row) <= 3.4028234663852886e38) expectSameText(static_cast<float>(row));
    }
    for (int e = -45; e <= 38; ++e) expectSameText(static_cast<float>(std::pow(10.0, e)));
    for (int e = -149; e <= 127; ++e) expectSameText(std::ldexp(1.0f, e));
}

TEST(RealToChars, AgreesOnRandomBits) {
    std::mt19937_64 rng(21);
    for (int i = 0; i < 20000; ++i) {
        const uint64_t bits = rng();
        const float f = vtrl3ds_internal::bitCast<float>(static_cast<uint32_t>(bits));
        const double d = vtrl3ds_internal::bitCast<double>(bits);
        if (std::isfinite(f)) expectSameText(f);
        if (std::isfinite(d)) expectSameText(d);
    }
}

}  // namespace
