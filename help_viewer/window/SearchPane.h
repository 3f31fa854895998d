#pragma once
// The Search tab: the words to look for, the topics that hold all of them, and the way
// to open one with the words marked in it.

#include "search/SearchIndex.h"

#include <QWidget>

#include <optional>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTextEdit;

namespace bmi::help {

class HelpBrowser;
class HelpFile;

// Marks every word of the view's text that folds to one of `words`, and brings the first
// into sight. Nothing is marked when `words` is empty.
void highlightWords(QTextEdit* view, const QStringList& words);

class SearchPane : public QWidget {
    Q_OBJECT
public:
    SearchPane(const HelpFile& file, HelpBrowser* browser, QWidget* parent = nullptr);

    QLineEdit* wordsField() const { return m_words; }
    QListWidget* resultList() const { return m_results; }
    QPushButton* listButton() const { return m_list; }
    QPushButton* displayButton() const { return m_display; }

    // Fills the list with the topics that hold every word typed.
    void listTopics();
    // Shows the chosen topic with the words marked.
    void displayCurrent();

private:
    void display(QListWidgetItem* item);

    const HelpFile& m_file;
    HelpBrowser* m_browser;
    std::optional<SearchIndex> m_index; // read from the file when first needed
    QStringList m_listedWords;
    QLineEdit* m_words;
    QPushButton* m_list;
    QListWidget* m_results;
    QPushButton* m_display;
};

} // namespace bmi::help
