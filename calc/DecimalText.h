#pragma once
// Plain decimal texts, read without the locale: ASCII digits with at most one "." and
// at least one digit. Shared by the measurement readings and the feet-and-inches lists.

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

namespace bmi::calc::detail {

inline bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

inline std::string_view trimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

inline bool isPlainDecimal(std::string_view text) {
    bool seenPoint = false;
    bool seenDigit = false;
    for (char c : text) {
        if (isDigit(c))
            seenDigit = true;
        else if (c == '.' && !seenPoint)
            seenPoint = true;
        else
            return false;
    }
    return seenDigit;
}

// from_chars reports both overflow and underflow as out of range. Digits with a
// non-zero digit in front of the point are at least 1, so only they can overflow.
inline bool hasNonZeroWholePart(std::string_view number) {
    for (char c : number) {
        if (c == '.')
            return false;
        if (c != '0')
            return true;
    }
    return false;
}

// The value of a plain decimal text, rounded once to T; nothing when it overflows T.
// A value too small for T reads as 0.
template <typename T> std::optional<T> readPlainDecimal(std::string_view number) {
    T value{};
    const char* const end = number.data() + number.size();
    const auto [ptr, ec] = std::from_chars(number.data(), end, value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range)
        return hasNonZeroWholePart(number) ? std::nullopt : std::optional<T>(T{});
    if (ec != std::errc{} || ptr != end)
        return std::nullopt;
    return value;
}

} // namespace bmi::calc::detail
