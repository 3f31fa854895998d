#include "chm/SiteMap.h"

#include "chm/AsciiText.h"
#include "chm/HtmlScanner.h"

#include <algorithm>

namespace bmi::help {

namespace {

// A valid UTF-8 sequence starting at text[i]: its length, or 0.
std::size_t utf8Length(std::string_view text, std::size_t i) {
    const auto byte = [&](std::size_t k) {
        return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u;
    };
    const unsigned lead = byte(i);
    const auto cont = [&](std::size_t k) { return (byte(k) & 0xC0u) == 0x80u; };
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return cont(i + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned second = byte(i + 1);
        const bool ok = (lead == 0xE0 ? second >= 0xA0 : true) &&
                        (lead == 0xED ? second < 0xA0 : true); // no overlongs, no surrogates
        return ok && cont(i + 1) && cont(i + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned second = byte(i + 1);
        const bool ok =
            (lead == 0xF0 ? second >= 0x90 : true) && (lead == 0xF4 ? second < 0x90 : true);
        return ok && cont(i + 1) && cont(i + 2) && cont(i + 3) ? 4 : 0;
    }
    return 0;
}

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8Length(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

// A value as the lists show it: in UTF-8 whatever the file was written in, references
// decoded by the decoder the pages' text goes through, and no longer than the cap.
// Text that is not UTF-8 is Latin-1, the way the viewer reads all the file's text; it
// is read so before references add UTF-8 of their own, or the two would be mixed.
std::string listValue(std::string_view written) {
    if (written.size() > kMaxSiteMapValue) {
        // Cut before a character, not inside one, or UTF-8 would no longer read as such.
        std::size_t end = kMaxSiteMapValue;
        while (end > kMaxSiteMapValue - 3 &&
               (static_cast<unsigned char>(written[end]) & 0xC0u) == 0x80u)
            --end;
        written = written.substr(0, end);
    }
    std::string text;
    if (!isUtf8(written)) {
        for (const char c : written)
            appendUtf8(text, static_cast<unsigned char>(c));
        written = text;
    }
    std::string value = decodeEntities(written);
    if (value.size() > kMaxSiteMapValue) {
        std::size_t end = 0;
        for (;;) {
            const std::size_t next = utf8Length(value, end);
            if (next == 0 || end + next > kMaxSiteMapValue)
                break;
            end += next;
        }
        value.resize(end);
    }
    return value;
}

std::string attribute(const HtmlToken& tag, std::string_view name) {
    const HtmlAttribute* found = tag.attribute(name);
    return found ? listValue(found->value) : std::string();
}

} // namespace

SiteMap parseSiteMap(std::string_view html) {
    SiteMap map;
    // The lists that entries go into, innermost last. They point into the tree; only the
    // innermost one grows while the others are on the stack, so the pointers stay valid.
    std::vector<std::vector<SiteMapEntry>*> lists{&map.entries};
    // For every open <UL>: whether it opened a new level (and so its </UL> closes one).
    std::vector<bool> openLists;
    std::size_t count = 0;
    bool inObject = false;
    SiteMapEntry current;

    HtmlScanner scanner(html);
    HtmlToken tag;
    while (scanner.next(tag)) {
        if (tag.kind != HtmlToken::Kind::StartTag && tag.kind != HtmlToken::Kind::EndTag)
            continue;
        const bool closing = tag.kind == HtmlToken::Kind::EndTag;
        if (tag.name == "ul") {
            if (!closing) {
                // The outermost list holds the top level; an inner one nests under the
                // entry just before it.
                auto* list = lists.back();
                const bool nests = !openLists.empty() && !list->empty() &&
                                   lists.size() < kMaxSiteMapDepth &&
                                   openLists.size() < kMaxSiteMapEntries;
                if (nests)
                    lists.push_back(&list->back().children);
                if (openLists.size() < kMaxSiteMapEntries)
                    openLists.push_back(nests);
            } else if (!openLists.empty()) {
                if (openLists.back())
                    lists.pop_back();
                openLists.pop_back();
            }
        } else if (tag.name == "object") {
            if (!closing) {
                inObject = equalsIgnoringCase(attribute(tag, "type"), "text/sitemap");
                current = SiteMapEntry{};
            } else if (inObject) {
                inObject = false;
                if (current.name.empty() && current.local.empty())
                    continue;
                if (count >= kMaxSiteMapEntries) {
                    map.truncated = true;
                    break;
                }
                ++count;
                lists.back()->push_back(std::move(current));
                current = SiteMapEntry{};
            }
        } else if (tag.name == "param" && inObject && !closing) {
            const std::string name = attribute(tag, "name");
            // An index entry may repeat Name/Local for several topics; the first counts.
            if (equalsIgnoringCase(name, "Name") && current.name.empty())
                current.name = attribute(tag, "value");
            else if (equalsIgnoringCase(name, "Local") && current.local.empty())
                current.local = attribute(tag, "value");
        }
    }
    return map;
}

} // namespace bmi::help
