// The BMI of an accepted entry: rounding, display text, slider position and band.
#include "calc/Bmi.h"
#include "calc_test_names.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

namespace bmi::calc {
namespace {

struct WorkedRow {
    const char* Height;
    const char* HeightUnit;
    const char* Weight;
    const char* WeightUnit;
    float Rounded;
    const char* Text;
    std::int32_t Slider;
    int Band;
};

const WorkedRow kWorked[] = {
    {"70", "inches", "154", "pounds", 22.1f, "22.1", 22, 1},
    {"170", "centimeters", "70", "kilograms", 24.2f, "24.2", 24, 1},
    {"175", "centimeters", "76.5", "kilograms", 25.0f, "25", 25, 2},
    {"160", "centimeters", "57.5", "kilograms", 22.5f, "22.5", 22, 1},
    {"90", "centimeters", "400", "kilograms", 493.8f, "493.8", 494, 4},
    {"275", "centimeters", "10", "kilograms", 1.3f, "1.3", 1, 0},
    {"108", "inches", "20", "pounds", 1.2f, "1.2", 1, 0},
};

void PrintTo(const WorkedRow& row, std::ostream* os) {
    *os << row.Height << ' ' << row.HeightUnit << ", " << row.Weight << ' ' << row.WeightUnit;
}

class WorkedExampleTest : public testing::TestWithParam<WorkedRow> {};

TEST_P(WorkedExampleTest, FromEntryToDisplay) {
    const WorkedRow& row = GetParam();
    const Validation outcome =
        ValidateAndConvert(row.Height, row.HeightUnit, row.Weight, row.WeightUnit);
    ASSERT_TRUE(std::holds_alternative<MetricEntry>(outcome));
    const BMIResult result = ComputeBMI(std::get<MetricEntry>(outcome));
    EXPECT_EQ(result, (BMIResult{row.Rounded, row.Text, row.Slider, row.Band}));
}

INSTANTIATE_TEST_SUITE_P(Rows, WorkedExampleTest, testing::ValuesIn(kWorked));

// With a height of 1 m the weight is the unrounded BMI.
struct RoundingRow {
    float Unrounded;
    float Rounded;
    const char* Text;
    std::int32_t Slider;
    int Band;
};

const RoundingRow kRounding[] = {
    {19.96f, 20.0f, "20", 20, 1}, // rounds up into the band above
    {19.94f, 19.9f, "19.9", 20, 0},
    {24.98f, 25.0f, "25", 25, 2},
    {23.5f, 23.5f, "23.5", 24, 1}, // slider halves go to the even neighbour
    {22.5f, 22.5f, "22.5", 22, 1},
    {30.0f, 30.0f, "30", 30, 3}, // each threshold belongs to the band above
    {39.9f, 39.9f, "39.9", 40, 3},
    {39.95f, 40.0f, "40", 40, 4},
    {40.0f, 40.0f, "40", 40, 4},
    {20.0f, 20.0f, "20", 20, 1},
    {19.9f, 19.9f, "19.9", 20, 0},
    {29.99f, 30.0f, "30", 30, 3},
    // Exact binary halves round away from zero, not to even.
    {22.25f, 22.3f, "22.3", 22, 1},
    {22.75f, 22.8f, "22.8", 23, 1},
    {1.25f, 1.3f, "1.3", 1, 0},
    // A float that reads as a half counts as one, from either side of it in binary.
    {22.45f, 22.5f, "22.5", 22, 1}, // 22.4500007...
    {0.35f, 0.4f, "0.4", 0, 0},     // 0.3499999940...
    {std::nextafter(22.45f, 0.0f), 22.4f, "22.4", 22, 1},
    {0.04f, 0.0f, "0", 0, 0},
    {0.05f, 0.1f, "0.1", 0, 0},
    {99.95f, 100.0f, "100", 100, 4},
    {493.8272f, 493.8f, "493.8", 494, 4},
};

void PrintTo(const RoundingRow& row, std::ostream* os) {
    *os << test::shown(row.Unrounded);
}

class RoundingTest : public testing::TestWithParam<RoundingRow> {};

TEST_P(RoundingTest, AllOutputsFollowTheRoundedValue) {
    const RoundingRow& row = GetParam();
    const BMIResult result = ComputeBMI(MetricEntry{1.0f, row.Unrounded});
    EXPECT_EQ(result, (BMIResult{row.Rounded, row.Text, row.Slider, row.Band}));
}

INSTANTIATE_TEST_SUITE_P(Rows, RoundingTest, testing::ValuesIn(kRounding));

struct TextRow {
    float Value;
    const char* Text;
};

// Far outside what an accepted entry gives, the text stays plain decimal with at most
// seven significant digits.
const TextRow kTexts[] = {
    {1234567.0f, "1234567"},
    {1234567.8f, "1234568"},
    {123456792.0f, "123456800"},
    {-22.1f, "-22.1"},
    {0.0f, "0"},
};

void PrintTo(const TextRow& row, std::ostream* os) {
    *os << test::shown(row.Value);
}

class DisplayTextTest : public testing::TestWithParam<TextRow> {};

TEST_P(DisplayTextTest, PlainDecimal) {
    const TextRow& row = GetParam();
    EXPECT_EQ(ComputeBMI(MetricEntry{1.0f, row.Value}).DisplayText, row.Text);
}

INSTANTIATE_TEST_SUITE_P(Rows, DisplayTextTest, testing::ValuesIn(kTexts));

struct HalfEvenRow {
    double Value;
    std::int32_t Rounded;
};

const HalfEvenRow kHalfEven[] = {
    {0.5, 0},
    {1.5, 2},
    {2.5, 2},
    {2.4999999999, 2},
    {2.5000000001, 3},
    {-0.5, 0},
    {-1.5, -2},
    {-2.5, -2},
    {-2.6, -3},
    {2147483646.5, 2147483646},
    {2147483647.4, 2147483647},
    {2147483647.5, 2147483647},
    {1e300, 2147483647},
    {-2147483648.5, -2147483648},
    {-1e300, std::numeric_limits<std::int32_t>::min()},
    {std::numeric_limits<double>::infinity(), 2147483647},
    {-std::numeric_limits<double>::infinity(), std::numeric_limits<std::int32_t>::min()},
    {std::numeric_limits<double>::quiet_NaN(), 0},
};

void PrintTo(const HalfEvenRow& row, std::ostream* os) {
    *os << test::shown(row.Value);
}

class RoundHalfEvenTest : public testing::TestWithParam<HalfEvenRow> {};

TEST_P(RoundHalfEvenTest, NearestWithTiesToEven) {
    EXPECT_EQ(roundHalfEven(GetParam().Value), GetParam().Rounded);
}

INSTANTIATE_TEST_SUITE_P(Rows, RoundHalfEvenTest, testing::ValuesIn(kHalfEven));

} // namespace
} // namespace bmi::calc
