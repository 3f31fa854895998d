#include "search/SearchIndex.h"

#include <QSet>

#include <algorithm>
#include <array>
#include <deque>
#include <string_view>
#include <utility>

namespace bmi::help {

namespace {

// Help pages are small; a file with more topics than this is not indexed further.
constexpr qsizetype kMaxTopics = 5000;
// Nor more text than this in all, whatever the topics hold.
constexpr qsizetype kMaxTotalText = 16 * 1024 * 1024;
// Of each topic, about what the view shows of it; the rest is not searched.
constexpr qsizetype kMaxTopicText = 512 * 1024;
constexpr qsizetype kMaxEntityLength = 32;

// Entities beyond the accented letters, which are composed below.
constexpr std::array<std::pair<std::string_view, char32_t>, 40> kEntities{{
    {"AElig", 0xC6},   {"aelig", 0xE6},    {"amp", '&'},      {"apos", '\''},    {"bull", 0x2022},
    {"cent", 0xA2},    {"copy", 0xA9},     {"deg", 0xB0},     {"divide", 0xF7},  {"ETH", 0xD0},
    {"eth", 0xF0},     {"euro", 0x20AC},   {"frac12", 0xBD},  {"frac14", 0xBC},  {"frac34", 0xBE},
    {"gt", '>'},       {"hellip", 0x2026}, {"laquo", 0xAB},   {"ldquo", 0x201C}, {"lsquo", 0x2018},
    {"lt", '<'},       {"mdash", 0x2014},  {"micro", 0xB5},   {"middot", 0xB7},  {"nbsp", 0xA0},
    {"ndash", 0x2013}, {"Oslash", 0xD8},   {"oslash", 0xF8},  {"plusmn", 0xB1},  {"pound", 0xA3},
    {"quot", '"'},     {"raquo", 0xBB},    {"rdquo", 0x201D}, {"reg", 0xAE},     {"rsquo", 0x2019},
    {"szlig", 0xDF},   {"THORN", 0xDE},    {"thorn", 0xFE},   {"times", 0xD7},   {"trade", 0x2122},
}};

// "eacute" is e with a combining acute accent, and so on.
constexpr std::array<std::pair<std::string_view, char16_t>, 7> kAccents{{
    {"acute", 0x301},
    {"grave", 0x300},
    {"circ", 0x302},
    {"uml", 0x308},
    {"tilde", 0x303},
    {"ring", 0x30A},
    {"cedil", 0x327},
}};

// Tags that do not break a word: "un<b>der</b>line" is one word.
bool isInlineTag(QStringView name) {
    static const QSet<QString> kInline{
        QStringLiteral("a"),      QStringLiteral("abbr"),   QStringLiteral("acronym"),
        QStringLiteral("b"),      QStringLiteral("big"),    QStringLiteral("cite"),
        QStringLiteral("code"),   QStringLiteral("em"),     QStringLiteral("font"),
        QStringLiteral("i"),      QStringLiteral("kbd"),    QStringLiteral("q"),
        QStringLiteral("s"),      QStringLiteral("small"),  QStringLiteral("span"),
        QStringLiteral("strike"), QStringLiteral("strong"), QStringLiteral("sub"),
        QStringLiteral("sup"),    QStringLiteral("tt"),     QStringLiteral("u"),
        QStringLiteral("var")};
    return kInline.contains(name.toString());
}

void appendCodePoint(QString& out, char32_t code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    out += QString::fromUcs4(&code, 1);
}

int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int value = -1;
    if (u >= u'0' && u <= u'9')
        value = u - u'0';
    else if (u >= u'a' && u <= u'f')
        value = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        value = u - u'A' + 10;
    return value < base ? value : -1;
}

// The text of an entity's name (between '&' and ';'), or nothing when it is unknown.
std::optional<QString> decodeEntity(QStringView name) {
    if (name.startsWith(u'#')) {
        const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
        const QStringView digits = name.mid(hex ? 2 : 1);
        if (digits.isEmpty())
            return std::nullopt;
        char32_t code = 0;
        const int base = hex ? 16 : 10;
        for (const QChar c : digits) {
            const int digit = digitValue(c, base);
            if (digit < 0)
                return std::nullopt;
            code = std::min<char32_t>(code * base + static_cast<char32_t>(digit), 0x110000);
        }
        QString out;
        appendCodePoint(out, code);
        return out;
    }
    const QByteArray latin = name.toLatin1();
    const std::string_view key(latin.constData(), static_cast<std::size_t>(latin.size()));
    for (const auto& [entity, code] : kEntities)
        if (entity == key) {
            QString out;
            appendCodePoint(out, code);
            return out;
        }
    if (key.size() >= 2 && ((key[0] >= 'a' && key[0] <= 'z') || (key[0] >= 'A' && key[0] <= 'Z')))
        for (const auto& [suffix, mark] : kAccents)
            if (key.substr(1) == suffix)
                return (QString(QLatin1Char(key[0])) + QChar(mark))
                    .normalized(QString::NormalizationForm_C);
    return std::nullopt;
}

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'-' || c == u'_' || c == u':';
}

