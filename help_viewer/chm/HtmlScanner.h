#pragma once
// The one reader of markup in the help file: topics, and the contents and index lists.
//
// It reads tags the way the text view does (spaces after '<', attribute values quoted
// either way or not at all, a '<' that opens no tag taken as text), so that whatever
// else reads a page sees the structure the view shows. It never fails: the text may be
// anything, and each byte of it is in exactly one token, in order (but for what
// rawText() passes over).
//
// Pure C++ on UTF-8 text (any bytes will do), so that it is fuzzed with its users.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace bmi::help {

struct HtmlAttribute {
    std::string name;       // lower case
    std::string_view value; // as written, without its quotes; entities not decoded
    bool hasValue = false;
    bool singleQuoted = false; // the view takes such a value's '&' as it stands
};

struct HtmlToken {
    enum class Kind {
        Text,     // as written, entities not decoded; a stray '<' is a text of its own
        StartTag, //
        EndTag,   // name empty when none the view accepts follows "</"
        Comment,  // also <!...> declarations and <?...?> instructions
    };
    Kind kind = Kind::Text;
    std::string_view text; // the token as written
    std::string name;      // of a tag, lower case
    // As the view keeps them: only well-formed names, and no empty values.
    std::vector<HtmlAttribute> attributes;
    bool selfClosing = false; // "<br/>"

    // The value of an attribute, or nullptr.
    const HtmlAttribute* attribute(std::string_view lowerName) const;
};

class HtmlScanner {
public:
    explicit HtmlScanner(std::string_view html) : m_in(html) {}

    // The next token; false at the end of the text. The token's string views point into
    // the text.
    bool next(HtmlToken& token);

    // What an element whose content is not markup holds (script, style, title): the text
    // up to its end tag "</name" in any case, or to the end. The scanner goes on after
    // that end tag.
    std::string_view rawText(std::string_view name);

private:
    char at(std::size_t i) const { return i < m_in.size() ? m_in[i] : '\0'; }
    void skipSpaces(std::size_t& p) const;
    std::size_t pastClose(std::size_t p) const;
    std::string_view word(std::size_t& p, bool& quoted, bool& single) const;
    void startTag(std::size_t p, HtmlToken& token);

    std::string_view m_in;
    std::size_t m_pos = 0;
};

} // namespace bmi::help
