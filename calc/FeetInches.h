#pragma once
// Feet and inches as picked or typed in the feet-and-inches dialog, turned into inches.

#include <cstdint>
#include <string_view>
#include <variant>

namespace bmi::calc {

enum class FeetInchesProblem {
    FeetUnreadable,   // the feet text, less its last character, is no number
    InchesUnreadable, // the same for the inches text
    TotalOutOfRange,  // feet * 12, or that plus inches, leaves the 16-bit signed range
};

using FeetInchesOutcome = std::variant<std::int16_t, FeetInchesProblem>;

// Drops the last character (the unit mark) of each text, reads the rest as optional
// spaces, an optional sign, digits and an optional "." fraction, rounds each to a
// 16-bit integer (half to even) and returns feet * 12 + inches in 16-bit arithmetic,
// where the product must fit as well as the sum.
FeetInchesOutcome feetAndInchesToInches(std::string_view feetText, std::string_view inchesText);

} // namespace bmi::calc
