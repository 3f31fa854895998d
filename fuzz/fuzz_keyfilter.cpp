// Input: 4 bytes caret, 4 bytes key code, then the box text as UTF-16 code units.
#include "calc/KeyFilter.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace bmi::calc;
    if (size < 8)
        return 0;
    std::int32_t caret = 0;
    std::int32_t key = 0;
    std::memcpy(&caret, data, 4);
    std::memcpy(&key, data + 4, 4);
    std::u16string text((size - 8) / 2, u'\0');
    std::memcpy(text.data(), data + 8, text.size() * 2);

    const bool admitted = admitsKey(text, caret, key);
    const bool holdsPoint = text.find(u'.') != std::u16string::npos;
    if (key == kKeyBackspace)
        BMI_FUZZ_CHECK(admitted);
    else if (key == kKeyPoint)
        BMI_FUZZ_CHECK(admitted == !holdsPoint);
    else if (key < '0' || key > '9')
        BMI_FUZZ_CHECK(!admitted);
    else if (!holdsPoint)
        BMI_FUZZ_CHECK(admitted); // without a point nothing limits the digits
    return 0;
}
