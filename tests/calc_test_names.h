#pragma once
// Short, stable printouts of table rows: ctest names each parameterised case after them.

#include <array>
#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

namespace bmi::calc::test {

// Printable ASCII as is, other bytes as \xHH, long texts cut with their length kept.
inline std::string shown(std::string_view text) {
    if (text.empty())
        return "<empty>";
    constexpr std::size_t kLongest = 40;
    std::string out;
    for (const char c : text.substr(0, kLongest)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out.push_back(c);
        } else {
            std::array<char, 8> hex{};
            std::snprintf(hex.data(), hex.size(), "\\x%02X", byte);
            out += hex.data();
        }
    }
    if (text.size() > kLongest)
        out += "...(" + std::to_string(text.size()) + " chars)";
    return out;
}

// The shortest text that reads back as the same number, so neighbours stay apart.
template <class Number>
requires std::is_arithmetic_v<Number> std::string shown(Number value) {
    std::array<char, 64> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
    return std::string(buffer.data(), end);
}

} // namespace bmi::calc::test
