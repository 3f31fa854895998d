// Input: height text, height unit, weight text, weight unit, separated by '|' (the last
// text takes the rest). Every accepted entry goes on to the BMI.
#include "calc/Bmi.h"
#include "calc/Measurement.h"
#include "fuzz/FuzzCheck.h"

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace {

std::array<std::string_view, 4> split(std::string_view input) {
    std::array<std::string_view, 4> texts;
    for (std::size_t i = 0; i + 1 < texts.size(); ++i) {
        const std::size_t bar = input.find('|');
        if (bar == std::string_view::npos) {
            texts[i] = input;
            input = {};
            continue;
        }
        texts[i] = input.substr(0, bar);
        input.remove_prefix(bar + 1);
    }
    texts.back() = input;
    return texts;
}

bool isPlainDecimal(std::string_view text) {
    bool seenPoint = false;
    for (char c : text) {
        if (c == '.' && !seenPoint)
            seenPoint = true;
        else if (c < '0' || c > '9')
            return false;
    }
    return !text.empty() && text.back() != '.' && (!seenPoint || text.back() != '0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace bmi::calc;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto [height, heightUnit, weight, weightUnit] = split(input);

    for (std::string_view text : {height, weight}) {
        if (const auto full = fullReading(text))
            BMI_FUZZ_CHECK(*full >= 0.0f && *full <= std::numeric_limits<float>::max());
        BMI_FUZZ_CHECK(leadingReading(text) >= 0.0);
    }

    const Validation outcome = ValidateAndConvert(height, heightUnit, weight, weightUnit);
    if (const auto* rejection = std::get_if<Rejection>(&outcome)) {
        BMI_FUZZ_CHECK(!rejection->Prompt.empty());
        BMI_FUZZ_CHECK(rejection->Style == kStyleExclamation ||
                       rejection->Style == kStyleInformation);
        return 0;
    }

    // Accepted: both units are known and both values lie within their bounds.
    const MetricEntry& entry = std::get<MetricEntry>(outcome);
    BMI_FUZZ_CHECK(heightUnit == "inches" || heightUnit == "centimeters");
    BMI_FUZZ_CHECK(weightUnit == "pounds" || weightUnit == "kilograms");
    BMI_FUZZ_CHECK(entry.HeightM >= 0.9f && entry.HeightM <= 2.75f);
    BMI_FUZZ_CHECK(entry.WeightKg >= 9.09f && entry.WeightKg <= 400.0f);

    const BMIResult result = ComputeBMI(entry);
    BMI_FUZZ_CHECK(result.RoundedBMI >= 1.0f && result.RoundedBMI <= 494.0f);
    BMI_FUZZ_CHECK(result.SliderValue >= 1 && result.SliderValue <= 494);
    BMI_FUZZ_CHECK(result.Band >= 0 && result.Band < kBandCount);
    BMI_FUZZ_CHECK(isPlainDecimal(result.DisplayText));

    // The label shows exactly the rounded value.
    float shown = -1.0f;
    const std::string& text = result.DisplayText;
    std::from_chars(text.data(), text.data() + text.size(), shown);
    BMI_FUZZ_CHECK(shown == result.RoundedBMI);
    return 0;
}
