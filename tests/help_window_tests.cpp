// The viewer's window on the help file the build made, and on a hostile one compiled here.
#include "chm/TopicLimits.h"
#include "window/FindBar.h"
#include "window/HelpBrowser.h"
#include "window/HelpFile.h"
#include "window/HelpWindow.h"
#include "window/SearchPane.h"
#include "window/ViewerStyle.h"

#include "tests/support/Contrast.h"
#include "tests/support/HelpTest.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <ostream>
#include <set>
#include <thread>
#include <utility>
#include <vector>

using namespace bmi::help;
using namespace bmi::test;

namespace {

// ---- the window ---------------------------------------------------------------------

class ViewerWindow : public testing::Test {
protected:
    void SetUp() override {
        m_file = openHelp();
        ASSERT_TRUE(m_file);
        m_window = std::make_unique<HelpWindow>(*m_file);
    }
    HelpBrowser* browser() const { return m_window->browser(); }
    QString page() const { return browser()->source().toString(); }
    QString title() const { return browser()->documentTitle(); }

    std::unique_ptr<HelpFile> m_file;
    std::unique_ptr<HelpWindow> m_window;
};

TEST_F(ViewerWindow, ShowsDefaultTopicUnderCaptionOfMain) {
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Welcome to BMI-Trevala - BMI-Trevala Help"));
    EXPECT_EQ(page(), chm("/index.html"));
    EXPECT_EQ(title(), QStringLiteral("Welcome to BMI-Trevala"));
    EXPECT_EQ(m_window->size(), QSize(760, 560));
    EXPECT_FALSE(m_window->backAction()->isEnabled());
    EXPECT_FALSE(m_window->forwardAction()->isEnabled());
    // The program's own icon, as packaged for the desktop.
    const QImage packaged(qEnvironmentVariable("BMI_SOURCE_DIR") +
                          QStringLiteral("/packaging/icons/48.png"));
    ASSERT_FALSE(packaged.isNull());
    EXPECT_EQ(m_window->windowIcon().pixmap(48).toImage().convertToFormat(
                  QImage::Format_ARGB32_Premultiplied),
              packaged.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

TEST_F(ViewerWindow, FollowsLinksAndWalksHistory) {
    emit browser()->anchorClicked(browser()->resolved(QUrl(QStringLiteral("units.html"))));
    EXPECT_EQ(page(), chm("/units.html"));
    EXPECT_EQ(title(), QStringLiteral("Units and accepted ranges"));
    EXPECT_TRUE(browser()->toPlainText().contains(QStringLiteral("36 to 108")));

    // Relative to the page now shown.
    browser()->followLink(QUrl(QStringLiteral("feet_inches.html")));
    EXPECT_EQ(title(), QStringLiteral("The feet-and-inches dialog"));
    EXPECT_TRUE(m_window->backAction()->isEnabled());

    m_window->backAction()->trigger();
    EXPECT_EQ(page(), chm("/units.html"));
    EXPECT_TRUE(m_window->forwardAction()->isEnabled());
    m_window->forwardAction()->trigger();
    EXPECT_EQ(page(), chm("/feet_inches.html"));
    m_window->homeAction()->trigger();
    EXPECT_EQ(page(), chm("/index.html"));
}

TEST_F(ViewerWindow, LoadsPicturesRelativeToThePage) {
    browser()->followLink(QUrl(QStringLiteral("scale.html")));
    // As the document asks for it while laying out the page; once laid out, it keeps
    // the decoded picture instead of the bytes.
    const QVariant picture = browser()->document()->resource(
        QTextDocument::ImageResource, QUrl(QStringLiteral("images/bands.png")));
    QImage image;
    if (picture.typeId() == QMetaType::QByteArray)
        image.loadFromData(picture.toByteArray());
    else if (picture.typeId() == QMetaType::QImage)
        image = picture.value<QImage>();
    else if (picture.typeId() == QMetaType::QPixmap)
        image = picture.value<QPixmap>().toImage();
    EXPECT_FALSE(image.isNull()) << picture.typeName();
}

TEST_F(ViewerWindow, ContentsTreeOpensTopics) {
    QTreeWidget* tree = m_window->contentsTree();
    const auto found =
        tree->findItems(QStringLiteral("Reading the scale"), Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1);
    emit tree->itemClicked(found.front(), 0);
    EXPECT_EQ(page(), chm("/scale.html"));

    // Going elsewhere by a link marks that topic in the tree.
    browser()->followLink(QUrl(QStringLiteral("about_bmi.html")));
    ASSERT_TRUE(tree->currentItem());
    EXPECT_EQ(tree->currentItem()->data(0, Qt::UserRole).toUrl().toString(),
              chm("/about_bmi.html"));
}

TEST_F(ViewerWindow, IndexOpensTopics) {
    QListWidget* index = m_window->indexList();
    const auto found = index->findItems(QStringLiteral("Severly Obese"), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    emit index->itemActivated(found.front());
    EXPECT_EQ(page(), chm("/about_bmi.html"));
    EXPECT_TRUE(browser()->toPlainText().contains(QStringLiteral("not a diagnosis")));
    // The contents, not gone into, still mark the topic for when they are.
    QTreeWidgetItem* marked = m_window->contentsTree()->currentItem();
    ASSERT_TRUE(marked);
    EXPECT_TRUE(marked->isSelected());
    EXPECT_EQ(marked->data(0, Qt::UserRole).toUrl().toString(), chm("/about_bmi.html"));
}

struct TitleRow {
    const char* name;
    const char* link; // followed from the default topic
    bool back;        // then Back
    const char* title;
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const TitleRow& row, std::ostream* os) { *os << row.name; }
};

class WindowTitle : public ViewerWindow, public testing::WithParamInterface<TitleRow> {};

TEST_P(WindowTitle, NamesTheTopicBeforeTheCaption) {
    browser()->followLink(QUrl(QString::fromUtf8(GetParam().link)));
    if (GetParam().back)
        m_window->backAction()->trigger();
    EXPECT_EQ(m_window->windowTitle(), QString::fromUtf8(GetParam().title));
}

INSTANTIATE_TEST_SUITE_P(Rows, WindowTitle,
                         testing::Values(TitleRow{"Followed", "units.html", false,
                                                  "Units and accepted ranges - BMI-Trevala Help"},
                                         TitleRow{"WithinTopic", "units.html#top", false,
                                                  "Units and accepted ranges - BMI-Trevala Help"},
                                         TitleRow{"Back", "scale.html", true,
                                                  "Welcome to BMI-Trevala - BMI-Trevala Help"},
                                         TitleRow{"Missing", "nothere.html", false,
                                                  "Topic not found - BMI-Trevala Help"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ViewerWindow, MissingTopicShowsOwnPage) {
    browser()->followLink(QUrl(QStringLiteral("nothere.html")));
    EXPECT_EQ(title(), QStringLiteral("Topic not found"));
    EXPECT_TRUE(browser()->toPlainText().contains(QStringLiteral("/nothere.html")));
}

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

TEST_F(ViewerWindow, WebLinksGoToTheBrowserNotTheView) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &recorder, "open");
    for (const char* link :
         {"https://example.org/bmi", "mailto:help@example.org?attach=/etc/passwd",
          "mailto:help@example.org%3Fattach=%2Fetc%2Fpasswd"})
        browser()->followLink(QUrl(QString::fromLatin1(link)));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    const QUrl mail(QStringLiteral("mailto:help@example.org"));
    EXPECT_EQ(recorder.urls,
              (QList<QUrl>{QUrl(QStringLiteral("https://example.org/bmi")), mail, mail}));
    EXPECT_EQ(page(), chm("/index.html"));
    // Nor may a page pull anything off the disk: what is not in the file is a blank pixel.
    const QVariant picture = browser()->loadResource(QTextDocument::ImageResource,
                                                     QUrl(QStringLiteral("file:///etc/hostname")));
    ASSERT_EQ(picture.typeId(), QMetaType::QImage);
    EXPECT_EQ(picture.value<QImage>().size(), QSize(1, 1));
    EXPECT_EQ(picture.value<QImage>().pixelColor(0, 0).alpha(), 0);
}

// The toolbar's overflow icon is drawn by the viewer's style (no image file is read for
// it), in the palette's text colour, pointing the way the toolbar runs.
TEST(ViewerStyleTest, DrawsTheOverflowChevrons) {
    ViewerStyle style;
    const QImage across =
        style.standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton).pixmap(16).toImage();
    const QImage down =
        style.standardIcon(QStyle::SP_ToolBarVerticalExtensionButton).pixmap(16).toImage();
    ASSERT_EQ(across.size(), QSize(16, 16));
    EXPECT_NE(across, down);
    int inked = 0;
    for (int y = 0; y < across.height(); ++y)
        for (int x = 0; x < across.width(); ++x)
            inked += qAlpha(across.pixel(x, y)) > 128;
    EXPECT_GT(inked, 8);
}

// Search, find and zoom as the user drives them: shortcuts need a shown, active window.
class ShownViewer : public ViewerWindow {
protected:
    void SetUp() override {
        ViewerWindow::SetUp();
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }
    static void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }
    static void type(const char* text) {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(text));
    }
};

