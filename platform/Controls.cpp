#include "platform/Controls.h"

#include "platform/Twips.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QShortcutEvent>
#include <QStyleOptionComboBox>
#include <QStyleOptionSlider>

#include <cmath>

namespace bmi {

// ---- Label ----------------------------------------------------------------------

Label::Label(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setMargin(0);
    setIndent(0);
}

void Label::setLeft(double v) {
    m_left = v;
    applyGeometry();
}
void Label::setTop(double v) {
    m_top = v;
    applyGeometry();
}
void Label::setWidth(double v) {
    m_width = v;
    applyGeometry();
}
void Label::setHeight(double v) {
    m_height = v;
    applyGeometry();
}
void Label::setTwips(double left, double top, double width, double height) {
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    applyGeometry();
}

void Label::applyGeometry() {
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
    applyGeometry();
}

void Label::setBackColor(const QColor& color) {
    m_backColor = color;
    setAutoFillBackground(color.isValid());
    if (color.isValid()) {
        // The text stays legible on whatever colour the label takes.
        QPalette pal = palette();
        pal.setColor(QPalette::Window, color);
        if (pal.color(QPalette::WindowText) != textColourOn(color))
            pal.setColor(QPalette::WindowText, textColourOn(color));
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

// ---- ComboBox -------------------------------------------------------------------

namespace {

// The windows' style over the desktop's: the lists' drop-down button is kArrowWidth
// pixels wide and the edit field fills the rest. It is the application's style rather
// than each list's own, since QComboBox builds its drop-down as soon as it gets a style
// or a font of its own, and the drop-down is needed only once the list is opened.
class DesignStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget) const override {
        if (control != CC_ComboBox || (sub != SC_ComboBoxArrow && sub != SC_ComboBoxEditField) ||
            !qobject_cast<const ComboBox*>(widget))
            return QProxyStyle::subControlRect(control, option, sub, widget);
        const QRect r = option->rect;
        const int arrowLeft = r.right() + 1 - kArrowWidth;
        const QRect rect = sub == SC_ComboBoxArrow
                               ? QRect(arrowLeft, r.top(), kArrowWidth, r.height())
                               : QRect(r.left() + kFrame, r.top() + kFrame,
                                       arrowLeft - r.left() - kFrame, r.height() - 2 * kFrame);
        return visualRect(option->direction, r, rect);
    }

private:
    static constexpr int kArrowWidth = 13;
    static constexpr int kFrame = 2;
};

// A completer that completes nothing, lent to each list's edit field while it is made; see
// the ComboBox constructor. One serves them all: a field lets go of it again (without
// deleting it) when the list's completer is cleared.
QCompleter* standInCompleter() {
    static QPointer<QCompleter> completer;
    if (!completer)
        completer = new QCompleter(qApp);
    return completer;
}

} // namespace

QStyle* designStyle(QStyle* base) {
    return new DesignStyle(base);
}

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent) {
    // Same as setEditable(true), which would build the drop-down at once. The lists
    // complete nothing. An edit field that already has a completer spares
    // setLineEdit building its default one over the list's model; setCompleter(nullptr)
    // then takes the shared stand-in back off the field.
    auto* edit = new QLineEdit(this);
    edit->setCompleter(standInCompleter());
    setLineEdit(edit);
    setCompleter(nullptr);
    setInsertPolicy(QComboBox::NoInsert);
    setDuplicatesEnabled(true);
    lineEdit()->setAcceptDrops(false);
    connect(this, &QComboBox::activated, this, &ComboBox::Click);
}

void ComboBox::showPopup() {
    QAbstractItemView* entries = view();
    if (m_typingPicksNothing && !m_entriesFiltered) {
        entries->installEventFilter(this);
        m_entriesFiltered = true;
    }
    // Opened, a list shows every entry whole, wider than the list itself if need be;
    // the style would otherwise shorten "centimeters" with an ellipsis.
    entries->setTextElideMode(Qt::ElideNone);
    entries->setMinimumWidth(entries->sizeHintForColumn(0) + 2 * entries->frameWidth());
    QComboBox::showPopup();
}

bool ComboBox::eventFilter(QObject* watched, QEvent* event) {
    // The opened list keeps its arrows, pages, Home, End, Enter and Escape; its keyboard
    // search would pick an entry by the letter typed.
    if (m_entriesFiltered && watched == view()) {
        if (event->type() == QEvent::InputMethod)
            return true;
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (!text.isEmpty() && text.at(0).isPrint())
                return true;
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void ComboBox::selectEntry(int index) {
    setCurrentIndex(index);
    // An editable list keeps a text the user typed over the same entry; selecting
    // writes the entry's text back, as choosing it would.
    if (index >= 0 && index < count())
        setEditText(itemText(index));
    emit Click();
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
    QLabel::paintEvent(event);
    if (m_borderStyle == 1) {
        QPainter p(this);
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

// ---- Slider ---------------------------------------------------------------------

Slider::Slider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    // The user's own moves (keyboard, dragging) are the new value.
    connect(this, &QAbstractSlider::valueChanged, this, [this](int v) {
        if (!m_settingValue)
            m_value = v;
    });
}

void Slider::setValueUnclamped(int value) {
    m_value = value;
    m_settingValue = true;
    setValue(value); // QSlider clamps: the thumb goes to the nearer end
    m_settingValue = false;
}

void Slider::initStyleOption(QStyleOptionSlider* option) const {
    QSlider::initStyleOption(option);
    // Drawing, hit tests and dragging all place the thumb within this narrower rectangle.
    const double half = style()->pixelMetric(QStyle::PM_SliderLength, option, this) / 2.0;
    const int left = static_cast<int>(std::lround(kThumbInsetLeft / kTwipsPerPixel - half));
    const int right = static_cast<int>(std::lround(kThumbInsetRight / kTwipsPerPixel - half));
    if (left >= 0 && right >= 0 && option->rect.width() > left + right + 2 * half)
        option->rect.adjust(left, 0, -right, 0);
}

void Slider::setTwips(double left, double top, double width, double height) {
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    setGeometry(twipsRect(left, top, width, height));
}

void Slider::mousePressEvent(QMouseEvent* event) {
    QSlider::mousePressEvent(event);
    // Every button's release must come back here, not only the one QSlider uses.
    event->accept();
}

void Slider::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    emit MouseUp(event->button());
}

} // namespace bmi
