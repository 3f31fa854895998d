#include "window/HelpWindow.h"

#include "window/FindBar.h"
#include "window/HelpBrowser.h"
#include "window/HelpFile.h"
#include "window/PageZoom.h"
#include "window/SearchPane.h"
#include "window/TopicPrinter.h"
#include "window/ViewerMain.h"
#include "window/ViewerStyle.h"

#include <QAction>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QPushButton>
#include <QScreen>
#include <QShortcutEvent>
#include <QSplitter>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace bmi::help {

namespace {

enum class Glyph { Back, Forward, Home, Print };

// Drawn here rather than looked up in the desktop's icon theme: the lookup alone took
// longer than the rest of the window's start-up.
QIcon navigationIcon(Glyph glyph) {
    constexpr int kSize = 24;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2a, 0x5d, 0xb0));
    switch (glyph) {
    case Glyph::Back:
        p.drawPolygon(
            QPolygonF({{3, 12}, {12, 4}, {12, 9}, {21, 9}, {21, 15}, {12, 15}, {12, 20}}));
        break;
    case Glyph::Forward:
        p.drawPolygon(QPolygonF({{21, 12}, {12, 4}, {12, 9}, {3, 9}, {3, 15}, {12, 15}, {12, 20}}));
        break;
    case Glyph::Home:
        p.drawPolygon(QPolygonF({{12, 3},
                                 {22, 12},
                                 {19, 12},
                                 {19, 21},
                                 {14, 21},
                                 {14, 15},
                                 {10, 15},
                                 {10, 21},
                                 {5, 21},
                                 {5, 12},
                                 {2, 12}}));
        break;
    case Glyph::Print:
        p.drawRect(QRectF(2, 9, 20, 9));
        p.setPen(QPen(QColor(0x2a, 0x5d, 0xb0), 1.5));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 3, 10, 7));
        p.drawRect(QRectF(7, 14, 10, 7));
        break;
    }
    return QIcon(pixmap);
}

constexpr int kUrlRole = Qt::UserRole;
// Index entries: the keyword without its indent, and how deep it sits under others.
constexpr int kKeywordRole = Qt::UserRole + 1;
constexpr int kDepthRole = Qt::UserRole + 2;
// The navigation pane's width at the desktop's usual 9 or 10 points; with larger text it
// widens, so that no tab caption is cut short and a typical entry stays on its line.
constexpr int kNavigationWidth = 230;
// Average characters of a typical contents entry, such as "Entering height and weight".
constexpr int kTypicalEntryChars = 24;
const QSize kFallbackSize(800, 580);

QString entryText(const SiteMapEntry& entry) {
    return fromHelpText(entry.name.empty() ? entry.local : entry.name);
}

QUrl entryUrl(const SiteMapEntry& entry) {
    return entry.local.empty() ? QUrl() : topicUrl(fromHelpText(entry.local));
}

void addTreeItems(QTreeWidgetItem* parent, QTreeWidget* tree,
                  const std::vector<SiteMapEntry>& entries) {
    for (const SiteMapEntry& entry : entries) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, entryText(entry));
        item->setData(0, kUrlRole, entryUrl(entry));
        addTreeItems(item, tree, entry.children);
    }
}

void addIndexItems(QListWidget* list, const std::vector<SiteMapEntry>& entries, int depth) {
    for (const SiteMapEntry& entry : entries) {
        auto* item =
            new QListWidgetItem(QString(depth * 4, QLatin1Char(' ')) + entryText(entry), list);
        item->setData(kUrlRole, entryUrl(entry));
        item->setData(kKeywordRole, entryText(entry));
        item->setData(kDepthRole, depth);
        addIndexItems(list, entry.children, depth + 1);
    }
}

bool sameTopic(const QUrl& a, const QUrl& b) {
    // Names inside a help file are found regardless of case.
    return a.scheme() == b.scheme() && a.path().compare(b.path(), Qt::CaseInsensitive) == 0;
}

// The name the contents give a topic, for a page that has no title of its own.
QString contentsName(const std::vector<SiteMapEntry>& entries, const QUrl& url) {
    for (const SiteMapEntry& entry : entries) {
        if (!entry.local.empty() && sameTopic(entryUrl(entry), url))
            return entryText(entry);
        if (QString name = contentsName(entry.children, url); !name.isEmpty())
            return name;
    }
    return {};
}

