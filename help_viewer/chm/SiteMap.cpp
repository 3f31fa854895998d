#include "chm/SiteMap.h"
#include "chm/AsciiText.h"

#include <optional>
#include <utility>

namespace bmi::help {

namespace {

struct Tag {
    bool closing = false;
    std::string name;                                            // lower case
    std::vector<std::pair<std::string, std::string>> attributes; // names lower case
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The code point of a numeric reference body such as "#65" or "#x41"; nothing when it
// is malformed or names no character.
std::optional<char32_t> numericReference(std::string_view body) {
    if (body.size() < 2 || body[0] != '#')
        return std::nullopt;
    std::size_t i = 1;
    unsigned base = 10;
    if (lowerAscii(body[1]) == 'x') {
        base = 16;
        i = 2;
    }
    if (i >= body.size())
        return std::nullopt;
    std::uint32_t value = 0;
    for (; i < body.size(); ++i) {
        const char c = lowerAscii(body[i]);
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > 0x10FFFF)
            return std::nullopt;
    }
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    return static_cast<char32_t>(value);
}

// Reads the tag that starts at html[pos] == '<'. Returns the position after its '>',
// or npos when the text ends inside the tag.
std::size_t readTag(std::string_view html, std::size_t pos, Tag& tag) {
    const std::size_t n = html.size();
    std::size_t i = pos + 1;
    tag = Tag{};
    if (i < n && html[i] == '/') {
        tag.closing = true;
        ++i;
    }
    const std::size_t nameStart = i;
    while (i < n && !isSpace(html[i]) && html[i] != '>' && html[i] != '/')
        ++i;
    tag.name = lowerAscii(html.substr(nameStart, i - nameStart));
    while (i < n) {
        while (i < n && (isSpace(html[i]) || html[i] == '/'))
            ++i;
        if (i >= n)
            break;
        if (html[i] == '>')
            return i + 1;
        const std::size_t attrStart = i;
        while (i < n && !isSpace(html[i]) && html[i] != '=' && html[i] != '>')
            ++i;
        std::string attrName = lowerAscii(html.substr(attrStart, i - attrStart));
        while (i < n && isSpace(html[i]))
            ++i;
        std::string value;
        if (i < n && html[i] == '=') {
            ++i;
            while (i < n && isSpace(html[i]))
                ++i;
            if (i < n && (html[i] == '"' || html[i] == '\'')) {
                const char quote = html[i++];
                const std::size_t end = html.find(quote, i);
                if (end == std::string_view::npos)
                    return std::string_view::npos;
                value = decodeEntities(html.substr(i, std::min(end - i, kMaxSiteMapValue)));
                i = end + 1;
            } else {
                const std::size_t valueStart = i;
                while (i < n && !isSpace(html[i]) && html[i] != '>')
                    ++i;
                value = decodeEntities(
                    html.substr(valueStart, std::min(i - valueStart, kMaxSiteMapValue)));
            }
        }
        if (!attrName.empty())
            tag.attributes.emplace_back(std::move(attrName), std::move(value));
    }
    return std::string_view::npos;
}

const std::string* attribute(const Tag& tag, std::string_view name) {
    for (const auto& [key, value] : tag.attributes)
        if (key == name)
            return &value;
    return nullptr;
}

} // namespace

std::string decodeEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '&') {
            out += text[i++];
            continue;
        }
        const std::size_t semi = text.find(';', i + 1);
        // Entity bodies are short; a far-away ';' belongs to something else.
        if (semi == std::string_view::npos || semi - i > 10) {
            out += text[i++];
            continue;
        }
        const std::string_view body = text.substr(i + 1, semi - i - 1);
        const std::string lowered = lowerAscii(body);
        std::optional<char32_t> cp;
        if (lowered == "amp")
            cp = U'&';
        else if (lowered == "lt")
            cp = U'<';
        else if (lowered == "gt")
            cp = U'>';
        else if (lowered == "quot")
            cp = U'"';
        else if (lowered == "apos")
            cp = U'\'';
        else if (lowered == "nbsp")
            cp = U'\u00A0';
        else
            cp = numericReference(body);
        if (!cp) {
            out += text[i++];
            continue;
        }
        appendUtf8(out, *cp);
        i = semi + 1;
    }
    return out;
}

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

    std::size_t pos = 0;
    while (pos < html.size()) {
        const std::size_t lt = html.find('<', pos);
        if (lt == std::string_view::npos)
            break;
        if (html.substr(lt, 4) == "<!--") {
            const std::size_t end = html.find("-->", lt + 4);
            if (end == std::string_view::npos)
                break;
            pos = end + 3;
            continue;
        }
        Tag tag;
        pos = readTag(html, lt, tag);
        if (pos == std::string_view::npos)
            break;

        if (tag.name == "ul") {
            if (!tag.closing) {
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
            if (!tag.closing) {
                const std::string* type = attribute(tag, "type");
                inObject = type && equalsIgnoringCase(*type, "text/sitemap");
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
        } else if (tag.name == "param" && inObject && !tag.closing) {
            const std::string* name = attribute(tag, "name");
            const std::string* value = attribute(tag, "value");
            if (!name || !value)
                continue;
            // An index entry may repeat Name/Local for several topics; the first counts.
            if (equalsIgnoringCase(*name, "Name") && current.name.empty())
                current.name = *value;
            else if (equalsIgnoringCase(*name, "Local") && current.local.empty())
                current.local = *value;
        }
    }
    return map;
}

} // namespace bmi::help
