#pragma once
// The rule that decides which typed characters a measurement box admits.

#include <string_view>

namespace bmi::calc {

inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyPoint = 46;

// text: the box's current text (UTF-16 code units); selStart: where the selection
// starts when text is selected, else the caret position; key: the character code.
// Returns true when the character is admitted.
bool admitsKey(std::u16string_view text, int selStart, int key);

} // namespace bmi::calc
