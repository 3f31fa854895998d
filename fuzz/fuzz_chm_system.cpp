// Input: the #SYSTEM, #WINDOWS and #STRINGS files of a help file, packed as
//   u16 LE length of #SYSTEM, u16 LE length of #WINDOWS, #SYSTEM, #WINDOWS, #STRINGS
// (a length beyond the input takes what is left; #STRINGS takes the rest).
#include "chm/AsciiText.h"
#include "chm/ChmSystem.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

using bmi::help::ByteSpan;

ByteSpan take(ByteSpan& input, std::size_t length) {
    const ByteSpan part = input.first(std::min(length, input.size()));
    input = input.subspan(part.size());
    return part;
}

void checkString(std::string_view text, std::size_t bufferSize) {
    BMI_FUZZ_CHECK(text.size() <= bufferSize);
    BMI_FUZZ_CHECK(text.find('\0') == std::string_view::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace bmi::help;
    ByteSpan input(data, size);
    const ByteSpan header = take(input, 4);
    const std::size_t systemSize = header.size() == 4 ? header[0] | (header[1] << 8) : 0;
    const std::size_t windowsSize = header.size() == 4 ? header[2] | (header[3] << 8) : 0;
    const ByteSpan system = take(input, systemSize);
    const ByteSpan windows = take(input, windowsSize);
    const ByteSpan strings = input;

    const auto info = parseSystem(system);
    BMI_FUZZ_CHECK(info.has_value() == (system.size() >= 4));
    if (info) {
        for (const std::string* s : {&info->contentsFile, &info->indexFile, &info->defaultTopic,
                                     &info->title, &info->defaultWindow, &info->compiledFile})
            checkString(*s, system.size());
    }

    const auto defs = parseWindows(windows, strings);
    BMI_FUZZ_CHECK(defs.size() <= kMaxWindows);
    for (const WindowDef& def : defs) {
        for (const std::string* s : {&def.name, &def.caption, &def.contentsFile, &def.indexFile,
                                     &def.defaultPage, &def.homePage}) {
            checkString(*s, strings.size());
            BMI_FUZZ_CHECK(s->size() <= kMaxStringLength);
        }
        if (def.rect) {
            BMI_FUZZ_CHECK(def.rect->width() > 0 && def.rect->height() > 0);
            BMI_FUZZ_CHECK(def.rect->right > def.rect->left && def.rect->bottom > def.rect->top);
        }
    }

    // A lookup finds the first definition of that name, or none when there is none.
    for (std::string_view name :
         {std::string_view("Main"), info ? std::string_view(info->defaultWindow) : ""}) {
        const auto found = findWindow(windows, strings, name);
        const auto first = std::find_if(defs.begin(), defs.end(), [&](const WindowDef& d) {
            return !name.empty() && equalsIgnoringCase(d.name, name);
        });
        BMI_FUZZ_CHECK(found.has_value() == (first != defs.end()));
        if (found)
            BMI_FUZZ_CHECK(*found == *first);
    }

    // Every offset either names a string inside the table or nothing.
    if (strings.size() >= 4) {
        const std::uint32_t offset = strings[0] | (strings[1] << 8) | (strings[2] << 16) |
                                     (static_cast<std::uint32_t>(strings[3]) << 24);
        if (const auto text = stringAt(strings, offset)) {
            BMI_FUZZ_CHECK(offset < strings.size());
            BMI_FUZZ_CHECK(offset + text->size() < strings.size());
            checkString(*text, strings.size());
        }
    }
    return 0;
}
