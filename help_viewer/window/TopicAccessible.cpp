#include "window/TopicAccessible.h"

#include "window/HelpBrowser.h"

#include <QAccessibleWidget>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace bmi::help {

namespace {

// Offsets are the document's cursor positions: its plain text has one character for each
// (paragraph and frame marks as line breaks, a picture as the object character).
class TopicAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TopicAccessible(HelpBrowser* browser)
        : QAccessibleWidget(browser, QAccessible::Document) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        state.selectableText = true;
        return state;
    }

    // On a link, the description says which: what a reader speaks of an alert.
    QString text(QAccessible::Text which) const override {
        if (which == QAccessible::Description) {
            if (QString link = browser()->linkAtCursor(); !link.isEmpty())
                return link;
        }
        return QAccessibleWidget::text(which);
    }

    QString text(int startOffset, int endOffset) const override {
        const QString all = plainText();
        if (endOffset < 0) // to the end, as assistive tools ask for the whole text
            endOffset = static_cast<int>(all.size());
        startOffset = std::clamp<int>(startOffset, 0, all.size());
        endOffset = std::clamp<int>(endOffset, startOffset, all.size());
        return all.mid(startOffset, endOffset - startOffset);
    }

    int characterCount() const override { return static_cast<int>(plainText().size()); }

    int cursorPosition() const override { return browser()->textCursor().position(); }

    void setCursorPosition(int position) override {
        QTextCursor cursor = browser()->textCursor();
        cursor.setPosition(clamped(position));
        browser()->setTextCursor(cursor);
    }

    int selectionCount() const override { return browser()->textCursor().hasSelection() ? 1 : 0; }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        const QTextCursor cursor = browser()->textCursor();
        const bool has = selectionIndex == 0 && cursor.hasSelection();
        *startOffset = has ? cursor.selectionStart() : 0;
        *endOffset = has ? cursor.selectionEnd() : 0;
    }

    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }

    void removeSelection(int selectionIndex) override {
        if (selectionIndex != 0)
            return;
        QTextCursor cursor = browser()->textCursor();
        cursor.clearSelection();
        browser()->setTextCursor(cursor);
    }

    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex != 0)
            return;
        QTextCursor cursor = browser()->textCursor();
        cursor.setPosition(clamped(startOffset));
        cursor.setPosition(clamped(endOffset), QTextCursor::KeepAnchor);
        browser()->setTextCursor(cursor);
    }

    QRect characterRect(int offset) const override {
        QTextCursor cursor(browser()->document());
        cursor.setPosition(clamped(offset));
        QRect rect = browser()->cursorRect(cursor);
        const QString character = text(offset, offset + 1);
        rect.setWidth(character.isEmpty() ? 1
                                          : browser()->fontMetrics().horizontalAdvance(character));
        return {browser()->viewport()->mapToGlobal(rect.topLeft()), rect.size()};
    }

    int offsetAtPoint(const QPoint& point) const override {
        const QPoint local = browser()->viewport()->mapFromGlobal(point);
        if (!browser()->viewport()->rect().contains(local))
            return -1;
        return browser()->cursorForPosition(local).position();
    }

    void scrollToSubstring(int startIndex, int endIndex) override {
        QTextCursor cursor(browser()->document());
        cursor.setPosition(clamped(endIndex));
        const QRect end = browser()->cursorRect(cursor);
        cursor.setPosition(clamped(startIndex));
        const QRect start = browser()->cursorRect(cursor);
        const QRect shown = browser()->viewport()->rect();
        QScrollBar* bar = browser()->verticalScrollBar();
        if (start.top() < shown.top() || end.bottom() > shown.bottom())
            bar->setValue(bar->value() + start.top() - shown.height() / 4);
    }

    // The topic's own formatting is in what it shows; none is told apart here.
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

private:
    HelpBrowser* browser() const { return static_cast<HelpBrowser*>(widget()); }
    QString plainText() const { return browser()->document()->toPlainText(); }
    int clamped(int offset) const { return std::clamp(offset, 0, characterCount()); }
};

QAccessibleInterface* topicAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String(HelpBrowser::staticMetaObject.className()))
        return nullptr;
    auto* browser = qobject_cast<HelpBrowser*>(object);
    return browser ? new TopicAccessible(browser) : nullptr;
}

} // namespace

void installTopicAccessible() {
    static const bool installed = [] {
        QAccessible::installFactory(&topicAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace bmi::help
