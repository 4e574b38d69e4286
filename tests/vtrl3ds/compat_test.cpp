// The real-number conversion the WebAssembly build uses in place of std::from_chars gives what
// std::from_chars gives: the same status, the same end and the same bits, on ordinary, edge and
// hostile texts and on many random decimals.
#include <gtest/gtest.h>

#include <charconv>
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

}  // namespace