QTreeWidgetItem* findItem(QTreeWidgetItem* item, const QUrl& url) {
    if (sameTopic(item->data(0, kUrlRole).toUrl(), url))
        return item;
    for (int i = 0; i < item->childCount(); ++i)
        if (QTreeWidgetItem* found = findItem(item->child(i), url))
            return found;
    return nullptr;
}

int navigationWidth(const QTabWidget* tabs, const QTreeWidget* tree) {
    const int frames = 4 * tabs->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
    const int captions = tabs->tabBar()->sizeHint().width() + frames;
    const int entry = tree->fontMetrics().averageCharWidth() * kTypicalEntryChars +
                      tree->indentation() + tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                      frames;
    return std::max({kNavigationWidth, captions, entry});
}

// The contents follow the topic shown, however it was opened. A tree view tells assistive
// tools of every change of its current entry and selection, focused or not: a topic opened
// from the index or by a link was read out as an entry of the contents, hidden behind
// another tab. Marked while the focus is elsewhere, the entry is drawn as current and
// selected and told of once the tree is gone into.
class ContentsTree final : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

    void mark(QTreeWidgetItem* item) {
        m_quiet = !hasFocus();
        setCurrentItem(item);
        m_quiet = false;
    }

protected:
    // Quietly, the item views' own handling: drawing and scrolling, without the tree's
    // notices to assistive tools.
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
        if (m_quiet)
            QAbstractItemView::currentChanged(current, previous);
        else
            QTreeWidget::currentChanged(current, previous);
    }
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override {
        if (m_quiet)
            QAbstractItemView::selectionChanged(selected, deselected);
        else
            QTreeWidget::selectionChanged(selected, deselected);
    }

private:
    bool m_quiet = false;
};

} // namespace