// The position just past the tag that opens at `from` ('<'), quotes respected.
qsizetype tagEnd(QStringView html, qsizetype from) {
    QChar quote;
    for (qsizetype i = from + 1; i < html.size(); ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i + 1;
        }
    }
    return html.size();
}

// The value of attribute `name` inside a tag's text, entities left as written.
QString attribute(QStringView tag, QStringView name) {
    qsizetype i = 0;
    while (i < tag.size()) {
        while (i < tag.size() && !isNameChar(tag[i]))
            ++i;
        const qsizetype start = i;
        while (i < tag.size() && isNameChar(tag[i]))
            ++i;
        const QStringView attr = tag.mid(start, i - start);
        while (i < tag.size() && tag[i].isSpace())
            ++i;
        if (i >= tag.size() || tag[i] != u'=')
            continue;
        ++i;
        while (i < tag.size() && tag[i].isSpace())
            ++i;
        qsizetype valueStart = i;
        qsizetype valueEnd = i;
        if (i < tag.size() && (tag[i] == u'"' || tag[i] == u'\'')) {
            const QChar quote = tag[i];
            valueStart = ++i;
            while (i < tag.size() && tag[i] != quote)
                ++i;
            valueEnd = i++;
        } else {
            while (i < tag.size() && !tag[i].isSpace() && tag[i] != u'>')
                ++i;
            valueEnd = i;
        }
        if (attr.compare(name, Qt::CaseInsensitive) == 0)
            return tag.mid(valueStart, valueEnd - valueStart).toString();
    }
    return {};
}

// Text with its entities decoded; an unknown entity stays as written.
void appendDecoded(QString& out, QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            out += text[i];
            continue;
        }
        const qsizetype limit = std::min(text.size(), i + 2 + kMaxEntityLength);
        qsizetype end = i + 1;
        while (end < limit && text[end] != u';' &&
               (text[end].isLetterOrNumber() || text[end] == u'#'))
            ++end;
        if (end < text.size() && text[end] == u';') {
            if (const auto decoded = decodeEntity(text.mid(i + 1, end - i - 1))) {
                out += *decoded;
                i = end;
                continue;
            }
        }
        out += text[i];
    }
}

bool joinsWord(QStringView text, qsizetype i) {
    const QChar c = text[i];
    if (c.isLetterOrNumber() || c.isMark() || c.isSurrogate())
        return true;
    if (i == 0 || i + 1 >= text.size())
        return false;
    const QChar before = text[i - 1];
    const QChar after = text[i + 1];
    // 0.0254 and 1,000 are one word each, and so are "don't" and "don’t".
    if ((c == u'.' || c == u',') && before.isDigit() && after.isDigit())
        return true;
    return (c == u'\'' || c == QChar(0x2019)) && before.isLetter() && after.isLetter();
}

QUrl topicKey(const QUrl& url) {
    // Names inside a help file are found regardless of case.
    QUrl key = url.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery);
    key.setPath(key.path().toLower());
    return key;
}

bool isPage(const QUrl& url) {
    const QString path = url.path();
    return path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

} // namespace

PageText extractPageText(QStringView html) {
    PageText page;
    qsizetype i = 0;
    qsizetype textFrom = 0;
    auto flushText = [&](qsizetype to) {
        appendDecoded(page.text, html.mid(textFrom, to - textFrom));
    };
    while (i < html.size()) {
        if (html[i] != u'<') {
            ++i;
            continue;
        }
        if (html.mid(i).startsWith(u"<!--")) {
            flushText(i);
            const qsizetype close = html.indexOf(u"-->", i + 4);
            i = close < 0 ? html.size() : close + 3;
            textFrom = i;
            continue;
        }
        const bool closing = i + 1 < html.size() && html[i + 1] == u'/';
        const qsizetype nameStart = i + (closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        while (nameEnd < html.size() && isNameChar(html[nameEnd]))
            ++nameEnd;
        const bool declaration =
            nameStart < html.size() && (html[nameStart] == u'!' || html[nameStart] == u'?');
        if (nameEnd == nameStart && !declaration) {
            ++i; // a lone '<' is text
            continue;
        }
        flushText(i);
        const QString name = html.mid(nameStart, nameEnd - nameStart).toString().toLower();
        const qsizetype end = tagEnd(html, i);
        if (!isInlineTag(name))
            page.text += u' ';
        if (!closing && name == u"a") {
            const QString href = attribute(html.mid(nameEnd, end - nameEnd), u"href");
            if (!href.isEmpty()) {
                QString decoded;
                appendDecoded(decoded, href);
                page.links.append(decoded.trimmed());
            }
        }
        i = end;
        // What these hold is not text a reader sees; the title is kept apart.
        if (!closing && (name == u"script" || name == u"style" || name == u"title")) {
            const QString closer = QStringLiteral("</") + name;
            qsizetype close = html.indexOf(closer, i, Qt::CaseInsensitive);
            if (close < 0)
                close = html.size();
            if (name == u"title" && page.title.isEmpty()) {
                appendDecoded(page.title, html.mid(i, close - i));
                page.title = page.title.simplified();
            }
            i = close < html.size() ? tagEnd(html, close) : close;
        }
        textFrom = i;
    }
    flushText(html.size());
    return page;
}

QString foldWord(QStringView word) {
    bool ascii = true;
    for (const QChar c : word)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return word.toString().toLower();
    // Compatibility decomposition also splits ligatures; then the accents go.
    const QString decomposed =
        word.toString().replace(QChar(0x2019), u'\'').normalized(QString::NormalizationForm_KD);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed)
        if (!c.isMark())
            folded += c;
    return folded.toCaseFolded();
}

