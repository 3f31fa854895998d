// Which typed characters a measurement box admits.
#include "calc/KeyFilter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace bmi::calc {
namespace {

struct KeyRow {
    const char* Name;
    std::u16string Text;
    int Caret;
    int Key;
    bool Admitted;
};

const KeyRow kKeys[] = {
    {"backspace in empty box", u"", 0, 8, true},
    {"backspace anywhere", u"12.5", 4, 8, true},
    {"point into empty box", u"", 0, '.', true},
    {"digit into empty box", u"", 0, '7', true},
    {"digit after lone point", u".", 1, '5', true},
    {"second point at end", u"12.5", 4, '.', false},
    {"second point at start", u"12.5", 0, '.', false},
    {"second point after lone point", u".", 1, '.', false},
    {"digit after point and one digit", u"12.5", 4, '7', false},
    {"digit between point and digit", u"12.5", 3, '7', false},
    {"digit at start", u"12.5", 0, '7', true},
    {"digit just before point", u"12.5", 2, '7', true},
    {"digit after point and one digit, no whole part", u".5", 2, '0', false},
    {"digit before point, no whole part", u".5", 0, '9', true},
    {"digit after trailing point", u"12.", 3, '3', true},
    {"point into the middle", u"125", 1, '.', true},
    {"two digits behind the point take more", u"1.25", 4, '9', true},
    {"caret far beyond the text", u"1.2", 100, '0', false},
    {"negative caret", u"1.2", -1, '0', true},
    {"caret in front of the point", u"1.2", 1, '0', true},
    {"first point counts, not the last", u"1.2.5", 3, '0', false},
    {"digit 0", u"", 0, '0', true},
    {"digit 9", u"", 0, '9', true},
    {"slash below digits", u"", 0, '/', false},
    {"colon above digits", u"", 0, ':', false},
    {"letter", u"", 0, 'a', false},
    {"space", u"12", 2, ' ', false},
    {"minus", u"", 0, '-', false},
    {"comma", u"12", 2, ',', false},
    {"control character 22", u"12", 2, 22, false},
    {"nul", u"", 0, 0, false},
    {"carriage return", u"12", 2, 13, false},
    {"arabic-indic digit", u"", 0, 0x0667, false},
    {"fullwidth digit", u"", 0, 0xFF17, false},
    {"fullwidth point", u"", 0, 0xFF0E, false},
    {"code beyond 16 bits", u"", 0, 0x10000 + '7', false},
    {"negative code", u"", 0, -1, false},
};

void PrintTo(const KeyRow& row, std::ostream* os) {
    *os << row.Name;
}

class KeyFilterTest : public testing::TestWithParam<KeyRow> {};

TEST_P(KeyFilterTest, AdmitsOnlyWhatAMeasurementHolds) {
    const KeyRow& row = GetParam();
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(admitsKey(row.Text, row.Caret, row.Key), row.Admitted);
}

INSTANTIATE_TEST_SUITE_P(Rows, KeyFilterTest, testing::ValuesIn(kKeys));

} // namespace
} // namespace bmi::calc