HelpWindow::HelpWindow(const HelpFile& file, QWidget* parent) : QMainWindow(parent), m_file(file) {
    setWindowTitle(file.caption());
    setWindowIcon(QIcon(QStringLiteral(":/viewer/48.png")));

    m_browser = new HelpBrowser(file, this);
    // Both lists start empty: the contents are filled once the window has drawn its
    // first frame, the index once its tab is opened.
    m_contents = new ContentsTree(this);
    m_contents->setHeaderHidden(true);
    m_contents->setUniformRowHeights(true);
    m_contents->setAccessibleName(tr("Contents"));
    m_contents->setItemDelegate(new LegibleSelection(m_contents));
    m_index = new QListWidget(this);
    m_index->setAccessibleName(tr("Index"));
    m_index->setItemDelegate(new LegibleSelection(m_index));
    // The keyword box above the index, as in other help viewers: it narrows the list to
    // the keywords holding what is typed anywhere in them, since a keyword's second
    // word ("Severly Obese") is as likely to be looked for as its first.
    m_indexPage = new QWidget(this);
    m_indexFilter = new QLineEdit(m_indexPage);
    m_indexFilter->setAccessibleName(tr("Keyword to find"));
    m_indexFilter->setPlaceholderText(tr("Type a keyword"));
    m_indexFilter->setClearButtonEnabled(true);
    m_indexFilter->installEventFilter(this);
    auto* indexLayout = new QVBoxLayout(m_indexPage);
    indexLayout->setContentsMargins(0, 0, 0, 0);
    indexLayout->addWidget(m_indexFilter);
    indexLayout->addWidget(m_index);
    // Opening the tab (Alt+N) goes into the keyword box.
    m_indexPage->setFocusProxy(m_indexFilter);

    m_tabs = new QTabWidget(this);
    if (!file.contents().entries.empty())
        m_tabs->addTab(m_contents, tr("&Contents"));
    else
        m_contents->hide();
    if (!file.index().entries.empty())
        m_tabs->addTab(m_indexPage, tr("I&ndex"));
    else
        m_indexPage->hide();
    if (m_tabs->currentWidget() == m_indexPage)
        fillIndex();

    // Filled on first use.
    m_searchPage = new QWidget(this);
    new QVBoxLayout(m_searchPage);
    m_searchPage->layout()->setContentsMargins(0, 0, 0, 0);
    m_tabs->addTab(m_searchPage, tr("&Search"));
    m_tabs->tabBar()->installEventFilter(this);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this] {
        if (m_tabs->currentWidget() == m_indexPage)
            fillIndex();
        else if (m_tabs->currentWidget() == m_searchPage)
            searchPane();
    });
    // Without contents and index, the Search tab was current before anyone listened.
    if (m_tabs->currentWidget() == m_searchPage)
        searchPane();

    // The topic, and the find bar under it once asked for.
    m_browser->setAccessibleName(tr("Topic"));
    m_page = new QWidget(this);
    auto* pageLayout = new QVBoxLayout(m_page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addWidget(m_browser);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(m_tabs);
    splitter->addWidget(m_page);
    splitter->setStretchFactor(1, 1);
    const int navigation = navigationWidth(m_tabs, m_contents);
    // Shares of the window's width: the page takes the rest, and never less than the pane.
    splitter->setSizes({navigation, std::max(kFallbackSize.width() - navigation, navigation)});
    splitter->setChildrenCollapsible(false);
    if (m_tabs->count() == 0)
        m_tabs->hide();
    setCentralWidget(splitter);

    QToolBar* toolbar = addToolBar(tr("Navigation"));
    toolbar->setObjectName(QStringLiteral("navigation"));
    toolbar->setMovable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_back = toolbar->addAction(navigationIcon(Glyph::Back), tr("&Back"));
    m_back->setShortcut(QKeySequence::Back);
    m_back->setEnabled(false);
    m_forward = toolbar->addAction(navigationIcon(Glyph::Forward), tr("&Forward"));
    m_forward->setShortcut(QKeySequence::Forward);
    m_forward->setEnabled(false);
    m_home = toolbar->addAction(navigationIcon(Glyph::Home), tr("&Home"));
    m_home->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Home));
    addPageActions(toolbar);
    auto* close = new QAction(tr("Close"), this);
    close->setShortcut(QKeySequence::Close);
    addAction(close);

    connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_home, &QAction::triggered, this,
            [this] { m_browser->followLink(m_file.homePage()); });
    connect(close, &QAction::triggered, this, &QWidget::close);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::markCurrentTopic);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::showTopicTitle);
    // Screen readers announce the topic view by name; its description says which topic.
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this] { m_browser->setAccessibleDescription(m_browser->documentTitle()); });
    connect(m_contents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { showEntry(item->data(0, kUrlRole).toUrl()); });
    connect(m_contents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { showEntry(item->data(0, kUrlRole).toUrl()); });
    connect(m_index, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showEntry(item->data(kUrlRole).toUrl()); });
    connect(m_index, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showEntry(item->data(kUrlRole).toUrl()); });
    connect(m_indexFilter, &QLineEdit::textChanged, this, &HelpWindow::filterIndex);
    connect(m_indexFilter, &QLineEdit::returnPressed, this, [this] {
        if (QListWidgetItem* first = firstIndexMatch())
            showEntry(first->data(kUrlRole).toUrl());
    });

    // The lists on the left, then the topic; the search pane and find bar join when made.
    setTabOrder(m_tabs->tabBar(), m_contents);
    setTabOrder(m_contents, m_indexFilter);
    setTabOrder(m_indexFilter, m_index);
    setTabOrder(m_index, m_browser);

    placeWindow();
    showTopicTitle({});
    m_browser->setSource(file.defaultTopic());
    m_browser->setFocus();
}

