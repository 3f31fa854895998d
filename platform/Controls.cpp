#include "platform/Controls.h"

#include "platform/Design.h"
#include "platform/PictureIcon.h"
#include "platform/ReadingOrder.h"
#include "platform/Twips.h"

#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>

#include <cmath>
#include <utility>

namespace bmi {

// ---- Label ----------------------------------------------------------------------

Label::Label(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setMargin(0);
    setIndent(0);
}

void Label::applyTwips() {
    QRect r = twipsRect(m_left, m_top, m_width, m_height);
    // A label that fits itself to its caption never clips it, even where our font runs
    // a pixel wider than the one the design was measured with.
    if (m_autoSize)
        r.setSize(r.size().expandedTo(sizeHint()));
    setGeometry(r);
}

void Label::setCaption(const QString& caption) {
    setText(caption);
    if (m_autoSize) {
        const QSize hint = sizeHint();
        m_width = hint.width() * kTwipsPerPixel;
        m_height = hint.height() * kTwipsPerPixel;
    }
    applyTwips();
}

void Label::setBackColor(const QColor& color) {
    m_backColor = color;
    setAutoFillBackground(color.isValid());
    if (color.isValid()) {
        // The text stays legible on whatever colour the label takes.
        QPalette pal = palette();
        pal.setColor(QPalette::Window, color);
        setTextLegibleOn(pal, QPalette::WindowText, color);
        setPalette(pal);
    }
    update();
}

void Label::keepAsDesign() {
    m_designCaption = text();
    m_designLeft = m_left;
    m_designTop = m_top;
    m_designWidth = m_width;
    m_designHeight = m_height;
}

Label* Label::copy(const QString& name) const {
    auto* copy = new Label(parentWidget());
    copy->setObjectName(name);
    copy->setFont(font());
    copy->setPalette(palette());
    copy->setAlignment(alignment());
    copy->setFrameStyle(frameStyle());
    copy->setAutoSize(m_autoSize);
    copy->setText(m_designCaption);
    copy->setBackColor(m_backColor);
    copy->setToolTip(toolTip());
    copy->setTwips(m_designLeft, m_designTop, m_designWidth, m_designHeight);
    copy->keepAsDesign();
    copy->hide();
    return copy;
}

// ---- Line -----------------------------------------------------------------------

Line::Line(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void Line::setX1(double v) {
    m_x1 = v;
    applyGeometry();
}
void Line::setY1(double v) {
    m_y1 = v;
    applyGeometry();
}
void Line::setX2(double v) {
    m_x2 = v;
    applyGeometry();
}
void Line::setY2(double v) {
    m_y2 = v;
    applyGeometry();
}
void Line::setPoints(double x1, double y1, double x2, double y2) {
    m_x1 = x1;
    m_y1 = y1;
    m_x2 = x2;
    m_y2 = y2;
    applyGeometry();
}

QPoint Line::p1() const {
    return {twipsToPixels(m_x1), twipsToPixels(m_y1)};
}
QPoint Line::p2() const {
    return {twipsToPixels(m_x2), twipsToPixels(m_y2)};
}

void Line::applyGeometry() {
    // The widget is just the line's bounding box, one pixel wide at least.
    setGeometry(QRect(p1(), p2()).normalized().adjusted(0, 0, 1, 1));
    update();
}

void Line::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QColor colour = palette().color(QPalette::WindowText);
    const QPoint origin = geometry().topLeft();
    // A level or upright line is filled as the pixels it covers, end points included: at
    // a fractional scale a pen centred on a pixel's edge can land on a device pixel the
    // line's box does not own, and the line would vanish.
    if (p1().x() == p2().x() || p1().y() == p2().y()) {
        p.fillRect(QRect(p1(), p2()).normalized().translated(-origin), colour);
        return;
    }
    p.setPen(QPen(colour, 1));
    p.drawLine(p1() - origin, p2() - origin);
}

void Line::keepAsDesign() {
    m_designX1 = m_x1;
    m_designY1 = m_y1;
    m_designX2 = m_x2;
    m_designY2 = m_y2;
}

Line* Line::copy(const QString& name) const {
    auto* copy = new Line(parentWidget());
    copy->setObjectName(name);
    copy->setPalette(palette());
    copy->setPoints(m_designX1, m_designY1, m_designX2, m_designY2);
    copy->keepAsDesign();
    copy->hide();
    return copy;
}

// ---- Frame ----------------------------------------------------------------------

Frame::Frame(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    readFramesInReadingOrder();
}

void Frame::setCaption(const QString& caption) {
    m_caption = caption;
    update();
}

void Frame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QFontMetrics fm(font());
    // The top edge runs through the middle of the caption line.
    const int top = m_caption.isEmpty() ? 0 : fm.height() / 2;
    const QRect r = rect().adjusted(0, top, -1, -1);
    const QColor shadow(128, 128, 128);
    const QColor light(255, 255, 255);
    p.setPen(shadow);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(light);
    p.drawRect(r.adjusted(1, 1, 0, 0));
    if (!m_caption.isEmpty()) {
        const int x = 8;
        const QRect textRect(x, 0, fm.horizontalAdvance(m_caption), fm.height());
        p.fillRect(textRect, palette().color(QPalette::Window));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, m_caption);
    }
}

