#include "search/TopicCrawl.h"

namespace bmi::help {

namespace {

// Names inside a help file are found regardless of ASCII case, and only of that.
QString nameKey(const QUrl& url) {
    QString path = url.path();
    for (QChar& c : path)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return path;
}

} // namespace

TopicCrawl::TopicCrawl(const std::vector<QUrl>& seeds, Identifier identify)
    : m_identify(std::move(identify)) {
    if (!seeds.empty())
        m_scheme = seeds.front().scheme();
    for (const QUrl& seed : seeds)
        follow(seed);
}

void TopicCrawl::follow(const QUrl& url) {
    if (url.scheme() != m_scheme || m_names.size() >= kMaxNames)
        return;
    const QUrl topic = url.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery);
    const QString key = nameKey(topic);
    if (m_names.contains(key))
        return;
    m_names.insert(key);
    m_pending.push_back(topic);
}

std::optional<QUrl> TopicCrawl::next() {
    while (!m_pending.empty()) {
        const QUrl topic = m_pending.front();
        m_pending.pop_front();
        if (m_identify) {
            const QString object = m_identify(topic);
            if (m_objects.contains(object))
                continue;
            m_objects.insert(object);
        }
        return topic;
    }
    return std::nullopt;
}

} // namespace bmi::help
