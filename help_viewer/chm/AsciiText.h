#pragma once

// Case folding for names inside the help file: ASCII only and free of the locale, so a
// name folds the same on every machine and no byte of the file can reach a table lookup.

#include <algorithm>
#include <string>
#include <string_view>

namespace bmi::help {

inline char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = lowerAscii(c);
    return lower;
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

} // namespace bmi::help
