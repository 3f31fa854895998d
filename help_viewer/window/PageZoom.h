#pragma once
// Enlarges and shrinks the shown topic, text and pictures alike, for the rest of the
// session. Topics set their own font sizes in points, so the widget's font alone would
// leave most of the text as it was; the document's sizes are scaled instead.

#include <QObject>

class QTextBrowser;

namespace bmi::help {

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

    QTextBrowser* m_browser;
    qreal m_basePointSize;
    int m_step;
    int m_wheelDelta = 0;
};

} // namespace bmi::help