TEST_F(ShownViewer, SearchTabListsTopicsAndMarksTheWords) {
    EXPECT_FALSE(m_window->findChild<SearchPane*>()); // not before it is first used
    key(Qt::Key_S, Qt::AltModifier);
    SearchPane* pane = m_window->findChild<SearchPane*>();
    ASSERT_TRUE(pane);
    EXPECT_EQ(QApplication::focusWidget(), pane->wordsField());

    type("Furlongs");
    key(Qt::Key_Return);
    ASSERT_EQ(pane->resultList()->count(), 1);
    EXPECT_FALSE(pane->resultList()->item(0)->flags() & Qt::ItemIsEnabled);
    EXPECT_TRUE(pane->resultList()->item(0)->text().startsWith(QStringLiteral("No topic")));

    pane->wordsField()->clear();
    type("CENTIMETERS");
    key(Qt::Key_Return);
    ASSERT_GE(pane->resultList()->count(), 2);
    EXPECT_EQ(pane->resultList()->item(0)->text(), QStringLiteral("Units and accepted ranges"));
    EXPECT_EQ(QApplication::focusWidget(), pane->resultList());

    // Tab goes from the tabs through the pane in reading order, then to the topic.
    m_window->tabs()->tabBar()->setFocus();
    std::vector<QWidget*> order;
    for (int i = 0; i < 5; ++i) {
        key(Qt::Key_Tab);
        order.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(order, (std::vector<QWidget*>{pane->wordsField(), pane->listButton(),
                                            pane->resultList(), pane->displayButton(), browser()}));
    pane->resultList()->setFocus();
    key(Qt::Key_Return);
    EXPECT_EQ(page(), chm("/units.html"));
    const auto marks = browser()->extraSelections();
    EXPECT_GE(marks.size(), 3);
    for (const auto& mark : marks)
        EXPECT_EQ(mark.cursor.selectedText().toLower(), QStringLiteral("centimeters"));
    browser()->followLink(QUrl(QStringLiteral("index.html")));
    EXPECT_TRUE(browser()->extraSelections().isEmpty());
}

struct IndexFilterRow {
    const char* name;
    const char* typed;
    std::vector<const char*> shown;
    const char* enterOpens; // nullptr: Enter leaves the topic as it is
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const IndexFilterRow& row, std::ostream* os) { *os << row.name; }
};

