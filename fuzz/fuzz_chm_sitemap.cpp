// Input: the text of a contents (.hhc) or index (.hhk) file.
#include "chm/SiteMap.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

std::size_t checkEntries(const std::vector<bmi::help::SiteMapEntry>& entries, std::size_t depth) {
    using namespace bmi::help;
    BMI_FUZZ_CHECK(depth <= kMaxSiteMapDepth);
    std::size_t count = 0;
    for (const SiteMapEntry& e : entries) {
        BMI_FUZZ_CHECK(!e.name.empty() || !e.local.empty());
        // Decoding only shortens: no reference is longer than its text.
        BMI_FUZZ_CHECK(e.name.size() <= kMaxSiteMapValue && e.local.size() <= kMaxSiteMapValue);
        count += 1 + checkEntries(e.children, depth + 1);
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace bmi::help;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SiteMap map = parseSiteMap(text);
    const std::size_t count = checkEntries(map.entries, 1);
    BMI_FUZZ_CHECK(count <= kMaxSiteMapEntries);
    BMI_FUZZ_CHECK(!map.truncated || count == kMaxSiteMapEntries);
    BMI_FUZZ_CHECK(decodeEntities(text).size() <= text.size());
    return 0;
}
