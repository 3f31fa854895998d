// Feet and inches from the dialog's two lists, turned into inches.
#include "calc/FeetInches.h"
#include "calc_test_names.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace bmi::calc {
namespace {

using Problem = FeetInchesProblem;

struct FeetInchesRow {
    std::string Feet;
    std::string Inches;
    FeetInchesOutcome Outcome;
};

const FeetInchesRow kRows[] = {
    {"5'", "0\"", std::int16_t{60}},
    {"7'", "11\"", std::int16_t{95}},
    {"3'", "0\"", std::int16_t{36}},
    {"3'", "1\"", std::int16_t{37}},
    // Fractions round to the nearest whole number, halves to the even one.
    {"5.5'", "0\"", std::int16_t{72}},
    {"4.5'", "0\"", std::int16_t{48}},
    {"4.51'", "0\"", std::int16_t{60}},
    {"5'", "0.5\"", std::int16_t{60}},
    {"5'", "1.5\"", std::int16_t{62}},
    {"5.'", ".5\"", std::int16_t{60}},
    // The mark is not checked, only dropped; a mark of several bytes is one character.
    {"5x", "0y", std::int16_t{60}},
    {"5\xE2\x80\xB2", "2\xE2\x80\xB3", std::int16_t{62}},
    {"5\xF0\x9F\x98\x80", "0\"", std::int16_t{60}},
    {" 5 '", "  3\"", std::int16_t{63}},
    {"+5'", "-3\"", std::int16_t{57}},
    {"-5'", "0\"", std::int16_t{-60}},
    {"-0'", "0\"", std::int16_t{0}},
    {"005'", "0\"", std::int16_t{60}},
    {"0." + std::string(400, '0') + "1'", "0\"", std::int16_t{0}},
    // Unreadable texts.
    {"5", "0\"", Problem::FeetUnreadable},
    {"", "0\"", Problem::FeetUnreadable},
    {"'", "0\"", Problem::FeetUnreadable},
    {" '", "0\"", Problem::FeetUnreadable},
    {"abc'", "0\"", Problem::FeetUnreadable},
    {".'", "0\"", Problem::FeetUnreadable},
    {"1e9'", "0\"", Problem::FeetUnreadable},
    {"0x5'", "0\"", Problem::FeetUnreadable},
    {"- 5'", "0\"", Problem::FeetUnreadable},
    {"5 5'", "0\"", Problem::FeetUnreadable},
    {"5.5.5'", "0\"", Problem::FeetUnreadable},
    {"\t5'", "0\"", Problem::FeetUnreadable},
    {std::string("5\0'", 3), "0\"", Problem::FeetUnreadable},
    {"5\xE2\x80", "0\"", Problem::FeetUnreadable}, // broken mark: one byte goes
    {"nan'", "0\"", Problem::FeetUnreadable},
    {"5'", "", Problem::InchesUnreadable},
    {"5'", "0", Problem::InchesUnreadable},
    {"5'", "x\"", Problem::InchesUnreadable},
    {"x'", "x\"", Problem::FeetUnreadable}, // feet are judged first
    {"'", "", Problem::FeetUnreadable},
    // Each number must fit 16 bits after rounding.
    {"32767'", "0\"", Problem::TotalOutOfRange},
    {"32768'", "0\"", Problem::FeetUnreadable},
    {"32767.5'", "0\"", Problem::FeetUnreadable},
    {"-32768.5'", "0\"", Problem::TotalOutOfRange},
    {"-32768.6'", "0\"", Problem::FeetUnreadable},
    {std::string(400, '9') + "'", "0\"", Problem::FeetUnreadable},
    {"0'", "32767\"", std::int16_t{32767}},
    {"0'", "32767.5\"", Problem::InchesUnreadable},
    {"0'", "-32768\"", std::int16_t{-32768}},
    // And so must feet * 12, and then the total.
    {"2730'", "7\"", std::int16_t{32767}},
    {"2730'", "8\"", Problem::TotalOutOfRange},
    {"2731'", "-5\"", Problem::TotalOutOfRange},
    {"-2730'", "-8\"", std::int16_t{-32768}},
    {"-2730'", "-9\"", Problem::TotalOutOfRange},
    {"-2731'", "4\"", Problem::TotalOutOfRange},
};

void PrintTo(const FeetInchesRow& row, std::ostream* os) {
    *os << test::shown(row.Feet) << " | " << test::shown(row.Inches);
}

class FeetInchesTest : public testing::TestWithParam<FeetInchesRow> {};

TEST_P(FeetInchesTest, ToInches) {
    const FeetInchesRow& row = GetParam();
    const FeetInchesOutcome outcome = feetAndInchesToInches(row.Feet, row.Inches);
    if (const auto* inches = std::get_if<std::int16_t>(&row.Outcome)) {
        ASSERT_TRUE(std::holds_alternative<std::int16_t>(outcome))
            << "problem " << static_cast<int>(std::get<FeetInchesProblem>(outcome));
        EXPECT_EQ(std::get<std::int16_t>(outcome), *inches);
    } else {
        ASSERT_TRUE(std::holds_alternative<FeetInchesProblem>(outcome))
            << "inches " << std::get<std::int16_t>(outcome);
        EXPECT_EQ(std::get<FeetInchesProblem>(outcome), std::get<FeetInchesProblem>(row.Outcome));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, FeetInchesTest, testing::ValuesIn(kRows));

} // namespace
} // namespace bmi::calc
