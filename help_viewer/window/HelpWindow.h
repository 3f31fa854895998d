#pragma once
// The help viewer's window: contents, index and search on the left, the topic on the
// right with its find bar below it, and Back, Forward, Home and Print above.

#include <QMainWindow>

class QAction;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace bmi::help {

class FindBar;
class HelpBrowser;
class HelpFile;
class PageZoom;
class SearchPane;

class HelpWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit HelpWindow(const HelpFile& file, QWidget* parent = nullptr);

    HelpBrowser* browser() const { return m_browser; }
    // The lists are filled when first needed (see fillContents); these fill them first.
    QTreeWidget* contentsTree();
    QListWidget* indexList();
    // Narrows the index as one types; Enter opens the first entry left, Down goes into the list.
    QLineEdit* indexFilter() const { return m_indexFilter; }
    QAction* backAction() const { return m_back; }
    QAction* forwardAction() const { return m_forward; }
    QAction* homeAction() const { return m_home; }
    QAction* printAction() const { return m_print; }
    QTabWidget* tabs() const { return m_tabs; }
    PageZoom* zoom() const { return m_zoom; }
    // Both made when first needed, so that the window's first frame does not wait for them.
    SearchPane* searchPane();
    FindBar* findBar();

    // Shows the window on top, restored if it was minimised.
    void bringToFront();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillContents();
    void fillIndex();
    void addPageActions(QToolBar* toolbar);
    void focusCurrentTab();
    void findAgain(bool backward);
    void showEntry(const QUrl& url);
    void markCurrentTopic(const QUrl& url);
    void showTopicTitle(const QUrl& url);
    void filterIndex(const QString& text);
    QListWidgetItem* firstIndexMatch() const;
    void placeWindow();

    const HelpFile& m_file;
    HelpBrowser* m_browser = nullptr;
    QTabWidget* m_tabs = nullptr;
    QTreeWidget* m_contents = nullptr;
    QListWidget* m_index = nullptr;
    QWidget* m_indexPage = nullptr;
    QLineEdit* m_indexFilter = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
    QAction* m_home = nullptr;
    QAction* m_print = nullptr;
    QWidget* m_page = nullptr;
    QWidget* m_searchPage = nullptr;
    SearchPane* m_searchPane = nullptr;
    FindBar* m_findBar = nullptr;
    PageZoom* m_zoom = nullptr;
    bool m_contentsFilled = false;
    bool m_indexFilled = false;
};

} // namespace bmi::help
