#pragma once
// Enlarges and shrinks the shown topic, text and pictures alike, for the rest of the
// session. Topics set their own font sizes in points, so the widget's font alone would
// leave most of the text as it was; the document's sizes are scaled instead.
//
// Before any zoom, a topic is drawn at the desktop's text size: the help is written in
// kTopicPointSize, and the sizes it sets are scaled by the browser's point size over that.

#include <QObject>

class QTextBrowser;

namespace bmi::help {

// The size of the help's running text, as its style sheet sets it.
inline constexpr qreal kTopicPointSize = 10;

class PageZoom : public QObject {
    Q_OBJECT
public:
    // Follows the browser from topic to topic; Ctrl and the mouse wheel zoom too.
    explicit PageZoom(QTextBrowser* browser);

    void zoomIn();
    void zoomOut();
    void reset();
    qreal factor() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setStep(int step);
    void apply();
    // What the topic's own sizes are multiplied by: the desktop's size and the zoom.
    qreal scale() const;

    QTextBrowser* m_browser;
    qreal m_basePointSize;
    qreal m_desktopRatio;
    int m_step;
    int m_wheelDelta = 0;
};

} // namespace bmi::help