namespace {

// Calls f(start, length) for each word of text, in order, until f returns false.
template <typename F> void forEachWord(QStringView text, F f) {
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && !(text[i].isLetterOrNumber() || text[i].isSurrogate()))
            ++i;
        const qsizetype start = i;
        while (i < text.size() && joinsWord(text, i))
            ++i;
        if (i > start && i - start <= kMaxWordLength && !f(start, i - start))
            return;
    }
}

} // namespace

std::vector<Word> splitWords(QStringView text) {
    std::vector<Word> words;
    forEachWord(text, [&](qsizetype start, qsizetype length) {
        words.push_back({start, length, foldWord(text.mid(start, length))});
        return true;
    });
    return words;
}

SearchIndex SearchIndex::build(const std::vector<QUrl>& seeds, const Reader& read,
                               const Identifier& identify) {
    SearchIndex index;
    QSet<QUrl> seen;
    QSet<QString> objects;
    std::deque<QUrl> pending;
    QString scheme;
    auto enqueue = [&](const QUrl& url) {
        const QUrl key = topicKey(url);
        if (url.scheme() == scheme && isPage(url) && !seen.contains(key)) {
            seen.insert(key);
            pending.push_back(url.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery));
        }
    };
    for (const QUrl& seed : seeds) {
        if (scheme.isEmpty())
            scheme = seed.scheme();
        enqueue(seed);
    }
    qsizetype totalText = 0;
    while (!pending.empty() && index.topicCount() < kMaxTopics && totalText < kMaxTotalText) {
        const QUrl url = pending.front();
        pending.pop_front();
        if (identify) {
            const QString object = identify(url);
            if (!object.isEmpty() && objects.contains(object))
                continue;
            objects.insert(object);
        }
        const auto text = read(url);
        if (!text)
            continue;
        const QStringView shown = QStringView(*text).left(kMaxTopicText);
        totalText += shown.size();
        const PageText page = extractPageText(shown);
        if (!index.addTopic(url, page))
            break;
        for (const QString& link : page.links)
            enqueue(url.resolved(QUrl(link, QUrl::TolerantMode)));
    }
    return index;
}

bool SearchIndex::addTopic(const QUrl& url, const PageText& page) {
    Topic topic{url, page.title.isEmpty() ? url.path() : page.title, {}};
    const QStringView text = page.text;
    forEachWord(text, [&](qsizetype start, qsizetype length) {
        if (m_words >= kMaxIndexedWords)
            return false;
        int& count = topic.counts[foldWord(text.mid(start, length))];
        m_words += count == 0;
        ++count;
        return true;
    });
    m_topics.push_back(std::move(topic));
    return m_words < kMaxIndexedWords;
}

std::vector<SearchIndex::Result> SearchIndex::find(QStringView query) const {
    QStringList words;
    for (const Word& word : splitWords(query))
        if (!words.contains(word.folded))
            words.append(word.folded);
    std::vector<Result> results;
    if (words.isEmpty())
        return results;
    for (const Topic& topic : m_topics) {
        int hits = 0;
        for (const QString& word : words) {
            const int count = topic.counts.value(word);
            if (count == 0) {
                hits = 0;
                break;
            }
            hits += count;
        }
        if (hits > 0)
            results.push_back({topic.url, topic.title, hits});
    }
    std::stable_sort(results.begin(), results.end(), [](const Result& a, const Result& b) {
        if (a.hits != b.hits)
            return a.hits > b.hits;
        return a.title.compare(b.title, Qt::CaseInsensitive) < 0;
    });
    return results;
}

} // namespace bmi::help
