#pragma once
// Shows the topics of a help file: pages, style sheets and pictures come out of the file
// and nowhere else, web links go to the desktop's browser.

#include <QTextBrowser>
#include <QTextObjectInterface>

namespace bmi::help {

class HelpFile;

// Pictures larger than this, or more than the topic allowance, show as nothing.
inline constexpr qint64 kMaxPicturePixels = 4096 * 4096;
inline constexpr qint64 kMaxTopicPicturePixels = 2 * kMaxPicturePixels;
// Nor is a picture shown taller or wider than this, whatever size the page asks for.
inline constexpr int kMaxPictureSide = 4096;
// Style sheets per topic, counting those they import.
inline constexpr int kMaxStyleSheets = 16;
// Text is shown no larger than this (a large heading is some 30 points).
inline constexpr qreal kMaxFontPoints = 72;
inline constexpr qreal kMaxFontPixels = 96;
// Nor are margins, borders, spacing and line heights larger than this.
inline constexpr qreal kMaxSpacing = 1024;
// What a page may take of height, however narrow the view. The view's layout goes
// round in circles once a line starts 2^23 pixels down; this leaves room for the
// largest zoom (3x) below that. Each character is counted as a line of its own, with
// room for a taller fallback font, so ordinary text is cut after some 80,000 characters.
inline constexpr qreal kMaxPageHeight = 2'000'000;

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

    // The link the keyboard is on, as screen readers are to say it ("<text>, link");
    // empty when it is on none.
    QString linkAtCursor() const;

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;
    // Tab moves from link to link; each is announced as it is reached.
    bool focusNextPrevChild(bool next) override;

private:
    QVariant page(const QUrl& url);
    QVariant picture(const QUrl& url);

    const HelpFile& m_file;
    // What the topic being shown has used of its allowances.
    int m_styleSheets = 0;
    qint64 m_picturePixels = 0;
};

// Lays out and draws a page's pictures from what the page's document holds. The text
// view's own picture handler looks on the disk for a sharper copy of each picture
// ("<name>@2x.png") on a high-density screen, under names the help file chooses; this
// one asks the document for the picture by its name and nothing else.
class PictureObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    using QObject::QObject;
    QSizeF intrinsicSize(QTextDocument* document, int position, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int position,
                    const QTextFormat& format) override;
};

// Keeps a page within what the view can lay out: text no larger than kMaxFontPoints,
// pictures no larger than kMaxPictureSide, spacing no larger than kMaxSpacing, and the
// whole no taller than kMaxPageHeight (what lies beyond is cut off and a notice ends
// the page). Works on the document before it is laid out; true when the page was cut.
bool fitPage(QTextDocument* document);

// A mail link without its query (?subject=, ?attach=...): only the address reaches the
// mail program.
QUrl mailAddressOnly(const QUrl& url);

} // namespace bmi::help
