#include "render/axis_ticks.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace zorvel {
namespace {

constexpr int kFewestTicks = 4;
constexpr int kMostTicks = 8;
constexpr int kMantissas[] = {5, 2, 1};
// Ticks are whole multiples of the step; past 2^52 a multiple is no longer
// exact in a double, and such a step is not tried.
constexpr double kLargestIndex = 4503599627370496.0;
// How far (in steps) a division may miss a multiple it lands on: 0.7 / 0.1
// gives 6.9999999999999991.
constexpr double kSlack = 1e-9;

int Distance(int count) {
    if (count < kFewestTicks) return kFewestTicks - count;
    return count > kMostTicks ? count - kMostTicks : 0;
}

// magnitude * 10^power written out, with no trailing zeros after the point.
std::string Fixed(int64_t magnitude, int power) {
    std::string digits = std::to_string(magnitude);
    if (power >= 0) return digits + std::string(static_cast<size_t>(power), '0');
    const size_t decimals = static_cast<size_t>(-power);
    if (digits.size() <= decimals) digits.insert(0, decimals + 1 - digits.size(), '0');
    std::string text = digits.substr(0, digits.size() - decimals) + "." + digits.substr(digits.size() - decimals);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

// magnitude * 10^power as d.ddd e n.
std::string Scientific(int64_t magnitude, int power) {
    std::string digits = std::to_string(magnitude);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
        ++power;
    }
    const int exponent = power + static_cast<int>(digits.size()) - 1;
    std::string text = digits.substr(0, 1);
    if (digits.size() > 1) text += "." + digits.substr(1);
    return text + "e" + std::to_string(exponent);
}

// The lone value of a flat range, to a float's precision, the exponent
// written as Scientific writes it whatever the C library's habit.
std::string LoneValue(double value) {
    if (value == 0.0) return "0";
    char text[40];
    std::snprintf(text, sizeof text, "%.7g", value);
    std::string result(text);
    const size_t e = result.find('e');
    if (e == std::string::npos) return result;
    const int exponent = std::atoi(result.c_str() + e + 1);
    return result.substr(0, e) + "e" + std::to_string(exponent);
}

}  // namespace

double AxisTicks::Value(int i) const {
    if (step == 0.0) return single;
    return static_cast<double>(first + i) * step;
}

AxisTicks NiceTicks(double low, double high) {
    AxisTicks best;
    if (high < low) std::swap(low, high);
    const double range = high - low;
    if (!std::isfinite(range)) return best;  // NaN and infinity alike
    if (range == 0.0) {
        best.count = 1;
        best.single = low;
        return best;
    }
    // From a step above the whole range down to a hundredth of it, so the
    // steps giving four to eight ticks are all among them; the first one of
    // those has the fewest ticks.
    const int top = static_cast<int>(std::floor(std::log10(range))) + 1;
    int bestDistance = kMaxTicks + 1;
    for (int power = top; power >= top - 3; --power) {
        for (int mantissa : kMantissas) {
            const double step = mantissa * std::pow(10.0, power);
            const double lowIndex = std::ceil(low / step - kSlack);
            const double highIndex = std::floor(high / step + kSlack);
            if (std::fabs(lowIndex) > kLargestIndex || std::fabs(highIndex) > kLargestIndex) continue;
            const double count = highIndex - lowIndex + 1;
            if (count < 1 || count > kMaxTicks) continue;
            const int n = static_cast<int>(count);
            const int distance = Distance(n);
            if (distance < bestDistance || (distance == bestDistance && distance > 0 && n > best.count)) {
                bestDistance = distance;
                best.count = n;
                best.first = static_cast<int64_t>(lowIndex);
                best.mantissa = mantissa;
                best.power = power;
                best.step = step;
            }
        }
    }
    return best;
}

std::string TickText(const AxisTicks& ticks, int i) {
    if (ticks.step == 0.0) return LoneValue(ticks.single);
    const int64_t value = (ticks.first + i) * ticks.mantissa;
    const int64_t ends[2] = {std::llabs(ticks.first * ticks.mantissa),
                             std::llabs((ticks.first + ticks.count - 1) * ticks.mantissa)};
    const int64_t largest = ends[0] > ends[1] ? ends[0] : ends[1];
    const int place = ticks.power + (largest == 0 ? 0 : static_cast<int>(std::to_string(largest).size()) - 1);
    const std::string sign = value < 0 ? "-" : "";
    const int64_t magnitude = std::llabs(value);
    if (magnitude == 0) return "0";
    return sign + (place >= 6 || place < -4 ? Scientific(magnitude, ticks.power) : Fixed(magnitude, ticks.power));
}

}  // namespace zorvel