// ---- TextBox --------------------------------------------------------------------

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    setAcceptDrops(false);
}

void TextBox::focusOutEvent(QFocusEvent* event) {
    const int start = selectionStart();
    const int length = selectionLength();
    const int caret = cursorPosition();
    QLineEdit::focusOutEvent(event);
    if (start >= 0 && length > 0) {
        // Put the caret back at the end it was on.
        if (caret == start)
            setSelection(start + length, -length);
        else
            setSelection(start, length);
    } else {
        setCursorPosition(caret);
    }
}

// ---- CommandButton --------------------------------------------------------------

CommandButton::CommandButton(QWidget* parent) : QPushButton(parent) {
    // Enter is routed by each window's own default-button rule, not by Qt's.
    setAutoDefault(false);
    setDefault(false);
}

void CommandButton::setPicture(const QString& path) {
    // The icon reads the variant itself, when the style first asks for it at that ratio.
    const QIcon icon = densePictureIcon(path);
    setIcon(icon);
    setIconSize(icon.availableSizes().value(0));
}

bool CommandButton::event(QEvent* event) {
    // An access key clicks at once. Qt's own button would show the press for 100 ms and
    // click only then, so the key's handler (opening Help, say) would lag behind it.
    if (event->type() == QEvent::Shortcut && !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
        if (isEnabled())
            click();
        return true;
    }
    return QPushButton::event(event);
}

// ---- Image ----------------------------------------------------------------------

Image::Image(QWidget* parent) : QLabel(parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    setMargin(0);
}

void Image::setPicture(const QString& path) {
    setPixmap(designPicture(path));
    m_densePicture = densePicturePath(path);
    showDenseIfAsked();
}

// Checked again when painting, since the widget's screen may change after it was made.
void Image::showDenseIfAsked() {
    if (m_densePicture.isEmpty() || devicePixelRatioF() <= 1.0)
        return;
    QPixmap dense = designPicture(std::exchange(m_densePicture, QString()));
    if (dense.isNull())
        return;
    dense.setDevicePixelRatio(2.0);
    setPixmap(dense);
}

void Image::setBorderStyle(int style) {
    if (m_borderStyle == style)
        return;
    m_borderStyle = style;
    update();
}

void Image::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove();
    event->accept();
}

void Image::mousePressEvent(QMouseEvent* event) {
    m_pressed = true;
    event->accept();
}

// The second press of a double-click is no press of its own: the image has no
// double-click handling, so the release that follows clicks nothing.
void Image::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}

void Image::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    if (event->buttons() == Qt::NoButton)
        m_pressed = false;
    emit MouseUp(event->button());
    if (click)
        emit Click();
    event->accept();
}

void Image::paintEvent(QPaintEvent* event) {
    showDenseIfAsked();
    QLabel::paintEvent(event);
    if (m_borderStyle == 1) {
        QPainter p(this);
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

} // namespace bmi