class IndexFilter : public ShownViewer, public testing::WithParamInterface<IndexFilterRow> {};

TEST_P(IndexFilter, NarrowsAsOneTypes) {
    const IndexFilterRow& row = GetParam();
    key(Qt::Key_N, Qt::AltModifier);
    QLineEdit* filter = m_window->indexFilter();
    ASSERT_EQ(QApplication::focusWidget(), filter);
    EXPECT_FALSE(filter->accessibleName().isEmpty());
    type(row.typed);
    QListWidget* index = m_window->indexList();
    std::vector<std::string> shown;
    for (int i = 0; i < index->count(); ++i)
        if (!index->item(i)->isHidden())
            shown.push_back(index->item(i)->text().toStdString());
    EXPECT_EQ(shown, std::vector<std::string>(row.shown.begin(), row.shown.end()));

    key(Qt::Key_Return);
    EXPECT_EQ(page(), chm(row.enterOpens ? row.enterOpens : "/index.html"));
    EXPECT_EQ(QApplication::focusWidget(), filter);
    if (row.shown.empty())
        return;
    key(Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), index);
    ASSERT_TRUE(index->currentItem());
    EXPECT_EQ(index->currentItem()->text().toStdString(), row.shown.front());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IndexFilter,
    testing::Values(IndexFilterRow{"AnyPartOfTheKeyword",
                                   "obese",
                                   {"Obese", "Severly Obese"},
                                   "/about_bmi.html"},
                    IndexFilterRow{"RegardlessOfCase", "KILO", {"Kilograms"}, "/units.html"},
                    IndexFilterRow{"TwoLetters", "sl", {"Slider"}, "/scale.html"},
                    IndexFilterRow{"NoKeyword", "furlong", {}, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// From the tabs, Tab goes through the keyword box and the list to the topic; coming
// back with Alt+N, a new keyword replaces the last.
TEST_F(ShownViewer, IndexTabOrder) {
    key(Qt::Key_N, Qt::AltModifier);
    type("kilo");
    m_window->tabs()->tabBar()->setFocus();
    std::vector<QWidget*> order;
    for (int i = 0; i < 3; ++i) {
        key(Qt::Key_Tab);
        order.push_back(QApplication::focusWidget());
    }
    EXPECT_EQ(order,
              (std::vector<QWidget*>{m_window->indexFilter(), m_window->indexList(), browser()}));
    key(Qt::Key_N, Qt::AltModifier);
    type("obese");
    EXPECT_EQ(m_window->indexFilter()->text(), QStringLiteral("obese"));
}

TEST_F(ShownViewer, FindBarByKeys) {
    browser()->followLink(QUrl(QStringLiteral("units.html")));
    EXPECT_FALSE(m_window->findChild<FindBar*>());
    key(Qt::Key_F, Qt::ControlModifier);
    FindBar* bar = m_window->findChild<FindBar*>();
    ASSERT_TRUE(bar);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), bar->field());

    type("Kilogram");
    const int first = browser()->textCursor().selectionStart();
    EXPECT_EQ(browser()->textCursor().selectedText(), QStringLiteral("kilogram"));
    std::set<int> seen{first};
    int count = 1;
    for (key(Qt::Key_Return); browser()->textCursor().selectionStart() != first; key(Qt::Key_F3)) {
        ASSERT_LT(count, 50) << "never wrapped round";
        EXPECT_TRUE(seen.insert(browser()->textCursor().selectionStart()).second);
        ++count;
    }
    EXPECT_GE(count, 3);
    key(Qt::Key_F3, Qt::ShiftModifier); // back across the start, to the last match
    EXPECT_EQ(browser()->textCursor().selectionStart(), *seen.rbegin());
    EXPECT_TRUE(bar->field()->accessibleDescription().isEmpty());

    type("zz");
    EXPECT_EQ(bar->field()->accessibleDescription(), QStringLiteral("No match"));
    EXPECT_EQ(browser()->textCursor().selectedText(), QStringLiteral("kilogram"));
    key(Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), browser());
}

