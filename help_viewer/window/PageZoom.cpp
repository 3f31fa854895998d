#include "window/PageZoom.h"
#include "window/CharFormats.h"

#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QWheelEvent>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace bmi::help {

namespace {

constexpr std::array<qreal, 13> kFactors{0.5,  0.67, 0.75, 0.8, 0.9, 1.0, 1.1,
                                         1.25, 1.5,  1.75, 2.0, 2.5, 3.0};
constexpr int kNormalStep = 5;
// The page's height allowance (kMaxPageHeight) holds up to this scale.
constexpr qreal kMaxScale = kFactors.back();
constexpr int kWheelStep = 120; // one notch of an ordinary wheel
// Where a document notes the factor its sizes were last scaled to. A topic just loaded
// has none and is at its own sizes.
constexpr int kScaledToProperty = QTextFormat::UserProperty + 0x7a;

QSizeF naturalSize(QTextDocument* document, const QString& name) {
    const QVariant resource = document->resource(QTextDocument::ImageResource, QUrl(name));
    QImage image;
    if (resource.typeId() == QMetaType::QImage)
        image = resource.value<QImage>();
    else if (resource.typeId() == QMetaType::QPixmap)
        return resource.value<QPixmap>().deviceIndependentSize();
    else if (resource.typeId() == QMetaType::QByteArray)
        image.loadFromData(resource.toByteArray());
    return image.isNull() ? QSizeF() : image.deviceIndependentSize();
}

QTextImageFormat scaledImage(QTextDocument* document, QTextImageFormat image, qreal ratio) {
    QSizeF size(image.width(), image.height());
    const bool hasWidth = image.hasProperty(QTextFormat::ImageWidth);
    const bool hasHeight = image.hasProperty(QTextFormat::ImageHeight);
    if (!hasWidth || !hasHeight) {
        const QSizeF natural = naturalSize(document, image.name());
        if (natural.isEmpty())
            return image;
        if (hasWidth)
            size.setHeight(natural.height() * size.width() / natural.width());
        else if (hasHeight)
            size.setWidth(natural.width() * size.height() / natural.height());
        else
            size = natural;
    }
    image.setWidth(size.width() * ratio);
    image.setHeight(size.height() * ratio);
    return image;
}

void scaleDocument(QTextDocument* document, qreal ratio) {
    rewriteCharFormats(document, [document, ratio](QTextCharFormat& format) {
        bool changed = false;
        if (format.hasProperty(QTextFormat::FontPointSize)) {
            format.setFontPointSize(format.fontPointSize() * ratio);
            changed = true;
        }
        if (format.hasProperty(QTextFormat::FontPixelSize)) {
            const qreal pixels = format.doubleProperty(QTextFormat::FontPixelSize);
            format.setProperty(QTextFormat::FontPixelSize, pixels * ratio);
            changed = true;
        }
        if (format.isImageFormat()) {
            format = scaledImage(document, format.toImageFormat(), ratio);
            changed = true;
        }
        return changed;
    });
}

} // namespace

PageZoom::PageZoom(QTextBrowser* browser)
    : QObject(browser), m_browser(browser), m_basePointSize(browser->font().pointSizeF()),
      // A desktop font sized in pixels says nothing of points: the help's own sizes stay.
      m_desktopRatio(m_basePointSize > 0 ? m_basePointSize / kTopicPointSize : 1.0),
      m_step(kNormalStep) {
    connect(browser, &QTextBrowser::sourceChanged, this, &PageZoom::apply);
    browser->viewport()->installEventFilter(this);
}

qreal PageZoom::factor() const {
    return kFactors[static_cast<std::size_t>(m_step)];
}

qreal PageZoom::scale() const {
    return std::min(m_desktopRatio * factor(), kMaxScale);
}

void PageZoom::zoomIn() {
    setStep(m_step + 1);
}

void PageZoom::zoomOut() {
    setStep(m_step - 1);
}

void PageZoom::reset() {
    setStep(kNormalStep);
}

void PageZoom::setStep(int step) {
    step = std::clamp(step, 0, static_cast<int>(kFactors.size()) - 1);
    if (step == m_step)
        return;
    m_step = step;
    // Text that names no size of its own follows the widget's font.
    if (m_basePointSize > 0) {
        QFont font = m_browser->font();
        font.setPointSizeF(m_basePointSize * factor());
        m_browser->setFont(font);
    }
    apply();
}

void PageZoom::apply() {
    QTextDocument* document = m_browser->document();
    QTextFrame* root = document->rootFrame();
    QTextFrameFormat rootFormat = root->frameFormat();
    const QVariant scaledTo = rootFormat.property(kScaledToProperty);
    const qreal current = scaledTo.isValid() ? scaledTo.toReal() : 1.0;
    if (std::abs(scale() / current - 1.0) < 1e-9)
        return;
    scaleDocument(document, scale() / current);
    rootFormat.setProperty(kScaledToProperty, scale());
    root->setFrameFormat(rootFormat);
}

bool PageZoom::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            // Fine-grained wheels send small steps; a notch's worth makes one zoom step.
            m_wheelDelta += wheel->angleDelta().y();
            while (m_wheelDelta >= kWheelStep) {
                m_wheelDelta -= kWheelStep;
                zoomIn();
            }
            while (m_wheelDelta <= -kWheelStep) {
                m_wheelDelta += kWheelStep;
                zoomOut();
            }
            return true;
        }
        m_wheelDelta = 0;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace bmi::help
