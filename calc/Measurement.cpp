#include "calc/Measurement.h"

#include "calc/DecimalText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>
#include <utility>

namespace bmi::calc {
namespace {

using detail::hasNonZeroWholePart;
using detail::isDigit;
using detail::trimSpaces;

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kReEnter = "Please re-enter again.";
constexpr std::string_view kChooseUnits = "Choose the units and calculate again.";

struct UnitRule {
    std::string_view Name;
    double Lowest;
    double Highest;
    std::string_view RangeMessage;
    // Formed in double from the single-precision reading, rounded once to single.
    float (*ToMetric)(float);
};

constexpr UnitRule kHeightUnits[] = {
    {"inches", 36.0, 108.0,
     "The height should be between 3 feet(36 inches) and 9 feet (108 inches).",
     [](float v) { return static_cast<float>(static_cast<double>(v) * 0.0254); }},
    {"centimeters", 90.0, 275.0, "The height should be between 90 and 275 centimeters.",
     [](float v) { return static_cast<float>(static_cast<double>(v) / 100.0); }},
};

constexpr UnitRule kWeightUnits[] = {
    {"pounds", 20.0, 800.0, "The weight should be between 20 and 800 pounds.",
     [](float v) { return static_cast<float>(static_cast<double>(v) / 2.2); }},
    {"kilograms", 10.0, 400.0, "The weight should be between 10 and 400 kilograms.",
     [](float v) { return v; }},
};

constexpr std::string_view kHeightUnitMessage = "The units must be either inches or centimeters.";
constexpr std::string_view kWeightUnitMessage = "The units must be either pounds or kilograms.";

template <std::size_t N>
const UnitRule* findUnit(const UnitRule (&rules)[N], std::string_view unitText) {
    for (const UnitRule& rule : rules) {
        if (rule.Name == unitText)
            return &rule;
    }
    return nullptr;
}

Rejection twoLines(std::string_view first, std::string_view second, int style) {
    std::string prompt;
    prompt.reserve(first.size() + kLineBreak.size() + second.size());
    prompt.append(first).append(kLineBreak).append(second);
    return Rejection{std::move(prompt), style};
}

// A text without a full reading can't be converted, so it is refused the same way as a
// value outside the unit's bounds: the user is asked for a number in that range.
bool inRange(const UnitRule& rule, std::string_view text, const std::optional<float>& full) {
    if (!full)
        return false;
    const double leading = leadingReading(text);
    return leading >= rule.Lowest && leading <= rule.Highest;
}

} // namespace

std::optional<float> fullReading(std::string_view text) {
    const std::string_view number = trimSpaces(text);
    if (!detail::isPlainDecimal(number))
        return std::nullopt;
    // Straight to float: reading a double first and narrowing it would round twice.
    const std::optional<float> value = detail::readPlainDecimal<float>(number);
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    return value;
}

double leadingReading(std::string_view text) {
    std::string number;
    bool seenPoint = false;
    bool seenDigit = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n')
            continue;
        if (isDigit(c)) {
            seenDigit = true;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
        number.push_back(c);
    }
    if (!seenDigit)
        return 0.0;

    double value = 0.0;
    const char* const end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range)
        return hasNonZeroWholePart(number) ? std::numeric_limits<double>::infinity() : 0.0;
    if (ec != std::errc{})
        return 0.0;
    return value;
}

Validation ValidateAndConvert(std::string_view heightText, std::string_view heightUnit,
                              std::string_view weightText, std::string_view weightUnit) {
    const bool heightEmpty = trimSpaces(heightText).empty();
    const bool weightEmpty = trimSpaces(weightText).empty();
    if (heightEmpty && weightEmpty)
        return Rejection{"You need to enter the height and weight.", kStyleExclamation};
    if (heightEmpty)
        return Rejection{"You need to enter the height.", kStyleExclamation};
    if (weightEmpty)
        return Rejection{"You need to enter the weight.", kStyleExclamation};

    const std::optional<float> weight = fullReading(weightText);
    const std::optional<float> height = fullReading(heightText);

    const UnitRule* const heightRule = findUnit(kHeightUnits, heightUnit);
    if (heightRule == nullptr)
        return twoLines(kHeightUnitMessage, kChooseUnits, kStyleInformation);
    if (!inRange(*heightRule, heightText, height))
        return twoLines(heightRule->RangeMessage, kReEnter, kStyleExclamation);

    const UnitRule* const weightRule = findUnit(kWeightUnits, weightUnit);
    if (weightRule == nullptr)
        return twoLines(kWeightUnitMessage, kChooseUnits, kStyleInformation);
    if (!inRange(*weightRule, weightText, weight))
        return twoLines(weightRule->RangeMessage, kReEnter, kStyleExclamation);

    return MetricEntry{heightRule->ToMetric(*height), weightRule->ToMetric(*weight)};
}

} // namespace bmi::calc
