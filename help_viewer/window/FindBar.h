#pragma once
// The bar under the topic that finds text in it: Enter or F3 finds the next match,
// Shift+F3 the one before, both wrapping round; Escape puts the bar away.

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTextBrowser;

namespace bmi::help {

class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QTextBrowser* browser, QWidget* parent = nullptr);

    QLineEdit* field() const { return m_field; }

    // Shows the bar with the field focused and its text selected, ready to type over.
    void open();
    // Hides the bar and gives the focus back to the topic.
    void dismiss();
    // From the current match; false when the text is nowhere on the page.
    bool findNext();
    bool findPrevious();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool find(bool backward, bool fromSelectionStart);
    void showFound(bool found);

    QTextBrowser* m_browser;
    QLineEdit* m_field;
    QPushButton* m_previous;
    QPushButton* m_next;
    QPushButton* m_close;
};

} // namespace bmi::help