qreal headingSize(const QTextDocument* document) {
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        if (block.blockFormat().headingLevel() == 1)
            return block.begin().fragment().charFormat().fontPointSize();
    return 0;
}

QSizeF pictureSize(const QTextDocument* document) {
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat()) {
                const QTextImageFormat image = it.fragment().charFormat().toImageFormat();
                return {image.width(), image.height()};
            }
    return {};
}

TEST_F(ShownViewer, ZoomScalesTextAndPicturesForTheSession) {
    browser()->followLink(QUrl(QStringLiteral("scale.html")));
    QTextDocument* document = browser()->document();
    const qreal heading = headingSize(document);
    const QSizeF picture = pictureSize(document);
    // As the style sheet sets it (15 pt over 10 pt text), at the desktop's text size.
    ASSERT_DOUBLE_EQ(heading, 15.0 * QApplication::font().pointSizeF() / 10);
    ASSERT_FALSE(picture.isEmpty());

    key(Qt::Key_Plus, Qt::ControlModifier);
    key(Qt::Key_Equal, Qt::ControlModifier);
    const qreal ratio = headingSize(document) / heading;
    EXPECT_GT(ratio, 1.1);
    EXPECT_NEAR(pictureSize(document).width(), picture.width() * ratio, 0.01);
    EXPECT_NEAR(pictureSize(document).height(), picture.height() * ratio, 0.01);

    // Another topic, and back: the zoom stays.
    browser()->followLink(QUrl(QStringLiteral("units.html")));
    EXPECT_NEAR(headingSize(document), heading * ratio, 0.01);
    m_window->backAction()->trigger();
    EXPECT_NEAR(pictureSize(document).width(), picture.width() * ratio, 0.01);

    key(Qt::Key_0, Qt::ControlModifier);
    EXPECT_NEAR(headingSize(document), heading, 0.001);
    EXPECT_NEAR(pictureSize(document).width(), picture.width(), 0.001);

    // Two wheel notches with Ctrl held are two steps, like the keys.
    QWheelEvent wheel(QPointF(10, 10), browser()->viewport()->mapToGlobal(QPointF(10, 10)),
                      QPoint(), QPoint(0, 240), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(browser()->viewport(), &wheel);
    EXPECT_NEAR(headingSize(document), heading * ratio, 0.01);
    key(Qt::Key_0, Qt::ControlModifier);
    key(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_LT(headingSize(document), heading);
}

// A screen reader meets the topic as a document holding the topic's text, and a link
// reached by Tab as the document's selection.
TEST_F(ShownViewer, TopicIsADocumentToScreenReaders) {
    browser()->followLink(QUrl(QStringLiteral("about_bmi.html")));
    QAccessibleInterface* topic = QAccessible::queryAccessibleInterface(browser());
    ASSERT_TRUE(topic);
    EXPECT_EQ(topic->role(), QAccessible::Document);
    EXPECT_EQ(topic->text(QAccessible::Name), QStringLiteral("Topic"));
    QAccessibleTextInterface* text = topic->textInterface();
    ASSERT_TRUE(text);
    const QString read = text->text(0, text->characterCount());
    EXPECT_TRUE(read.contains(QStringLiteral("not a diagnosis"))) << read.toStdString();

    m_window->homeAction()->trigger();
    browser()->setFocus();
    key(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), browser());
    ASSERT_EQ(text->selectionCount(), 1);
    int start = 0;
    int end = 0;
    text->selection(0, &start, &end);
    EXPECT_EQ(text->text(start, end), QStringLiteral("Entering height and weight"));
    EXPECT_EQ(topic->text(QAccessible::Description),
              QStringLiteral("Entering height and weight, link"));
    key(Qt::Key_Tab);
    text->selection(0, &start, &end);
    EXPECT_EQ(text->text(start, end), QStringLiteral("Units and accepted ranges"));
}

// The viewer opened, shown, on a desktop of another font or palette; the desktop's own
// are back afterwards.
class OnDesktop : public testing::Test {
protected:
    void open() {
        m_file = openHelp();
        ASSERT_TRUE(m_file);
        m_window = std::make_unique<HelpWindow>(*m_file);
        m_window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void TearDown() override {
        m_window.reset();
        QApplication::setFont(m_font);
        QApplication::setPalette(m_palette);
    }

    const QFont m_font = QApplication::font();
    const QPalette m_palette = QApplication::palette();
    std::unique_ptr<HelpFile> m_file;
    std::unique_ptr<HelpWindow> m_window;
};

// The navigation pane and the topic follow the desktop's text size.
class DesktopFont : public OnDesktop, public testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        QFont font = m_font;
        font.setPointSize(GetParam());
        QApplication::setFont(font);
        open();
    }
};