void HelpWindow::addPageActions(QToolBar* toolbar) {
    m_zoom = new PageZoom(m_browser);
    m_print = toolbar->addAction(navigationIcon(Glyph::Print), tr("&Print"));
    m_print->setShortcut(QKeySequence::Print);
    connect(m_print, &QAction::triggered, this, [this] { printTopic(m_browser, this); });

    auto add = [this](const QString& text, const QList<QKeySequence>& keys, auto slot) {
        auto* action = new QAction(text, this);
        action->setShortcuts(keys);
        addAction(action);
        connect(action, &QAction::triggered, this, slot);
    };
    add(tr("Print Preview"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)},
        [this] { previewTopic(m_browser, this); });
    add(tr("Find"), QKeySequence::keyBindings(QKeySequence::Find), [this] { findBar()->open(); });
    add(tr("Find Next"), {QKeySequence(Qt::Key_F3)}, [this] { findAgain(false); });
    add(tr("Find Previous"), {QKeySequence(Qt::SHIFT | Qt::Key_F3)}, [this] { findAgain(true); });
    // Ctrl+= as well, for keyboards where + needs Shift.
    add(tr("Zoom In"),
        QKeySequence::keyBindings(QKeySequence::ZoomIn) << QKeySequence(Qt::CTRL | Qt::Key_Equal),
        [this] { m_zoom->zoomIn(); });
    add(tr("Zoom Out"), QKeySequence::keyBindings(QKeySequence::ZoomOut),
        [this] { m_zoom->zoomOut(); });
    add(tr("Normal Size"), {QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { m_zoom->reset(); });
}

SearchPane* HelpWindow::searchPane() {
    if (!m_searchPane) {
        m_searchPane = new SearchPane(m_file, m_browser, m_searchPage);
        m_searchPage->layout()->addWidget(m_searchPane);
        m_searchPane->show(); // at once: the layout would only show it from the event loop
        // After the other tabs' lists and before the topic.
        setTabOrder(m_index, m_searchPane->wordsField());
        setTabOrder(m_searchPane->wordsField(), m_searchPane->listButton());
        setTabOrder(m_searchPane->listButton(), m_searchPane->resultList());
        setTabOrder(m_searchPane->resultList(), m_searchPane->displayButton());
        setTabOrder(m_searchPane->displayButton(), m_browser);
    }
    return m_searchPane;
}

FindBar* HelpWindow::findBar() {
    if (!m_findBar) {
        m_findBar = new FindBar(m_browser, m_page);
        m_page->layout()->addWidget(m_findBar);
        QWidget* previous = m_browser;
        for (QWidget* control : m_findBar->findChildren<QWidget*>()) {
            if (control->focusPolicy() & Qt::TabFocus) {
                setTabOrder(previous, control);
                previous = control;
            }
        }
    }
    return m_findBar;
}

void HelpWindow::findAgain(bool backward) {
    FindBar* bar = findBar();
    if (bar->field()->text().isEmpty()) {
        bar->open();
        return;
    }
    bar->show();
    if (backward)
        bar->findPrevious();
    else
        bar->findNext();
}

