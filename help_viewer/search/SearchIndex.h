#pragma once
// Full-text search over the topics of a help file. A topic's words are taken as a reader
// sees them (markup stripped, entities decoded) and matched regardless of case and
// accents. No widgets here: the viewer builds the index the first time it is asked.

#include "search/TopicCrawl.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

#include <functional>
#include <optional>
#include <vector>

namespace bmi::help {

// What a page says, without its markup.
struct PageText {
    QString title;     // of <title>, blanks collapsed
    QString text;      // everything a reader sees, tags and scripts left out
    QStringList links; // the href of every <a>, as written
};
PageText extractPageText(QStringView html);

// Longer runs of letters are not words anyone searches for: they are neither indexed
// nor looked for, and never folded (folding takes time that grows faster than length).
inline constexpr qsizetype kMaxWordLength = 64;
// Words kept in an index, counted once per topic that holds them: some tens of megabytes.
inline constexpr qsizetype kMaxIndexedWords = qsizetype{1} << 19;

// One word of a text: where it stands, and the form it is matched in.
struct Word {
    qsizetype start = 0;
    qsizetype length = 0;
    QString folded;
};
std::vector<Word> splitWords(QStringView text);

// A word without case and accents ("Élan" and "elan" fold alike), and without the
// possessive or plural "s" of English ("slider's" and "sliders" fold to "slider").
QString foldWord(QStringView word);

class SearchIndex {
public:
    struct Result {
        QUrl url;
        QString title;
        int hits = 0;
    };
    // The text of a topic, decoded; nothing when it cannot be read.
    using Reader = std::function<std::optional<QString>(const QUrl&)>;
    using Identifier = TopicCrawl::Identifier;

    // Every page read can reach, found as TopicCrawl finds them. Stops when the index
    // holds kMaxIndexedWords.
    static SearchIndex build(const std::vector<QUrl>& seeds, const Reader& read,
                             const Identifier& identify = {});

    // False once the index is full; the topic then holds only the words that fitted.
    bool addTopic(const QUrl& url, const PageText& page);

    // The topics that hold every word of the query, most hits first. Nothing for a
    // query without words.
    std::vector<Result> find(QStringView query) const;

    qsizetype topicCount() const { return static_cast<qsizetype>(m_topics.size()); }
    qsizetype wordCount() const { return m_words; }

private:
    struct Topic {
        QUrl url;
        QString title;
        QHash<QString, int> counts;
    };
    std::vector<Topic> m_topics;
    qsizetype m_words = 0;
};

} // namespace bmi::help
