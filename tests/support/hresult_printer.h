// Every test program includes this first (the build forces it in): a failed
// comparison of HRESULTs prints each in hex beside its decimal value.  To the
// test framework an HRESULT is a long, so every long compared with a long or
// an int prints both ways.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace testing::internal {

inline std::string DecimalAndHex(long value) {
    char text[40];
    std::snprintf(text, sizeof(text), "%ld (0x%08lX)", value, static_cast<unsigned long>(value));
    return text;
}

template <>
class FormatForComparison<long, long> {
public:
    static std::string Format(long value) { return DecimalAndHex(value); }
};
template <>
class FormatForComparison<long, int> {
public:
    static std::string Format(long value) { return DecimalAndHex(value); }
};
template <>
class FormatForComparison<int, long> {
public:
    static std::string Format(int value) { return DecimalAndHex(value); }
};

}  // namespace testing::internal
