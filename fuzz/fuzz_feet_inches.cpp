// Input: the feet text and the inches text, separated by the first '|'.
#include "calc/FeetInches.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

namespace {

using bmi::calc::FeetInchesOutcome;
using bmi::calc::FeetInchesProblem;

bool is(const FeetInchesOutcome& outcome, FeetInchesProblem problem) {
    const auto* found = std::get_if<FeetInchesProblem>(&outcome);
    return found != nullptr && *found == problem;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using bmi::calc::feetAndInchesToInches;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t bar = input.find('|');
    const std::string_view feet = input.substr(0, bar);
    const std::string_view inches =
        bar == std::string_view::npos ? std::string_view{} : input.substr(bar + 1);

    const FeetInchesOutcome outcome = feetAndInchesToInches(feet, inches);

    // Each text against a zero in the other list must agree with the pair.
    const FeetInchesOutcome feetOnly = feetAndInchesToInches(feet, "0\"");
    const FeetInchesOutcome inchesOnly = feetAndInchesToInches("0'", inches);
    BMI_FUZZ_CHECK(!is(inchesOnly, FeetInchesProblem::FeetUnreadable));
    BMI_FUZZ_CHECK(!is(inchesOnly, FeetInchesProblem::TotalOutOfRange));
    BMI_FUZZ_CHECK(!is(feetOnly, FeetInchesProblem::InchesUnreadable));

    if (is(feetOnly, FeetInchesProblem::FeetUnreadable)) {
        BMI_FUZZ_CHECK(is(outcome, FeetInchesProblem::FeetUnreadable));
        return 0;
    }
    if (is(inchesOnly, FeetInchesProblem::InchesUnreadable)) {
        BMI_FUZZ_CHECK(is(outcome, FeetInchesProblem::InchesUnreadable));
        return 0;
    }
    const std::int32_t inchesValue = std::get<std::int16_t>(inchesOnly);
    if (const auto* feetInInches = std::get_if<std::int16_t>(&feetOnly)) {
        const std::int32_t total = *feetInInches + inchesValue;
        if (total >= std::numeric_limits<std::int16_t>::min() &&
            total <= std::numeric_limits<std::int16_t>::max()) {
            const auto* value = std::get_if<std::int16_t>(&outcome);
            BMI_FUZZ_CHECK(value != nullptr && *value == total);
        } else {
            BMI_FUZZ_CHECK(is(outcome, FeetInchesProblem::TotalOutOfRange));
        }
        return 0;
    }
    // The feet alone leave the range: feet * 12 is already out, whatever the inches.
    BMI_FUZZ_CHECK(is(outcome, FeetInchesProblem::TotalOutOfRange));
    return 0;
}