bool HelpWindow::eventFilter(QObject* watched, QEvent* event) {
    // Down in the keyword box goes on into what it has left of the list.
    if (watched == m_indexFilter && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        QListWidgetItem* current = m_index->currentItem();
        if (!current || current->isHidden())
            m_index->setCurrentItem(firstIndexMatch());
        m_index->setFocus(Qt::TabFocusReason);
        return true;
    }
    // A tab's Alt key opens the tab and goes into it, not just onto the tab bar.
    if (watched == m_tabs->tabBar() && event->type() == QEvent::Shortcut) {
        const QKeySequence key = static_cast<QShortcutEvent*>(event)->key();
        for (int i = 0; i < m_tabs->count(); ++i) {
            if (QKeySequence::mnemonic(m_tabs->tabText(i)) == key) {
                m_tabs->setCurrentIndex(i);
                focusCurrentTab();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void HelpWindow::focusCurrentTab() {
    if (m_tabs->currentWidget() == m_searchPage) {
        searchPane()->wordsField()->setFocus(Qt::ShortcutFocusReason);
        searchPane()->wordsField()->selectAll();
    } else if (QWidget* page = m_tabs->currentWidget()) {
        page->setFocus(Qt::ShortcutFocusReason);
        // Coming back to the index, what one types next replaces the last keyword.
        if (page == m_indexPage)
            m_indexFilter->selectAll();
    }
}

QTreeWidget* HelpWindow::contentsTree() {
    fillContents();
    return m_contents;
}

QListWidget* HelpWindow::indexList() {
    fillIndex();
    return m_index;
}

bool HelpWindow::event(QEvent* event) {
    // The first paint is followed by the flush of the whole frame; a zero timer runs after
    // it, so the page shows without waiting for the contents tree.
    if (event->type() == QEvent::Paint && !m_contentsFilled)
        QTimer::singleShot(0, this, &HelpWindow::fillContents);
    return QMainWindow::event(event);
}

void HelpWindow::fillContents() {
    if (m_contentsFilled)
        return;
    m_contentsFilled = true;
    addTreeItems(nullptr, m_contents, m_file.contents().entries);
    m_contents->expandAll();
    markCurrentTopic(m_browser->source());
}

void HelpWindow::fillIndex() {
    if (m_indexFilled)
        return;
    m_indexFilled = true;
    addIndexItems(m_index, m_file.index().entries, 0);
}

void HelpWindow::bringToFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void HelpWindow::showEntry(const QUrl& url) {
    if (url.isValid() && !url.isEmpty())
        m_browser->followLink(url);
}

void HelpWindow::markCurrentTopic(const QUrl& url) {
    for (int i = 0; i < m_contents->topLevelItemCount(); ++i) {
        if (QTreeWidgetItem* item = findItem(m_contents->topLevelItem(i), url)) {
            const QSignalBlocker blocker(m_contents);
            static_cast<ContentsTree*>(m_contents)->mark(item);
            return;
        }
    }
}

void HelpWindow::showTopicTitle(const QUrl& url) {
    QString topic = printable(m_browser->documentTitle()).simplified();
    if (topic.isEmpty() && url.isValid())
        topic = printable(contentsName(m_file.contents().entries, url)).simplified();
    const QString caption = printable(m_file.caption());
    QString title = topic.isEmpty() ? caption : tr("%1 - %2").arg(topic, caption);
    // "[*]" is the title bar's mark for unsaved changes; doubled, it shows as written.
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(title);
}

void HelpWindow::filterIndex(const QString& text) {
    fillIndex();
    const QString wanted = text.simplified();
    // The keywords under a keyword that matches belong to it, and the keywords above one
    // that matches are what it is read under: both stay.
    struct Above {
        int row;
        bool matches; // this keyword or one above it
    };
    std::vector<Above> path; // the keywords above the current row, by depth
    std::vector<bool> shown(static_cast<std::size_t>(m_index->count()));
    for (int row = 0; row < m_index->count(); ++row) {
        const QListWidgetItem* item = m_index->item(row);
        const auto depth =
            std::min(static_cast<std::size_t>(item->data(kDepthRole).toInt()), path.size());
        path.resize(depth);
        const bool match =
            item->data(kKeywordRole).toString().contains(wanted, Qt::CaseInsensitive);
        shown[static_cast<std::size_t>(row)] = match || (!path.empty() && path.back().matches);
        path.push_back({row, shown[static_cast<std::size_t>(row)]});
        // Each keyword above is marked once: one shown has its own above it shown already.
        if (match)
            for (auto above = path.rbegin() + 1;
                 above != path.rend() && !shown[static_cast<std::size_t>(above->row)]; ++above)
                shown[static_cast<std::size_t>(above->row)] = true;
    }
    for (int row = 0; row < m_index->count(); ++row)
        m_index->item(row)->setHidden(!shown[static_cast<std::size_t>(row)]);
    if (QListWidgetItem* first = firstIndexMatch()) {
        const QSignalBlocker blocker(m_index);
        m_index->setCurrentItem(first);
        m_index->scrollToItem(first);
    }
}

QListWidgetItem* HelpWindow::firstIndexMatch() const {
    const QString wanted = m_indexFilter->text().simplified();
    for (int i = 0; i < m_index->count(); ++i) {
        QListWidgetItem* item = m_index->item(i);
        if (!item->isHidden() &&
            item->data(kKeywordRole).toString().contains(wanted, Qt::CaseInsensitive))
            return item;
    }
    return nullptr;
}

void HelpWindow::placeWindow() {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    if (m_file.windowRect()) {
        if (const auto geometry = usableGeometry(*m_file.windowRect(), screens)) {
            resize(geometry->size());
            move(geometry->topLeft());
            return;
        }
    }
    QSize size = kFallbackSize;
    if (!screens.isEmpty())
        size = size.boundedTo(screens.front().size());
    resize(size);
}

} // namespace bmi::help