TEST_P(DesktopFont, TabsShowWholeAndTopicTextFollows) {
    QTabBar* bar = m_window->tabs()->tabBar();
    EXPECT_GE(bar->width(), bar->sizeHint().width());
    for (int i = 0; i < bar->count(); ++i) {
        const QString caption = bar->tabText(i).remove(QLatin1Char('&'));
        EXPECT_GT(bar->tabRect(i).width(), bar->fontMetrics().horizontalAdvance(caption))
            << caption.toStdString();
    }
    // The welcome page's running text, set to 10 pt by the help's style sheet.
    const QTextDocument* document = m_window->browser()->document();
    qreal size = 0;
    for (QTextBlock block = document->begin(); block.isValid() && size == 0; block = block.next())
        if (block.text().startsWith(QStringLiteral("BMI-Trevala works out")))
            size = block.begin().fragment().charFormat().fontPointSize();
    EXPECT_DOUBLE_EQ(size, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Points, DesktopFont, testing::Values(9, 11, 14));

// Every text the viewer draws stands out from what is behind it, on any desktop palette.
class ViewerLegible : public OnDesktop, public testing::WithParamInterface<PaletteRow> {
protected:
    void SetUp() override {
        QApplication::setPalette(GetParam().make());
        open();
    }
    // The piece `rect` of `widget`, clear of frames at its edges.
    void expectLegible(const QImage& shot, const QWidget* widget, const QRect& rect,
                       const QString& what) {
        QRect piece(widget->mapTo(m_window.get(), rect.topLeft()), rect.size());
        piece = piece.adjusted(3, 2, -3, -2) & m_window->rect();
        ASSERT_FALSE(piece.isEmpty()) << what.toStdString();
        EXPECT_GE(textContrast(shot.copy(piece)), 4.5) << what.toStdString();
    }
};

TEST_P(ViewerLegible, EveryTextStandsOutFromWhatIsBehindIt) {
    m_window->browser()->followLink(QUrl(QStringLiteral("units.html")));
    m_window->findBar()->open();
    m_window->findBar()->field()->setText(QStringLiteral("kilograms"));
    QTreeWidget* tree = m_window->contentsTree();
    const QImage shot = m_window->grab().toImage();

    QTabBar* bar = m_window->tabs()->tabBar();
    for (int i = 0; i < bar->count(); ++i)
        expectLegible(shot, bar, bar->tabRect(i), bar->tabText(i));
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const QRect row = tree->visualItemRect(*it);
        if (tree->viewport()->rect().contains(row))
            expectLegible(shot, tree->viewport(), row, (*it)->text(0));
    }
    // Each button's caption, under its icon.
    auto* toolbar = m_window->findChild<QToolBar*>();
    ASSERT_TRUE(toolbar);
    // Forward is disabled: the guidelines ask nothing of an inactive control's text, whose
    // faintness is what tells that it is inactive.
    for (QAction* action : toolbar->actions()) {
        if (!action->isEnabled())
            continue;
        const QWidget* button = toolbar->widgetForAction(action);
        const int line = button->fontMetrics().height() + 4;
        expectLegible(shot, button, QRect(0, button->height() - line - 2, button->width(), line),
                      action->text());
    }
    expectLegible(shot, m_window->browser()->viewport(), m_window->browser()->viewport()->rect(),
                  QStringLiteral("topic"));
    QLineEdit* field = m_window->findBar()->field();
    expectLegible(shot, field, field->rect(), QStringLiteral("find field"));

    // A link, which the view colours apart from the running text.
    HelpBrowser* view = m_window->browser();
    view->followLink(QUrl(QStringLiteral("index.html")));
    QRect link;
    for (QTextBlock block = view->document()->begin(); block.isValid() && link.isNull();
         block = block.next())
        for (auto it = block.begin(); !it.atEnd() && link.isNull(); ++it)
            if (const QTextFragment piece = it.fragment(); piece.charFormat().isAnchor()) {
                QTextCursor cursor(view->document());
                cursor.setPosition(piece.position());
                const QRect start = view->cursorRect(cursor);
                cursor.setPosition(piece.position() + piece.length());
                link = start.united(view->cursorRect(cursor));
            }
    ASSERT_FALSE(link.isNull());
    expectLegible(m_window->grab().toImage(), view->viewport(), link, QStringLiteral("link"));
}

