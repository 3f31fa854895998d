#include "calc/Bmi.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <system_error>

namespace bmi::calc {
namespace {

constexpr int kDisplayDigits = 7; // what single precision carries
constexpr float kBandLimits[kBandCount - 1] = {20.0f, 25.0f, 30.0f, 40.0f};

// Room for any float in plain decimal: 39 whole digits or 45 decimals plus shortest digits.
using Buffer = std::array<char, 128>;

std::string_view shortestPlain(float value, Buffer& buffer) {
    const auto [ptr, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                         std::chars_format::fixed);
    if (ec != std::errc{})
        return {};
    return {buffer.data(), static_cast<std::size_t>(ptr - buffer.data())};
}

int significantDigits(std::string_view text) {
    int count = 0;
    bool leading = true;
    for (char c : text) {
        if (c < '0' || c > '9')
            continue;
        if (leading && c == '0')
            continue;
        leading = false;
        ++count;
    }
    return count;
}

void stripTrailingZeros(std::string& text) {
    if (text.find('.') == std::string::npos)
        return;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.')
        text.pop_back();
}

// Seven significant digits written out without an exponent; only reached for values far
// outside anything an accepted entry produces.
std::string sevenDigits(float value) {
    Buffer buffer;
    const auto [ptr, ec] =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), static_cast<double>(value),
                      std::chars_format::scientific, kDisplayDigits - 1);
    if (ec != std::errc{})
        return "0";
    const std::string_view text(buffer.data(), static_cast<std::size_t>(ptr - buffer.data()));
    const std::size_t e = text.find('e');
    if (e == std::string_view::npos)
        return "0";
    std::string digits;
    for (char c : text.substr(0, e)) {
        if (c >= '0' && c <= '9')
            digits.push_back(c);
    }
    int exponent = 0;
    const std::string_view expText = text.substr(e + 1);
    const char* expBegin = expText.data() + (expText.front() == '+' ? 1 : 0);
    std::from_chars(expBegin, expText.data() + expText.size(), exponent);

    std::string out = std::signbit(value) ? "-" : "";
    const int wholeDigits = exponent + 1;
    if (wholeDigits <= 0) {
        out.append("0.").append(static_cast<std::size_t>(-wholeDigits), '0').append(digits);
    } else if (wholeDigits >= static_cast<int>(digits.size())) {
        out.append(digits).append(static_cast<std::size_t>(wholeDigits) - digits.size(), '0');
    } else {
        const auto split = static_cast<std::size_t>(wholeDigits);
        out.append(digits, 0, split).append(".").append(digits, split);
    }
    stripTrailingZeros(out);
    return out;
}

std::string displayTextOf(float value) {
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-inf" : "inf";
    Buffer buffer;
    const std::string_view shortest = shortestPlain(value, buffer);
    if (!shortest.empty() && significantDigits(shortest) <= kDisplayDigits)
        return std::string(shortest);
    return sevenDigits(value);
}

// The BMI is rounded as it reads: its shortest decimal text (the digits that identify the
// float) is rounded at the first decimal, a 5 or more in the second going away from zero.
// Rounding the exact binary value instead would turn 0.35f (0.3499999940...) into 0.3
// though it reads as 0.35; the two can only differ for a float that lies within its own
// rounding error of such a half. The result is then read back as the nearest float.
float roundToOneDecimal(float value) {
    // From 2^23 on every float is a whole number already.
    constexpr float kWholeFrom = 8388608.0f;
    if (!std::isfinite(value) || std::fabs(value) >= kWholeFrom)
        return value;
    Buffer buffer;
    const std::string_view text = shortestPlain(value, buffer);
    const std::size_t point = text.find('.');
    if (text.empty() || point == std::string_view::npos)
        return value;

    const bool negative = text.front() == '-';
    std::int64_t tenths = 0;
    for (char c : text.substr(negative ? 1 : 0, point - (negative ? 1 : 0)))
        tenths = tenths * 10 + (c - '0');
    const std::string_view decimals = text.substr(point + 1);
    tenths = tenths * 10 + (decimals.empty() ? 0 : decimals[0] - '0');
    if (decimals.size() > 1 && decimals[1] >= '5')
        ++tenths;

    // Write tenths/10 out and read it back: the float nearest the decimal, rounded once.
    std::array<char, 32> decimal{};
    char* out = decimal.data();
    if (negative)
        *out++ = '-';
    out = std::to_chars(out, decimal.data() + decimal.size() - 2, tenths / 10).ptr;
    *out++ = '.';
    *out++ = static_cast<char>('0' + tenths % 10);
    float rounded = value;
    std::from_chars(decimal.data(), out, rounded, std::chars_format::fixed);
    return rounded;
}

int bandOf(float roundedBmi) {
    int band = 0;
    while (band < kBandCount - 1 && !(roundedBmi < kBandLimits[band]))
        ++band;
    return band;
}

} // namespace

std::int32_t roundHalfEven(double value) {
    if (std::isnan(value))
        return 0;
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    if (value >= static_cast<double>(kMax))
        return kMax;
    if (value <= static_cast<double>(kMin))
        return kMin;
    const double whole = std::floor(value);
    const double fraction = value - whole; // exact for doubles in this range
    auto result = static_cast<std::int64_t>(whole);
    if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0))
        ++result;
    if (result > kMax)
        return kMax;
    return static_cast<std::int32_t>(result);
}

BMIResult ComputeBMI(const MetricEntry& entry) {
    const double height = entry.HeightM;
    const auto bmi = static_cast<float>(static_cast<double>(entry.WeightKg) / height / height);

    BMIResult result;
    result.RoundedBMI = roundToOneDecimal(bmi);
    result.DisplayText = displayTextOf(result.RoundedBMI);
    result.SliderValue = roundHalfEven(result.RoundedBMI);
    result.Band = bandOf(result.RoundedBMI);
    return result;
}

} // namespace bmi::calc
