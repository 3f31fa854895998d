// The calculation core on typical entries and on the worst texts a box can hold.
#include "calc/Bmi.h"
#include "calc/FeetInches.h"
#include "calc/KeyFilter.h"
#include "calc/Measurement.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using namespace bmi::calc;

void Calculate(benchmark::State& state, const std::string& height, const std::string& heightUnit,
               const std::string& weight, const std::string& weightUnit) {
    for (auto _ : state) {
        Validation outcome = ValidateAndConvert(height, heightUnit, weight, weightUnit);
        if (const auto* entry = std::get_if<MetricEntry>(&outcome)) {
            BMIResult result = ComputeBMI(*entry);
            benchmark::DoNotOptimize(result);
        }
        benchmark::DoNotOptimize(outcome);
    }
}

const std::string kForty9s(40, '9');
const std::string kThousand9s(1000, '9');
const std::string kJunk = [] {
    std::string junk;
    for (int i = 0; i < 1000; ++i)
        junk.push_back(static_cast<char>("7. a\t\xC3\xA9-e,"[i % 10]));
    return junk;
}();
const std::string kSpacesThen70 = std::string(1000, ' ') + "70" + std::string(1000, ' ');
const std::string kLongFraction = "70." + std::string(1000, '0');

BENCHMARK_CAPTURE(Calculate, typical_inches_pounds, "70", "inches", "154", "pounds");
BENCHMARK_CAPTURE(Calculate, typical_metric, "170", "centimeters", "70", "kilograms");
BENCHMARK_CAPTURE(Calculate, refused_empty, "", "inches", "", "pounds");
BENCHMARK_CAPTURE(Calculate, refused_range, "200", "inches", "154", "pounds");
BENCHMARK_CAPTURE(Calculate, refused_unit, "70", "feet", "154", "pounds");
BENCHMARK_CAPTURE(Calculate, refused_lone_point, ".", "inches", ".", "pounds");
BENCHMARK_CAPTURE(Calculate, refused_40_digits, kForty9s, "inches", kForty9s, "pounds");
BENCHMARK_CAPTURE(Calculate, refused_1000_digits, kThousand9s, "inches", kThousand9s, "pounds");
BENCHMARK_CAPTURE(Calculate, refused_1000_junk, kJunk, "inches", kJunk, "pounds");
BENCHMARK_CAPTURE(Calculate, accepted_1000_spaces, kSpacesThen70, "inches", kSpacesThen70,
                  "kilograms");
BENCHMARK_CAPTURE(Calculate, accepted_1000_zeros, kLongFraction, "inches", kLongFraction,
                  "kilograms");

void ComputeOnly(benchmark::State& state) {
    const MetricEntry entry{1.778f, 70.0f};
    for (auto _ : state) {
        BMIResult result = ComputeBMI(entry);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(ComputeOnly);

void KeyFilter(benchmark::State& state) {
    const std::u16string text = u"123.5";
    for (auto _ : state) {
        bool admitted = admitsKey(text, 5, '7');
        benchmark::DoNotOptimize(admitted);
    }
}
BENCHMARK(KeyFilter);

void FeetInches(benchmark::State& state) {
    for (auto _ : state) {
        FeetInchesOutcome outcome = feetAndInchesToInches("5'", "11\"");
        benchmark::DoNotOptimize(outcome);
    }
}
BENCHMARK(FeetInches);

} // namespace
