#pragma once
// The help viewer's window: contents and index on the left, the topic on the right, and
// Back, Forward and Home above.

#include <QMainWindow>

class QAction;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace bmi::help {

class HelpBrowser;
class HelpFile;

class HelpWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit HelpWindow(const HelpFile& file, QWidget* parent = nullptr);

    HelpBrowser* browser() const { return m_browser; }
    // The lists are filled when first needed (see fillContents); these fill them first.
    QTreeWidget* contentsTree();
    QListWidget* indexList();
    QAction* backAction() const { return m_back; }
    QAction* forwardAction() const { return m_forward; }
    QAction* homeAction() const { return m_home; }

    // Shows the window on top, restored if it was minimised.
    void bringToFront();

protected:
    bool event(QEvent* event) override;

private:
    void fillContents();
    void fillIndex();
    void showEntry(const QUrl& url);
    void markCurrentTopic(const QUrl& url);
    void placeWindow();

    const HelpFile& m_file;
    HelpBrowser* m_browser = nullptr;
    QTabWidget* m_tabs = nullptr;
    QTreeWidget* m_contents = nullptr;
    QListWidget* m_index = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
    QAction* m_home = nullptr;
    bool m_contentsFilled = false;
    bool m_indexFilled = false;
};

} // namespace bmi::help
