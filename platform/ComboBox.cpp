#include "platform/ComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionComboBox>

namespace bmi {

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

} // namespace bmi
