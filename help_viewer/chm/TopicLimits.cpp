#include "chm/TopicLimits.h"
#include "chm/HtmlScanner.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace bmi::help {

namespace {

// Tags are read as the view reads them (HtmlScanner.h), but the source is never passed
// on: each tag is written again in one plain form, with every stray '<' escaped, so that
// what the view reads is exactly what was counted here.

template <std::size_t N>
bool oneOf(std::string_view name, const std::array<std::string_view, N>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Elements the view never gives children.
bool isVoid(std::string_view name) {
    return oneOf(name, std::array<std::string_view, 4>{"img", "br", "hr", "meta"});
}

// Elements the view lays out inline; a new paragraph closes them and an open paragraph
// around them. Unknown elements are not among them, so they are never closed here.
bool isInline(std::string_view name) {
    return oneOf(name, std::array<std::string_view, 25>{
                           "a",    "address", "b",   "big", "br",  "cite", "code", "dfn",  "em",
                           "font", "html",    "i",   "img", "kbd", "nobr", "s",    "samp", "small",
                           "span", "strong",  "sub", "sup", "tt",  "u",    "var"});
}

// Tags that only mean something inside a table.
bool isTablePart(std::string_view name) {
    return oneOf(name, std::array<std::string_view, 9>{"tr", "td", "th", "thead", "tbody", "tfoot",
                                                       "caption", "col", "colgroup"});
}

// The value in double quotes, meaning what it meant as written.
void appendValue(std::string& out, const HtmlAttribute& attribute) {
    out += "=\"";
    for (const char c : attribute.value) {
        if (c == '"')
            out += "&quot;";
        else if (attribute.singleQuoted && c == '&')
            out += "&amp;"; // single-quoted values keep their '&' as it is
        else
            out += c;
    }
    out += '"';
}

class Limiter {
public:
    explicit Limiter(std::string_view html)
        : m_in(html.substr(0, std::min(html.size(), kMaxTopicBytes))),
          m_tooLong(html.size() > kMaxTopicBytes) {}

    LimitedTopic run() {
        HtmlScanner scanner(m_in);
        HtmlToken token;
        while (!m_stopped && scanner.next(token)) {
            switch (token.kind) {
            case HtmlToken::Kind::Text:
                if (token.text == "<")
                    m_text += "&lt;";
                else
                    m_text.append(token.text);
                break;
            case HtmlToken::Kind::StartTag: {
                std::string attributes;
                for (const HtmlAttribute& attribute : token.attributes) {
                    attributes += ' ';
                    attributes += attribute.name;
                    if (attribute.hasValue)
                        appendValue(attributes, attribute);
                }
                open(token.name, attributes, token.selfClosing);
                break;
            }
            case HtmlToken::Kind::EndTag:
                if (!token.name.empty())
                    endTag(token.name);
                break;
            case HtmlToken::Kind::Comment:
                break; // shows nothing
            }
        }
        if (!m_stopped)
            flushText();
        if (m_stopped || m_tooLong) {
            m_result.truncated = true;
            m_result.html.append(kTooLongNotice);
        }
        return std::move(m_result);
    }

private:
    struct Element {
        std::string name;
    };

    // Where the view puts a new element: the elements it closes first, and the table
    // and row it makes up for a cell or row that has none. Where unsure, closes less
    // than the view does, so that the nesting counted here is never less than the view's.
    struct Placement {
        std::size_t keep;                 // elements that stay open
        std::vector<std::string> implied; // opened before it
    };

    std::optional<std::size_t> nearest(std::initializer_list<std::string_view> names) const {
        for (std::size_t i = m_stack.size(); i-- > 0;)
            for (const std::string_view name : names)
                if (m_stack[i].name == name)
                    return i;
        return std::nullopt;
    }

    Placement place(const std::string& name) const {
        const std::size_t size = m_stack.size();
        if (name == "td" || name == "th") {
            if (const auto row = nearest({"tr"}))
                return {*row + 1, {}};
            return {size, {"table", "tr"}};
        }
        if (name == "tr") {
            if (!nearest({"table"}))
                return {size, {"table"}};
            return {*nearest({"table", "thead", "tbody", "tfoot"}) + 1, {}};
        }
        if (name == "thead" || name == "tbody" || name == "tfoot" || name == "caption") {
            if (const auto table = nearest({"table"}))
                return {*table + 1, {}};
            return {size, {}};
        }
        if (name == "dd" || name == "dt") {
            const auto list = name == "dd" ? nearest({"dt", "dl"}) : nearest({"dl"});
            return {list ? *list + 1 : size, {}};
        }
        if (name == "p") {
            std::size_t i = size;
            while (i > 0 && isInline(m_stack[i - 1].name))
                --i;
            if (i > 0 && m_stack[i - 1].name == "p")
                return {i - 1, {}};
            return {size, {}};
        }
        if (name == "li" && size > 0 && m_stack.back().name == "li")
            return {size - 1, {}};
        return {size, {}};
    }

    int tablesIn(std::size_t count) const {
        return static_cast<int>(std::count_if(m_stack.begin(), m_stack.begin() + count,
                                              [](const Element& e) { return e.name == "table"; }));
    }

    void open(const std::string& name, const std::string& attributes, bool closed) {
        if (m_droppedTables > 0 && isTablePart(name))
            return;  // part of a table that is shown flat
        flushText(); // at the depth it was read at
        std::string tag = '<' + name + attributes + (closed ? " />" : ">");
        if (isVoid(name)) {
            emitTag(tag);
            return;
        }
        const Placement at = place(name);
        const auto impliedTables = std::count(at.implied.begin(), at.implied.end(), "table");
        const int nesting = static_cast<int>(at.keep + at.implied.size()) + 1;
        const int tables =
            tablesIn(at.keep) + static_cast<int>(impliedTables) + (name == "table" ? 1 : 0);
        if (nesting > kMaxNesting || tables > kMaxTableDepth) {
            if (name == "table")
                ++m_droppedTables;
            tooDeep();
            return;
        }
        m_stack.resize(at.keep);
        for (const std::string& implied : at.implied)
            m_stack.push_back({implied});
        m_stack.push_back({name});
        if (emitTag(tag))
            note();
        if (closed)
            m_stack.pop_back();
    }

    void endTag(const std::string& name) {
        if (m_droppedTables > 0 && (name == "table" || isTablePart(name))) {
            if (name == "table")
                --m_droppedTables;
            return;
        }
        flushText();
        const auto open = isVoid(name) ? std::nullopt : nearest({name});
        if (!open)
            return; // closes nothing here, nor in the view
        if (m_stopped)
            return;
        m_stack.resize(*open);
        m_result.html += "</" + name + '>';
    }

    void note() {
        m_result.maxNesting = std::max(m_result.maxNesting, static_cast<int>(m_stack.size()));
        m_result.maxTableDepth = std::max(m_result.maxTableDepth, tablesIn(m_stack.size()));
    }

    void tooDeep() {
        if (m_result.flattened)
            return;
        m_result.flattened = true;
        m_text.append(kTooDeepNotice);
    }

    // Charges layout work for something at the current table depth; false when the
    // topic has had all it may have, and then nothing more is written.
    bool charge(std::uint64_t units) {
        m_work += units << tablesIn(m_stack.size());
        if (m_work > kMaxLayoutWork)
            m_stopped = true;
        return !m_stopped;
    }

    void flushText() {
        if (m_text.empty() || m_stopped)
            return;
        // As written, so that the same markup read again costs the same.
        if (charge(1 + m_text.size() / 64))
            m_result.html += m_text;
        m_text.clear();
    }

    bool emitTag(const std::string& tag) {
        flushText();
        if (m_stopped || !charge(1))
            return false;
        m_result.html += tag;
        return true;
    }

    std::string_view m_in;
    bool m_tooLong;
    std::vector<Element> m_stack;
    int m_droppedTables = 0;
    std::string m_text; // text read but not yet written
    std::uint64_t m_work = 0;
    bool m_stopped = false;
    LimitedTopic m_result;
};

} // namespace

LimitedTopic limitTopic(std::string_view html) {
    return Limiter(html).run();
}

} // namespace bmi::help
