#include "calc/KeyFilter.h"

namespace bmi::calc {

bool admitsKey(std::u16string_view text, int selStart, int key) {
    if (key == kKeyBackspace)
        return true;
    if (key >= u'0' && key <= u'9') {
        // Once the text ends in the point and one more character, a digit behind the
        // point is refused; only the last two characters and the caret count.
        if (text.size() < 2 || text[text.size() - 2] != u'.')
            return true;
        const auto firstPointPosition = static_cast<long long>(text.find(u'.')) + 1;
        return selStart < firstPointPosition;
    }
    if (key == kKeyPoint)
        return text.find(u'.') == std::u16string_view::npos;
    return false;
}

} // namespace bmi::calc
