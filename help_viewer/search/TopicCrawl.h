#pragma once
// The one way through a help file's topics for whoever visits them all (the search
// index, the viewer's check): the topics it starts from first, then the pages their
// links lead to, breadth first.

#include <QSet>
#include <QString>
#include <QUrl>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace bmi::help {

class TopicCrawl {
public:
    // What a topic's URL names: URLs with the same key are one topic, visited once (an
    // empty key, a name that leads nowhere, once for all such names). Without it, URLs
    // are one topic when they differ only in the case of their path.
    using Identifier = std::function<QString(const QUrl&)>;

    // Only topics of the first seed's scheme are visited: links out of the file are not
    // followed.
    explicit TopicCrawl(const std::vector<QUrl>& seeds, Identifier identify = {});

    // The next topic not visited yet, without fragment and query; nothing once all
    // that were found have come.
    std::optional<QUrl> next();

    // A link found on a topic, resolved against it.
    void follow(const QUrl& url);

    // So many names at most are kept to visit, however many links the topics hold.
    static constexpr qsizetype kMaxNames = 100000;

private:
    QString m_scheme;
    Identifier m_identify;
    std::deque<QUrl> m_pending;
    QSet<QString> m_names;   // every name queued, in lower case
    QSet<QString> m_objects; // what the identifier said of those visited
};

} // namespace bmi::help
