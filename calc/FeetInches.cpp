#include "calc/FeetInches.h"

#include "calc/Bmi.h"
#include "calc/DecimalText.h"

#include <charconv>
#include <limits>
#include <optional>
#include <system_error>

namespace bmi::calc {
namespace {

// The mark is one character; in UTF-8 that may be up to four bytes (a typed prime, say).
// A broken sequence at the end counts as one byte.
std::size_t lastCharacterSize(std::string_view text) {
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
std::optional<std::int16_t> readWholeNumber(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    text.remove_suffix(lastCharacterSize(text));

    text = detail::trimSpaces(text);
    if (text.empty())
        return std::nullopt;
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!detail::isPlainDecimal(text))
        return std::nullopt;
    // Too small for a double reads as 0; a whole part too big for one is unusable.
    const std::optional<double> magnitude = detail::readPlainDecimal<double>(text);
    if (!magnitude)
        return std::nullopt;

    const std::int32_t rounded = roundHalfEven(negative ? -*magnitude : *magnitude);
    if (rounded < std::numeric_limits<std::int16_t>::min() ||
        rounded > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

} // namespace

FeetInchesOutcome feetAndInchesToInches(std::string_view feetText, std::string_view inchesText) {
    const std::optional<std::int16_t> feet = readWholeNumber(feetText);
    if (!feet)
        return FeetInchesProblem::FeetUnreadable;
    const std::optional<std::int16_t> inches = readWholeNumber(inchesText);
    if (!inches)
        return FeetInchesProblem::InchesUnreadable;

    // Each step is a 16-bit operation: the product must fit before the inches are added.
    const auto fits = [](std::int32_t v) {
        return v >= std::numeric_limits<std::int16_t>::min() &&
               v <= std::numeric_limits<std::int16_t>::max();
    };
    const std::int32_t product = std::int32_t{*feet} * 12;
    const std::int32_t total = product + std::int32_t{*inches};
    if (!fits(product) || !fits(total))
        return FeetInchesProblem::TotalOutOfRange;
    return static_cast<std::int16_t>(total);
}

} // namespace bmi::calc
