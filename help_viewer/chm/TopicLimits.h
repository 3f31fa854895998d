#pragma once
// Keeps a topic's markup within what the text view can lay out quickly and safely.
//
// The view's layout time doubles with every level of table nesting and its layout
// recurses once per level, so a small page of nested tables can freeze it for minutes
// or overflow its stack. Before a topic is shown, its markup is read with a tolerant
// tag scanner and written out again in a plain form the view reads the same way:
// elements nested too deeply lose their tags (their text stays), and once the topic
// has cost as much layout work as a long page, the rest is left out. A short notice
// marks where either happened.
//
// Pure C++ on UTF-8 text, so that it can be fuzzed on its own.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bmi::help {

// Tables inside tables.
inline constexpr int kMaxTableDepth = 12;
// Elements inside elements, of any kind.
inline constexpr int kMaxNesting = 100;
// Markup read at most; anything after it is left out.
inline constexpr std::size_t kMaxTopicBytes = 512u * 1024u;
// Layout work allowed per topic: each tag costs 1 and each text 1 + a unit per 64
// bytes, doubled for every table around it. A page of 12 nested tables just fits.
inline constexpr std::uint64_t kMaxLayoutWork = std::uint64_t{1} << 15;

inline constexpr std::string_view kTooDeepNotice =
    "[Part of this topic is nested too deeply to be shown in full.]";
inline constexpr std::string_view kTooLongNotice =
    "[The rest of this topic is too long to be shown.]";

struct LimitedTopic {
    std::string html;
    bool flattened = false; // tags nested too deeply were dropped
    bool truncated = false; // the end of the topic was left out
    // The deepest nesting of the markup written, as the scanner counts it.
    int maxNesting = 0;
    int maxTableDepth = 0;
};

LimitedTopic limitTopic(std::string_view html);

} // namespace bmi::help
