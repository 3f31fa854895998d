#pragma once
// A tolerant reader of the contents (.hhc) and index (.hhk) files of a help file: HTML
// lists whose items are <OBJECT type="text/sitemap"> elements carrying "Name" and
// "Local" parameters, nested by <UL>.
//
// The text comes from the help file, so it may be anything: unknown tags, missing
// closing tags and stray text are skipped, and sizes are capped.

#include "chm/HtmlEntities.h" // the values' decoder, for those who read more of the file

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace bmi::help {

inline constexpr std::size_t kMaxSiteMapEntries = 10000;
inline constexpr std::size_t kMaxSiteMapDepth = 32;
inline constexpr std::size_t kMaxSiteMapValue = 1024;

struct SiteMapEntry {
    std::string name;  // what the list shows, entities decoded, in UTF-8
    std::string local; // the topic, relative to the help file's root; may be empty
    std::vector<SiteMapEntry> children;
    friend bool operator==(const SiteMapEntry&, const SiteMapEntry&) = default;
};

struct SiteMap {
    std::vector<SiteMapEntry> entries;
    bool truncated = false; // the entry cap was reached
};

SiteMap parseSiteMap(std::string_view html);

} // namespace bmi::help
