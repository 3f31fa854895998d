// Checks and conversion of one entry, and the two readings of a measurement text.
#include "calc/Measurement.h"
#include "calc_test_names.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <optional>
#include <ostream>
#include <string>

namespace bmi::calc {
namespace {

const std::string kInchesRange =
    "The height should be between 3 feet(36 inches) and 9 feet (108 inches).\r\n"
    "Please re-enter again.";
const std::string kCentimetersRange =
    "The height should be between 90 and 275 centimeters.\r\nPlease re-enter again.";
const std::string kPoundsRange =
    "The weight should be between 20 and 800 pounds.\r\nPlease re-enter again.";
const std::string kKilogramsRange =
    "The weight should be between 10 and 400 kilograms.\r\nPlease re-enter again.";
const std::string kHeightUnits =
    "The units must be either inches or centimeters.\r\nChoose the units and calculate again.";
const std::string kWeightUnits =
    "The units must be either pounds or kilograms.\r\nChoose the units and calculate again.";

struct RejectionRow {
    const char* Name;
    std::string Height;
    std::string HeightUnit;
    std::string Weight;
    std::string WeightUnit;
    std::string Prompt;
    int Style;
};

const std::string kForty9s(40, '9');

const RejectionRow kRejections[] = {
    // Every refusal the program knows, one row each.
    {"both empty", "", "inches", "", "pounds", "You need to enter the height and weight.", 48},
    {"height empty", "", "inches", "154", "pounds", "You need to enter the height.", 48},
    {"weight empty", "70", "inches", "", "pounds", "You need to enter the weight.", 48},
    {"inches out", "30", "inches", "154", "pounds", kInchesRange, 48},
    {"centimeters out", "300", "centimeters", "70", "kilograms", kCentimetersRange, 48},
    {"height unit", "70", "feet", "154", "pounds", kHeightUnits, 64},
    {"pounds out", "70", "inches", "900", "pounds", kPoundsRange, 48},
    {"kilograms out", "70", "inches", "5", "kilograms", kKilogramsRange, 48},
    {"weight unit", "70", "inches", "154", "stones", kWeightUnits, 64},
    // Only spaces count as empty.
    {"spaces only", "   ", "inches", "  ", "pounds", "You need to enter the height and weight.",
     48},
    {"tab is not empty", "\t", "inches", "154", "pounds", kInchesRange, 48},
    {"empty units checked after empties", "", "", "154", "", "You need to enter the height.", 48},
    // Just outside the bounds.
    {"35.9 in", "35.9", "inches", "154", "pounds", kInchesRange, 48},
    {"108.01 in", "108.01", "inches", "154", "pounds", kInchesRange, 48},
    {"89.9 cm", "89.9", "centimeters", "70", "kilograms", kCentimetersRange, 48},
    {"275.1 cm", "275.1", "centimeters", "70", "kilograms", kCentimetersRange, 48},
    {"19.9 lb", "70", "inches", "19.9", "pounds", kPoundsRange, 48},
    {"800.1 lb", "70", "inches", "800.1", "pounds", kPoundsRange, 48},
    {"9.9 kg", "170", "centimeters", "9.9", "kilograms", kKilogramsRange, 48},
    {"400.5 kg", "170", "centimeters", "400.5", "kilograms", kKilogramsRange, 48},
    // The unit beside the box decides, and the height is reported first.
    {"200 inches", "200", "inches", "154", "pounds", kInchesRange, 48},
    {"70 centimeters", "70", "centimeters", "154", "pounds", kCentimetersRange, 48},
    {"height before weight", "200", "inches", "900", "pounds", kInchesRange, 48},
    {"height range before weight unit", "200", "inches", "154", "", kInchesRange, 48},
    {"unit match is whole and with case", "70", "Inches", "154", "pounds", kHeightUnits, 64},
    {"unit with trailing space", "70", "inches", "154", "pounds ", kWeightUnits, 64},
    {"empty height unit", "70", "", "154", "pounds", kHeightUnits, 64},
    // No full reading: refused as out of range for the unit.
    {"lone point height", ".", "inches", "154", "pounds", kInchesRange, 48},
    {"lone point weight", "70", "inches", ".", "pounds", kPoundsRange, 48},
    {"forty digits height", kForty9s, "centimeters", "70", "kilograms", kCentimetersRange, 48},
    {"forty digits weight", "170", "centimeters", kForty9s, "kilograms", kKilogramsRange, 48},
    {"trailing letters", "70abc", "inches", "154", "pounds", kInchesRange, 48},
    {"exponent", "1e2", "centimeters", "70", "kilograms", kCentimetersRange, 48},
    {"nan", "nan", "inches", "154", "pounds", kInchesRange, 48},
    {"inf", "70", "inches", "inf", "pounds", kPoundsRange, 48},
    {"sign", "70", "inches", "-50", "pounds", kPoundsRange, 48},
    {"plus sign", "+70", "inches", "154", "pounds", kInchesRange, 48},
    {"inner space", "7 0", "inches", "154", "pounds", kInchesRange, 48},
    {"tab inside", "70\t", "inches", "154", "pounds", kInchesRange, 48},
    {"two points", "70.0.0", "inches", "154", "pounds", kInchesRange, 48},
    {"arabic-indic digits", "\xD9\xA7\xD9\xA0", "inches", "154", "pounds", kInchesRange, 48},
    {"nul inside", std::string("70\0", 3), "inches", "154", "pounds", kInchesRange, 48},
    {"no full reading before weight problem", ".", "inches", "900", "pounds", kInchesRange, 48},
    {"unknown height unit hides weight", ".", "metres", ".", "pounds", kHeightUnits, 64},
    {"unknown height unit hides weight unit", "70", "", "154", "", kHeightUnits, 64},
    // A full reading exists but the leading reading, which the range test uses, is past
    // the bound: the range decides, not the rounding to single precision.
    {"108 plus a hair", "108.0000000001", "inches", "154", "pounds", kInchesRange, 48},
    {"tiny value", "0.000000000000000000000000000000000000000000000000001", "inches", "154",
     "pounds", kInchesRange, 48},
};

void PrintTo(const RejectionRow& row, std::ostream* os) {
    *os << row.Name;
}

class RejectionTest : public testing::TestWithParam<RejectionRow> {};

TEST_P(RejectionTest, ShowsTheFixedMessage) {
    const RejectionRow& row = GetParam();
    const Validation outcome =
        ValidateAndConvert(row.Height, row.HeightUnit, row.Weight, row.WeightUnit);
    const auto* rejection = std::get_if<Rejection>(&outcome);
    ASSERT_NE(rejection, nullptr) << "accepted";
    EXPECT_EQ(rejection->Prompt, row.Prompt);
    EXPECT_EQ(rejection->Style, row.Style);
}

INSTANTIATE_TEST_SUITE_P(Rows, RejectionTest, testing::ValuesIn(kRejections));

struct AcceptRow {
    std::string Height;
    std::string HeightUnit;
    std::string Weight;
    std::string WeightUnit;
    float HeightM;
    float WeightKg;
};

// Expected metres and kilograms are the exact results (36 in is 0.9144 m, 20 lb is 100/11
// kg) as the nearest float, worked out by hand rather than by the program's factors.
const AcceptRow kAccepted[] = {
    {"70", "inches", "154", "pounds", 1.778f, 70.0f},
    {"36", "inches", "20", "pounds", 0.9144f, 9.0909090f},
    {"108", "inches", "800", "pounds", 2.7432f, 363.63636f},
    {"90", "centimeters", "10", "kilograms", 0.9f, 10.0f},
    {"275", "centimeters", "400", "kilograms", 2.75f, 400.0f},
    {"170", "centimeters", "76.5", "kilograms", 1.7f, 76.5f},
    {"36.", "inches", "400.", "kilograms", 0.9144f, 400.0f},
    {"108.000", "inches", "0400", "kilograms", 2.7432f, 400.0f},
    {"  70  ", "inches", " 154", "pounds", 1.778f, 70.0f},
    {"100.5", "centimeters", "60.25", "kilograms", 1.005f, 60.25f},
    // Readings beyond what single precision holds round to the nearest float.
    {"70.00000000000000000001", "inches", "154", "pounds", 1.778f, 70.0f},
};

void PrintTo(const AcceptRow& row, std::ostream* os) {
    *os << test::shown(row.Height) << ' ' << row.HeightUnit << ", " << test::shown(row.Weight)
        << ' ' << row.WeightUnit;
}

class AcceptTest : public testing::TestWithParam<AcceptRow> {};

TEST_P(AcceptTest, ConvertsToMetric) {
    const AcceptRow& row = GetParam();
    const Validation outcome =
        ValidateAndConvert(row.Height, row.HeightUnit, row.Weight, row.WeightUnit);
    const auto* entry = std::get_if<MetricEntry>(&outcome);
    ASSERT_NE(entry, nullptr) << std::get<Rejection>(outcome).Prompt;
    EXPECT_EQ(entry->HeightM, row.HeightM);
    EXPECT_EQ(entry->WeightKg, row.WeightKg);
}

INSTANTIATE_TEST_SUITE_P(Rows, AcceptTest, testing::ValuesIn(kAccepted));

struct ReadingRow {
    std::string Text;
    std::optional<float> Full;
    double Leading;
};

const ReadingRow kReadings[] = {
    {"12.", 12.0f, 12.0},
    {".5", 0.5f, 0.5},
    {"070", 70.0f, 70.0},
    {"  70 ", 70.0f, 70.0},
    {"0", 0.0f, 0.0},
    {".", std::nullopt, 0.0},
    {"", std::nullopt, 0.0},
    {"abc", std::nullopt, 0.0},
    {"70abc", std::nullopt, 70.0},
    {"1e2", std::nullopt, 1.0},
    {"-5", std::nullopt, 0.0},
    {"+5", std::nullopt, 0.0},
    {"7 0", std::nullopt, 70.0},
    {"\t7\n0", std::nullopt, 70.0},
    {"1.2.3", std::nullopt, 1.2},
    {"..5", std::nullopt, 0.0},
    {"nan", std::nullopt, 0.0},
    {"inf", std::nullopt, 0.0},
    {"0x10", std::nullopt, 0.0},
    {std::string("5\0"
                 "5",
                 3),
     std::nullopt, 5.0},
    // Single precision: the nearest float, not a double narrowed afterwards.
    {"16777217", 16777216.0f, 16777217.0},
    {"16777217.000000001", 16777218.0f, 16777217.0}, // just above a float tie
    {"0.1", 0.1f, 0.1},
    // Too small for any float reads as 0; too large has no full reading.
    {"0." + std::string(60, '0') + "1", 0.0f, 1e-61},
    {"340282356779733661637539395458142568447", FLT_MAX, 340282356779733661637539395458142568448.0},
    {"340282356779733661637539395458142568448", std::nullopt,
     340282356779733661637539395458142568448.0},
};

void PrintTo(const ReadingRow& row, std::ostream* os) {
    *os << test::shown(row.Text);
}

class ReadingTest : public testing::TestWithParam<ReadingRow> {};

TEST_P(ReadingTest, FullAndLeading) {
    const ReadingRow& row = GetParam();
    EXPECT_EQ(fullReading(row.Text), row.Full);
    EXPECT_EQ(leadingReading(row.Text), row.Leading);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReadingTest, testing::ValuesIn(kReadings));

TEST(LeadingReadingTest, HugeDigitRunsSaturateInsteadOfFailing) {
    EXPECT_TRUE(std::isinf(leadingReading(std::string(100000, '9'))));
    EXPECT_EQ(leadingReading("0." + std::string(100000, '0') + "1"), 0.0);
    EXPECT_EQ(leadingReading(std::string(100000, '0') + "7"), 7.0);
}

} // namespace
} // namespace bmi::calc
