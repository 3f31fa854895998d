#include "chm/HtmlScanner.h"
#include "chm/AsciiText.h"

#include <algorithm>

namespace bmi::help {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isNameChar(char c) {
    return isAlpha(c) || (c >= '0' && c <= '9') || c == ':' || c == '_' || c == '.' || c == '-';
}

bool isAttributeName(std::string_view key) {
    if (key.empty())
        return false;
    const char first = key.front();
    if (!isAlpha(first) && first != '_' && first != ':')
        return false;
    return std::all_of(key.begin(), key.end(), isNameChar);
}

} // namespace

const HtmlAttribute* HtmlToken::attribute(std::string_view lowerName) const {
    for (const HtmlAttribute& a : attributes)
        if (a.name == lowerName)
            return &a;
    return nullptr;
}

void HtmlScanner::skipSpaces(std::size_t& p) const {
    while (p < m_in.size() && isSpace(m_in[p]))
        ++p;
}

// Up to and past the next '>', or to the end.
std::size_t HtmlScanner::pastClose(std::size_t p) const {
    const std::size_t close = m_in.find('>', p);
    return close == std::string_view::npos ? m_in.size() : close + 1;
}

// One word of a tag, read the way the view reads it.
std::string_view HtmlScanner::word(std::size_t& p, bool& quoted, bool& single) const {
    const char c = at(p);
    quoted = c == '"' || c == '\'';
    single = c == '\'';
    if (c == '"') {
        const std::size_t start = p + 1;
        const std::size_t end = std::min(m_in.find('"', start), m_in.size());
        p = std::min(end + 1, m_in.size());
        return m_in.substr(start, end - start);
    }
    if (c == '\'') {
        // A quote right after a backslash does not end the value.
        const std::size_t start = p + 1;
        std::size_t q = start;
        while (q < m_in.size()) {
            const char d = m_in[q++];
            if (d == '\'' && m_in[q - 2] != '\\') {
                p = q;
                return m_in.substr(start, q - 1 - start);
            }
        }
        p = m_in.size();
        return m_in.substr(start);
    }
    const std::size_t start = p;
    while (p < m_in.size()) {
        const char d = m_in[p];
        if (d == '>' || (d == '/' && at(p + 1) == '>') || d == '<' || d == '=' || isSpace(d))
            break;
        ++p;
    }
    return m_in.substr(start, p - start);
}

void HtmlScanner::startTag(std::size_t p, HtmlToken& token) {
    const std::size_t nameStart = p;
    while (p < m_in.size() && isNameChar(m_in[p]))
        ++p;
    if (p < m_in.size() && !isSpace(m_in[p]) && m_in[p] != '>' && m_in[p] != '/') {
        // "<a&" and the like open nothing.
        token.kind = HtmlToken::Kind::Text;
        token.text = m_in.substr(m_pos, 1);
        ++m_pos;
        return;
    }
    token.kind = HtmlToken::Kind::StartTag;
    token.name = lowerAscii(m_in.substr(nameStart, p - nameStart));
    if (p < m_in.size() && isSpace(m_in[p])) {
        while (p < m_in.size()) {
            skipSpaces(p);
            if (at(p) == '>' || at(p) == '/' || p >= m_in.size())
                break;
            bool keyQuoted = false;
            bool single = false;
            const std::string_view key = word(p, keyQuoted, single);
            if (key.empty())
                break;
            skipSpaces(p);
            HtmlAttribute attribute;
            if (at(p) == '=') {
                ++p;
                skipSpaces(p);
                bool quoted = false;
                attribute.value = word(p, quoted, attribute.singleQuoted);
                attribute.hasValue = true;
                if (attribute.value.empty())
                    continue; // the view drops empty values
            }
            if (keyQuoted || !isAttributeName(key))
                continue;
            attribute.name = lowerAscii(key);
            token.attributes.push_back(std::move(attribute));
        }
    }
    while (p < m_in.size() && m_in[p] != '>') {
        token.selfClosing = token.selfClosing || m_in[p] == '/';
        ++p;
    }
    const std::size_t end = std::min(p + 1, m_in.size());
    token.text = m_in.substr(m_pos, end - m_pos);
    m_pos = end;
}

bool HtmlScanner::next(HtmlToken& token) {
    if (m_pos >= m_in.size())
        return false;
    token.name.clear();
    token.attributes.clear();
    token.selfClosing = false;
    const std::size_t start = m_pos;
    if (m_in[m_pos] != '<') {
        const std::size_t next = std::min(m_in.find('<', m_pos), m_in.size());
        token.kind = HtmlToken::Kind::Text;
        token.text = m_in.substr(m_pos, next - m_pos);
        m_pos = next;
        return true;
    }
    std::size_t p = m_pos + 1;
    skipSpaces(p);
    const char c = at(p);
    if (c == '!' || c == '?') {
        token.kind = HtmlToken::Kind::Comment;
        if (c == '!' && at(p + 1) == '-' && at(p + 2) == '-') {
            const std::size_t end = m_in.find("-->", p + 3);
            m_pos = end == std::string_view::npos ? m_in.size() : end + 3;
        } else {
            m_pos = pastClose(p);
        }
    } else if (c == '/') {
        ++p;
        const std::size_t nameStart = p;
        while (p < m_in.size() && isNameChar(m_in[p]))
            ++p;
        const bool named =
            p > nameStart && (p == m_in.size() || isSpace(m_in[p]) || m_in[p] == '>');
        token.kind = HtmlToken::Kind::EndTag;
        if (named)
            token.name = lowerAscii(m_in.substr(nameStart, p - nameStart));
        m_pos = pastClose(p);
    } else if (isAlpha(c)) {
        startTag(p, token);
        return true;
    } else {
        token.kind = HtmlToken::Kind::Text;
        m_pos = start + 1;
    }
    token.text = m_in.substr(start, m_pos - start);
    return true;
}

std::string_view HtmlScanner::rawText(std::string_view name) {
    const std::size_t start = m_pos;
    std::size_t p = start;
    while ((p = m_in.find("</", p)) != std::string_view::npos) {
        const std::string_view candidate = m_in.substr(p + 2, name.size());
        if (candidate.size() == name.size() && lowerAscii(candidate) == name)
            break;
        p += 2;
    }
    if (p == std::string_view::npos) {
        m_pos = m_in.size();
        return m_in.substr(start);
    }
    m_pos = pastClose(p);
    return m_in.substr(start, p - start);
}

} // namespace bmi::help
