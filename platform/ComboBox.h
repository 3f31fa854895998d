#pragma once

#include <QComboBox>

namespace bmi {

// Drop-down list with an edit field. Click is raised for every choice the user makes,
// even of the entry already chosen, and for every selection made through selectEntry.
// Its drop-down button is slimmer than the style's own, so that the longest entry of
// a list as narrow as the design's shows whole in the edit field.
class ComboBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Text READ Text)

public:
    explicit ComboBox(QWidget* parent = nullptr);
    QString Text() const { return currentText(); }
    void selectEntry(int index);
    // Characters typed into the opened list are swallowed instead of picking an entry.
    void setTypingPicksNothing(bool on) { m_typingPicksNothing = on; }
    void showPopup() override;

signals:
    void Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_typingPicksNothing = false;
    bool m_entriesFiltered = false;
};

// The style the windows are drawn in: `base` with the lists' slim drop-down button.
QStyle* designStyle(QStyle* base);

} // namespace bmi
