#pragma once
// Shows the topics of a help file: pages, style sheets and pictures come out of the file
// and nowhere else, web links go to the desktop's browser.

#include <QTextBrowser>

namespace bmi::help {

class HelpFile;

// Pictures larger than this, or more than the topic allowance, show as nothing.
inline constexpr qint64 kMaxPicturePixels = 4096 * 4096;
inline constexpr qint64 kMaxTopicPicturePixels = 2 * kMaxPicturePixels;
// Style sheets per topic, counting those they import.
inline constexpr int kMaxStyleSheets = 16;

class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(const HelpFile& file, QWidget* parent = nullptr);

    // Every resource a topic names is answered from the help file, never left for the
    // document to fetch: a page (its markup limited, see TopicLimits.h), a style sheet
    // (empty when missing) or a picture (a transparent pixel when missing or unreadable).
    QVariant loadResource(int type, const QUrl& name) override;

    // Where a link on the current page leads.
    QUrl resolved(const QUrl& link) const;

    // Follows a link the way a click does.
    void followLink(const QUrl& link);

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    QVariant page(const QUrl& url);
    QVariant picture(const QUrl& url);

    const HelpFile& m_file;
    // What the topic being shown has used of its allowances.
    int m_styleSheets = 0;
    qint64 m_picturePixels = 0;
};

// A mail link without its query (?subject=, ?attach=...): only the address reaches the
// mail program.
QUrl mailAddressOnly(const QUrl& url);

} // namespace bmi::help