INSTANTIATE_TEST_SUITE_P(Palettes, ViewerLegible, testing::ValuesIn(kPalettes),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- topics that reach outside the file or nest too deeply ----------------------------

// A FIFO that counts how often something opens it to read. Its writer waits in open()
// until a reader comes, so a reader never hangs.
class FifoWatch {
public:
    explicit FifoWatch(const QString& path) : m_path(QFile::encodeName(path).toStdString()) {
        EXPECT_EQ(::mkfifo(m_path.c_str(), 0600), 0);
        m_writer = std::thread([this] {
            for (;;) {
                const int fd = ::open(m_path.c_str(), O_WRONLY);
                if (fd >= 0) {
                    EXPECT_EQ(::write(fd, "W", 1), 1);
                    ::close(fd);
                }
                ++m_opens;
                if (m_stop)
                    return;
            }
        });
    }
    ~FifoWatch() { stop(); }
    FifoWatch(const FifoWatch&) = delete;
    FifoWatch& operator=(const FifoWatch&) = delete;

    // Ends the writer; how many times a reader other than this one opened the FIFO.
    int stop() {
        if (!m_writer.joinable())
            return m_result;
        m_stop = true;
        const int release = ::open(m_path.c_str(), O_RDONLY | O_NONBLOCK); // lets open() return
        m_writer.join();
        char byte = 0;
        const bool mine = ::read(release, &byte, 1) == 1; // the writer met this reader
        ::close(release);
        ::unlink(m_path.c_str());
        m_result = m_opens - (mine ? 1 : 0);
        return m_result;
    }

private:
    std::string m_path;
    std::thread m_writer;
    std::atomic<int> m_opens{0};
    std::atomic<bool> m_stop{false};
    int m_result = 0;
};

std::string nestedTables(int depth) {
    std::string html;
    for (int i = 0; i < depth; ++i)
        html += "<table border=1><tr><td>";
    html += "deepest";
    for (int i = 0; i < depth; ++i)
        html += "</td></tr></table>";
    return html;
}

// A help file compiled here: its default topic names pictures and style sheets outside
// the file (each a FIFO, so that any read shows), links to pages of nested tables, and
// carries control characters in its caption and title. Its contents name a topic that
// has no title; its index has a keyword with a sub-keyword.
class HostileFile : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = new QTemporaryDir;
        const QString pipes = s_dir->filePath(QStringLiteral("pipes"));
        QDir().mkpath(pipes);
        const QByteArray p = QFile::encodeName(pipes);
        write("hostile.html",
              "<html><head><title>Hostile&#27;[31m&#7;</title>"
              "<link rel=\"stylesheet\" href=\"" +
                  p +
                  "/sheet\">"
                  "<link rel=\"stylesheet\" href=\"file://" +
                  p +
                  "/sheet-url\"></head>"
                  "<body><p>Still shown</p><img src=\"" +
                  p +
                  "/picture\" width=20 height=20>"
                  "<img src=\"file://" +
                  p +
                  "/picture-url\"><img src=\"missing.png\">"
                  "<p><a href=\"deep.html\">deep</a> <a href=\"deeper.html\">deeper</a></p>"
                  "</body></html>");
        write("deep.html",
              ("<html><head><title>Deep</title></head><body>" + nestedTables(20) + "</body></html>")
                  .c_str());
        write("deeper.html", ("<html><head><title>Deeper</title></head><body>" +
                              nestedTables(3000) + "</body></html>")
                                 .c_str());
        write("plain.html", "<html><body><p>No title</p></body></html>");
        const auto entry = [](const char* name, const char* local) {
            return "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"" +
                   QByteArray(name) + "\"><param name=\"Local\" value=\"" + local +
                   "\"></OBJECT>\n";
        };
        write("hostile.hhc", "<UL>" + entry("Plain &amp; simple", "plain.html") + "</UL>");
        write("hostile.hhk", "<UL>" + entry("Parent", "deep.html") + "<UL>" +
                                 entry("Child", "deep.html") + "</UL>" +
                                 entry("Other", "deep.html") + "</UL>");
        write("hostile.hhp", "[OPTIONS]\nCompiled file=hostile.chm\nDefault Window=Main\n"
                             "Default topic=hostile.html\nTitle=Hostile\x1b[2J\n"
                             "Contents file=hostile.hhc\nIndex file=hostile.hhk\n\n"
                             "[WINDOWS]\nMain=\"Hostile\x1b[2J\x07\",\"hostile.hhc\","
                             "\"hostile.hhk\",\"hostile.html\",\"hostile.html\",,,,,0x2520,,"
                             "0x387e,[10,10,650,500],,,,,,,0\n\n"
                             "[FILES]\nhostile.html\ndeep.html\ndeeper.html\nplain.html\n");
        QProcess chmcmd;
        chmcmd.setWorkingDirectory(s_dir->path());
        chmcmd.start(QStringLiteral(BMI_CHMCMD),
                     {QStringLiteral("--no-html-scan"), QStringLiteral("hostile.hhp")});
        ASSERT_TRUE(chmcmd.waitForFinished(60000));
        ASSERT_GT(QFileInfo(path()).size(), 0) << chmcmd.readAll().toStdString();
    }
    static void TearDownTestSuite() { delete s_dir; }

    void SetUp() override {
        for (const char* name : {"sheet", "sheet-url", "picture", "picture-url"})
            m_watches.emplace_back(
                name, std::make_unique<FifoWatch>(s_dir->filePath(QStringLiteral("pipes/")) +
                                                  QLatin1String(name)));
    }
    void TearDown() override {
        for (auto& [name, watch] : m_watches)
            EXPECT_EQ(watch->stop(), 0) << name << " was opened";
    }

    static QString path() { return s_dir->filePath(QStringLiteral("hostile.chm")); }
    static void write(const char* name, const QByteArray& text) {
        QFile file(s_dir->filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    static QTemporaryDir* s_dir;
    std::vector<std::pair<std::string, std::unique_ptr<FifoWatch>>> m_watches;
};
QTemporaryDir* HostileFile::s_dir = nullptr;

TEST_F(HostileFile, TopicsShowFromTheFileAlone) {
    QString error;
    const auto file = HelpFile::open(path(), QStringLiteral("Main"), &error);
    ASSERT_TRUE(file) << error.toStdString();
    HelpWindow window(*file);
    window.show();
    window.grab(); // lays out and paints, pictures and all
    HelpBrowser* browser = window.browser();
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Still shown")));
    // The title's character references decoded, and no control character in the title bar.
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Hostile[31m - Hostile[2J"));

    browser->followLink(QUrl(QStringLiteral("deep.html")));
    window.grab();
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Deep"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("deepest")));

    browser->followLink(QUrl(QStringLiteral("/deeper.html")));
    window.grab();
    EXPECT_EQ(browser->documentTitle(), QStringLiteral("Deeper"));
    EXPECT_TRUE(browser->toPlainText().contains(QString::fromUtf8(kTooDeepNotice)));
}

TEST_F(HostileFile, UntitledTopicTakesItsContentsNameAndKeywordsKeepTheirGroup) {
    QString error;
    const auto file = HelpFile::open(path(), QStringLiteral("Main"), &error);
    ASSERT_TRUE(file) << error.toStdString();
    HelpWindow window(*file);
    window.browser()->followLink(QUrl(QStringLiteral("plain.html")));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Plain & simple - Hostile[2J"));

    QListWidget* index = window.indexList();
    const std::pair<const char*, QStringList> filters[] = {
        {"paren", {QStringLiteral("Parent"), QStringLiteral("Child")}},
        {"CHILD", {QStringLiteral("Parent"), QStringLiteral("Child")}},
        {"other", {QStringLiteral("Other")}},
        {"", {QStringLiteral("Parent"), QStringLiteral("Child"), QStringLiteral("Other")}}};
    for (const auto& [typed, expected] : filters) {
        window.indexFilter()->setText(QString::fromUtf8(typed));
        QStringList shown;
        for (int i = 0; i < index->count(); ++i)
            if (!index->item(i)->isHidden())
                shown << index->item(i)->text().trimmed();
        EXPECT_EQ(shown, expected) << typed;
    }
}

TEST_F(HostileFile, CheckLaysOutEveryTopicAndPrintsNoControls) {
    const ViewerRun run = startViewer({QStringLiteral("--check"), path()});
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("topic: /hostile.html\ncaption: Hostile[2J\n"
                                      "title: Hostile[31m\ntopics: 4\n"));
}

} // namespace

#include "help_window_tests.moc"
