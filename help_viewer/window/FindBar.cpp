#include "window/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>

namespace bmi::help {

namespace {

const QColor kNoMatchColour(0xff, 0xc8, 0xc8);

} // namespace

FindBar::FindBar(QTextBrowser* browser, QWidget* parent)
    : QWidget(parent), m_browser(browser), m_field(new QLineEdit(this)),
      m_previous(new QPushButton(tr("Previous"), this)), m_next(new QPushButton(tr("Next"), this)),
      m_close(new QPushButton(tr("Close"), this)) {
    setObjectName(QStringLiteral("findBar"));
    auto* label = new QLabel(tr("Find:"), this);
    label->setBuddy(m_field);
    m_field->setAccessibleName(tr("Find in topic"));
    m_field->setClearButtonEnabled(true);
    m_previous->setToolTip(tr("Find the previous match (Shift+F3)"));
    m_next->setToolTip(tr("Find the next match (Enter, F3)"));
    m_close->setAccessibleName(tr("Close the find bar"));
    m_close->setToolTip(tr("Close the find bar (Esc)"));
    for (QPushButton* button : {m_previous, m_next, m_close})
        button->setAutoDefault(false);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_close);

    connect(m_field, &QLineEdit::returnPressed, this, &FindBar::findNext);
    // Typing looks again from where the current match begins, so the match grows in place.
    connect(m_field, &QLineEdit::textEdited, this, [this] { find(false, true); });
    connect(m_previous, &QPushButton::clicked, this, &FindBar::findPrevious);
    connect(m_next, &QPushButton::clicked, this, &FindBar::findNext);
    connect(m_close, &QPushButton::clicked, this, &FindBar::dismiss);
}

void FindBar::open() {
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void FindBar::dismiss() {
    hide();
    showFound(true);
    m_browser->setFocus(Qt::OtherFocusReason);
}

bool FindBar::findNext() {
    return find(false, false);
}

bool FindBar::findPrevious() {
    return find(true, false);
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        dismiss();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool FindBar::find(bool backward, bool fromSelectionStart) {
    const QString text = m_field->text();
    if (text.isEmpty()) {
        showFound(true);
        return false;
    }
    const QTextCursor before = m_browser->textCursor();
    if (fromSelectionStart) {
        QTextCursor start = before;
        start.setPosition(before.selectionStart());
        m_browser->setTextCursor(start);
    }
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = m_browser->find(text, flags);
    if (!found) {
        QTextCursor wrapped = before;
        wrapped.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        m_browser->setTextCursor(wrapped);
        found = m_browser->find(text, flags);
    }
    if (!found)
        m_browser->setTextCursor(before);
    showFound(found);
    return found;
}

void FindBar::showFound(bool found) {
    QPalette palette;
    if (!found) {
        // Light pink, so dark text whatever the desktop's text colour is.
        palette.setColor(QPalette::Base, kNoMatchColour);
        palette.setColor(QPalette::Text, Qt::black);
    }
    m_field->setPalette(palette);
    m_field->setAccessibleDescription(found ? QString() : tr("No match"));
}

} // namespace bmi::help
