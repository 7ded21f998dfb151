// The tick marks of one axis: round values (1, 2 or 5 times a power of ten
// apart) inside a range, and their numbers as text.  Platform-free.
#pragma once

#include <cstdint>
#include <string>

namespace zorvel {

// Never more ticks than this on one axis.
constexpr int kMaxTicks = 10;

struct AxisTicks {
    int count = 0;        // 0 when the range is not finite
    int64_t first = 0;    // tick i is (first + i) * step
    int mantissa = 0;     // step = mantissa * 10^power, mantissa 1, 2 or 5 ...
    int power = 0;
    double step = 0.0;    // ... or 0 for a range of one value,
    double single = 0.0;  // whose one tick is this value

    double Value(int i) const;
};

// Four to eight ticks at multiples of the step, all of them inside [low, high]
// (low and high may come in either order).  A few ranges have no such step:
// 16 to 20 twos of a power of ten whose fives fit only three times; they get
// the count nearest four to eight, the larger on a tie.  A range of one value
// has that value as its one tick.
AxisTicks NiceTicks(double low, double high);

// Tick i's number with the digits the step needs and no more: "0.25", "-3",
// "1500"; when the largest tick reaches a million or stays below a
// ten-thousandth, with a power of ten: "2.5e7", "1e-5".
std::string TickText(const AxisTicks& ticks, int i);

}  // namespace zorvel
