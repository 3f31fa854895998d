#pragma once
// A help file ready to show: its topics, the window definition to show them in, and its
// contents and index.

#include "chm/ChmFile.h"
#include "chm/ChmSystem.h"
#include "chm/SiteMap.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

namespace bmi::help {

// What the program asks for: "<file>><window>", the window part optional.
struct HelpRequest {
    QString file;
    QString window;
    friend bool operator==(const HelpRequest&, const HelpRequest&) = default;
};
HelpRequest parseRequest(const QString& request);

// Topics are addressed as chm:/path URLs, so that relative links resolve the usual way.
inline const QString kTopicScheme = QStringLiteral("chm");
QUrl topicUrl(const QString& local);
QUrl rootUrl();

// Text from the help file: UTF-8 when it is valid UTF-8, else Latin-1.
QString fromHelpText(std::string_view text);

// The rectangle of a window definition when it is fit to use on these screens: not
// tiny, and with enough of its top edge on one of them to grab it. Too large a window
// is cut to the screen it starts on.
std::optional<QRect> usableGeometry(const WindowRect& rect, const QList<QRect>& screens);

class HelpFile {
public:
    // Nothing when the file cannot be shown; error then holds a sentence for the user.
    static std::unique_ptr<HelpFile> open(const QString& path, const QString& windowName,
                                          QString* error);

    const QString& path() const { return m_path; }
    const QString& caption() const { return m_caption; }
    const QUrl& defaultTopic() const { return m_defaultTopic; }
    const QUrl& homePage() const { return m_homePage; }
    const std::optional<WindowRect>& windowRect() const { return m_rect; }
    const SiteMap& contents() const { return m_contents; }
    const SiteMap& index() const { return m_index; }
    // Where whoever visits every topic starts (see TopicCrawl.h): the default topic, the
    // home page, then each topic of the contents and of the index, in their order.
    std::vector<QUrl> startingTopics() const;

    // The object a chm: URL names (its path; query and fragment ignored).
    std::optional<QByteArray> read(const QUrl& url) const;
    // The same for every name of one object, and for no other object; empty when the
    // URL names nothing in the file. Many names may point at one object: whoever goes
    // through every topic does each object once.
    QString objectKey(const QUrl& url) const;

private:
    explicit HelpFile(std::unique_ptr<ChmFile> file) : m_file(std::move(file)) {}

    std::unique_ptr<ChmFile> m_file;
    QString m_path;
    QString m_caption;
    QUrl m_defaultTopic;
    QUrl m_homePage;
    std::optional<WindowRect> m_rect;
    SiteMap m_contents;
    SiteMap m_index;
};

} // namespace bmi::help
