#include "search/SearchIndex.h"

#include "chm/HtmlEntities.h"
#include "chm/HtmlScanner.h"

#include <algorithm>
#include <array>
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
// Tags that do not break a word: "un<b>der</b>line" is one word. Sorted.
constexpr std::array<std::string_view, 22> kInlineTags{
    "a", "abbr", "acronym", "b",    "big",    "cite",   "code", "em",  "font", "i", "kbd",
    "q", "s",    "small",   "span", "strike", "strong", "sub",  "sup", "tt",   "u", "var"};

bool isInlineTag(std::string_view name) {
    return std::binary_search(kInlineTags.begin(), kInlineTags.end(), name);
}

QString decoded(std::string_view text) {
    const std::string utf8 = decodeEntities(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Runs of blanks made one space, as the view shows a title; a no-break space is no blank.
QString collapsed(const QString& text) {
    QString out;
    out.reserve(text.size());
    bool blank = false;
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f') {
            blank = !out.isEmpty();
            continue;
        }
        if (blank)
            out += u' ';
        blank = false;
        out += c;
    }
    return out;
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

bool isPage(const QUrl& url) {
    const QString path = url.path();
    return path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

} // namespace

PageText extractPageText(QStringView html) {
    PageText page;
    const QByteArray utf8 = html.toUtf8();
    HtmlScanner scanner(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
    HtmlToken token;
    std::string text;
    while (scanner.next(token)) {
        if (token.kind == HtmlToken::Kind::Text) {
            appendDecodedEntities(text, token.text);
            continue;
        }
        if (token.kind == HtmlToken::Kind::Comment)
            continue;
        if (!isInlineTag(token.name))
            text += ' ';
        if (token.kind != HtmlToken::Kind::StartTag)
            continue;
        if (token.name == "a") {
            if (const HtmlAttribute* href = token.attribute("href"))
                page.links.append(decoded(href->value).trimmed());
        }
        // What these hold is not text a reader sees; the title is kept apart.
        if (token.name == "script" || token.name == "style" || token.name == "title") {
            const std::string_view raw = scanner.rawText(token.name);
            if (token.name == "title" && page.title.isEmpty())
                page.title = collapsed(decoded(raw));
        }
    }
    page.text = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return page;
}

namespace {

// "slider's" and "sliders" are forms of "slider". Only the plainest English forms are
// folded, so that what matches stays easy to foresee: a possessive "'s", else an "s"
// after a letter that is not one of "ss", "us" or "is" (class, status, analysis), and
// only in words of four letters or more (gas, bus and its stay as they are). Both the
// text and the query are folded alike, so a word found in error is at most a near one
// ("news" finds "new").
void foldForm(QString& word) {
    const qsizetype n = word.size();
    if (n >= 3 && word.endsWith(u"'s")) {
        word.chop(2);
        return;
    }
    if (n < 4 || word[n - 1] != u's' || !word[n - 2].isLetter())
        return;
    const QChar before = word[n - 2];
    if (before != u's' && before != u'u' && before != u'i')
        word.chop(1);
}

} // namespace

QString foldWord(QStringView word) {
    bool ascii = true;
    for (const QChar c : word)
        ascii = ascii && c.unicode() < 0x80;
    QString folded;
    if (ascii) {
        folded = word.toString().toLower();
    } else {
        // Compatibility decomposition also splits ligatures; then the accents go.
        const QString decomposed =
            word.toString().replace(QChar(0x2019), u'\'').normalized(QString::NormalizationForm_KD);
        folded.reserve(decomposed.size());
        for (const QChar c : decomposed)
            if (!c.isMark())
                folded += c;
        folded = folded.toCaseFolded();
    }
    foldForm(folded);
    return folded;
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
    TopicCrawl crawl(seeds, identify);
    qsizetype totalText = 0;
    while (index.topicCount() < kMaxTopics && totalText < kMaxTotalText) {
        const auto url = crawl.next();
        if (!url)
            break;
        if (!isPage(*url))
            continue;
        const auto text = read(*url);
        if (!text)
            continue;
        const QStringView shown = QStringView(*text).left(kMaxTopicText);
        totalText += shown.size();
        const PageText page = extractPageText(shown);
        if (!index.addTopic(*url, page))
            break;
        for (const QString& link : page.links)
            crawl.follow(url->resolved(QUrl(link, QUrl::TolerantMode)));
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
