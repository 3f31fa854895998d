#pragma once
// Checks of one entry (height, weight and their units) and conversion to metric.
// Pure: no window code, no locale; "." is the only decimal point.

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace bmi::calc {

// Message box styles used by refusals.
inline constexpr int kStyleExclamation = 48;
inline constexpr int kStyleInformation = 64;

struct Rejection {
    std::string Prompt; // lines joined by "\r\n"
    int Style = kStyleExclamation;
    friend bool operator==(const Rejection&, const Rejection&) = default;
};

struct MetricEntry {
    float HeightM = 0.0f;
    float WeightKg = 0.0f;
    friend bool operator==(const MetricEntry&, const MetricEntry&) = default;
};

using Validation = std::variant<Rejection, MetricEntry>;

// The full reading: the whole text (spaces at both ends removed) as digits with at
// most one "." and at least one digit, rounded to single precision; nothing when the
// text is anything else or the value is not finite as a float.
std::optional<float> fullReading(std::string_view text);

// The leading reading: spaces, tabs and line feeds dropped, then the longest leading
// decimal number (digits with at most one "."), in double precision; 0 when none.
double leadingReading(std::string_view text);

// Runs every check in the program's order and stops at the first refusal.
Validation ValidateAndConvert(std::string_view heightText, std::string_view heightUnit,
                              std::string_view weightText, std::string_view weightUnit);

} // namespace bmi::calc
