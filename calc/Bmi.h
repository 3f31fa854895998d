#pragma once
// The BMI of an accepted entry, its display text, slider position and category band.

#include "calc/Measurement.h"

#include <cstdint>
#include <string>

namespace bmi::calc {

inline constexpr int kBandCount = 5;

struct BMIResult {
    float RoundedBMI = 0.0f;
    std::string DisplayText;
    std::int32_t SliderValue = 0;
    int Band = 0; // 0..4, index into the band labels
    friend bool operator==(const BMIResult&, const BMIResult&) = default;
};

// Weight / height / height in double, rounded once to float, then to one decimal as the
// value reads: its shortest decimal text is rounded at the first decimal, an exact half
// away from zero (22.45f gives 22.5, 22.25f gives 22.3), and held as the nearest float.
// The text, slider value and band all follow that rounded value. Entries that were never
// accepted still get a defined result (a zero height gives "inf", band 4).
BMIResult ComputeBMI(const MetricEntry& entry);

// Nearest integer, an exact half going to the even neighbour; saturates at the int32
// limits and gives 0 for NaN, so every input has a defined result.
std::int32_t roundHalfEven(double value);

} // namespace bmi::calc
