#pragma once
// Full-text search over the topics of a help file. A topic's words are taken as a reader
// sees them (markup stripped, entities decoded) and matched regardless of case and
// accents. No widgets here: the viewer builds the index the first time it is asked.

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

// One word of a text: where it stands, and the form it is matched in.
struct Word {
    qsizetype start = 0;
    qsizetype length = 0;
    QString folded;
};
std::vector<Word> splitWords(QStringView text);

// A word without case and accents ("Élan" and "elan" fold alike).
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

    // Every topic read can reach: the seeds and the pages their links lead to, as long
    // as they share the seeds' scheme (links out of the file are not followed).
    static SearchIndex build(const std::vector<QUrl>& seeds, const Reader& read);

    void addTopic(const QUrl& url, const PageText& page);

    // The topics that hold every word of the query, most hits first. Nothing for a
    // query without words.
    std::vector<Result> find(QStringView query) const;

    qsizetype topicCount() const { return static_cast<qsizetype>(m_topics.size()); }

private:
    struct Topic {
        QUrl url;
        QString title;
        QHash<QString, int> counts;
    };
    std::vector<Topic> m_topics;
};

} // namespace bmi::help
