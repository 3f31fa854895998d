// Input: a topic's markup, as UTF-8 text.
#include "chm/HtmlScanner.h"
#include "chm/TopicLimits.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace bmi::help;
    const std::string_view html(reinterpret_cast<const char*>(data), size);
    // The scanner that every reader of markup shares loses no byte and makes none up.
    HtmlScanner scanner(html);
    HtmlToken token;
    std::string scanned;
    while (scanner.next(token)) {
        BMI_FUZZ_CHECK(!token.text.empty());
        scanned.append(token.text);
    }
    BMI_FUZZ_CHECK(scanned == html);

    const LimitedTopic first = limitTopic(html);
    BMI_FUZZ_CHECK(first.maxNesting <= kMaxNesting);
    BMI_FUZZ_CHECK(first.maxTableDepth <= kMaxTableDepth);
    // Escaping and requoting at most multiply the markup, plus the two notices.
    BMI_FUZZ_CHECK(first.html.size() <= 6 * size + 256);

    // What is written reads back the same, nested no deeper: the view, reading the same
    // plain form, sees the structure counted here.
    const LimitedTopic second = limitTopic(first.html);
    BMI_FUZZ_CHECK(second.maxNesting <= first.maxNesting + 2);
    BMI_FUZZ_CHECK(second.maxTableDepth <= kMaxTableDepth);
    if (!first.flattened && !first.truncated && first.html.size() <= kMaxTopicBytes)
        BMI_FUZZ_CHECK(second.html == first.html);
    return 0;
}
