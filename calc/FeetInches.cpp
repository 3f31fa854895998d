#include "calc/FeetInches.h"

#include "calc/Bmi.h"

#include <charconv>
#include <limits>
#include <optional>
#include <system_error>

namespace bmi::calc {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The mark is one character; in UTF-8 that may be up to four bytes (a typed prime, say).
// A broken sequence at the end counts as one byte.
std::size_t LastCharacterSize(std::string_view text) {
    const std::size_t size = text.size();
    std::size_t continuation = 0;
    while (continuation < 3 && continuation + 1 < size &&
           (static_cast<unsigned char>(text[size - 1 - continuation]) & 0xC0) == 0x80)
        ++continuation;
    if (continuation == 0)
        return 1;
    const auto lead = static_cast<unsigned char>(text[size - 1 - continuation]);
    std::size_t expected = 0;
    if (lead >= 0xF0 && lead <= 0xF7)
        expected = 4;
    else if (lead >= 0xE0 && lead <= 0xEF)
        expected = 3;
    else if (lead >= 0xC0 && lead <= 0xDF)
        expected = 2;
    return expected == continuation + 1 ? expected : 1;
}

// The text less its mark: optional spaces, an optional sign, digits with an optional
// "." fraction, optional spaces; the value rounded half to even must fit 16 bits.
std::optional<std::int16_t> ReadWholeNumber(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    text.remove_suffix(LastCharacterSize(text));

    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);

    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    bool seenPoint = false;
    bool seenDigit = false;
    for (char c : text) {
        if (IsDigit(c)) {
            seenDigit = true;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit)
        return std::nullopt;

    double magnitude = 0.0;
    const char* const end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, magnitude, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Too small for a double rounds to 0; anything with a whole part is far too big.
        const auto wholeEnd = text.find('.');
        if (text.substr(0, wholeEnd).find_first_not_of('0') != std::string_view::npos)
            return std::nullopt;
        magnitude = 0.0;
    } else if (ec != std::errc{} || ptr != end) {
        return std::nullopt;
    }

    const std::int32_t rounded = RoundHalfEven(negative ? -magnitude : magnitude);
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

} // namespace

FeetInchesOutcome FeetAndInchesToInches(std::string_view feetText, std::string_view inchesText) {
    const std::optional<std::int16_t> feet = ReadWholeNumber(feetText);
    if (!feet)
        return FeetInchesProblem::FeetUnreadable;
    const std::optional<std::int16_t> inches = ReadWholeNumber(inchesText);
    if (!inches)
        return FeetInchesProblem::InchesUnreadable;

    const std::int32_t total = std::int32_t{*feet} * 12 + std::int32_t{*inches};
    if (total < std::numeric_limits<std::int16_t>::min() ||
        total > std::numeric_limits<std::int16_t>::max())
        return FeetInchesProblem::TotalOutOfRange;
    return static_cast<std::int16_t>(total);
}

} // namespace bmi::calc
