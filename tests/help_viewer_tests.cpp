// The help viewer on the help file the build made, and on damaged copies of it.
#include "chm/ChmFile.h"
#include "chm/TopicLimits.h"
#include "search/SearchIndex.h"
#include "window/FindBar.h"
#include "window/HelpBrowser.h"
#include "window/HelpFile.h"
#include "window/HelpWindow.h"
#include "window/InstanceGuard.h"
#include "window/PageZoom.h"
#include "window/SearchPane.h"
#include "window/ViewerMain.h"
#include "window/ViewerStyle.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocalSocket>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <thread>
#include <utility>
#include <vector>

using namespace bmi::help;

namespace {

QString binDir() {
    return qEnvironmentVariable("BMI_TEST_BIN_DIR");
}

QString helpPath() {
    return binDir() + QStringLiteral("/BMI-Trevala.chm");
}

QString viewerPath() {
    return binDir() + QStringLiteral("/BMI-Trevala-help");
}

QByteArray helpBytes() {
    QFile file(helpPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::unique_ptr<HelpFile> openHelp(const QString& window = QStringLiteral("Main")) {
    QString error;
    auto file = HelpFile::open(helpPath(), window, &error);
    EXPECT_TRUE(file) << error.toStdString();
    return file;
}

QString chm(const char* path) {
    return QStringLiteral("chm:") + QLatin1String(path);
}

// ---- requests, addresses, window placement ------------------------------------------

struct RequestCase {
    const char* name;
    const char* request;
    const char* file;
    const char* window;
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const RequestCase& row, std::ostream* os) { *os << row.name; }
};

class RequestParse : public testing::TestWithParam<RequestCase> {};

TEST_P(RequestParse, SplitsFileAndWindow) {
    const HelpRequest parsed = parseRequest(QString::fromUtf8(GetParam().request));
    EXPECT_EQ(parsed.file, QString::fromUtf8(GetParam().file));
    EXPECT_EQ(parsed.window, QString::fromUtf8(GetParam().window));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RequestParse,
    testing::Values(RequestCase{"AsSent", "/opt/bmi/BMI-Trevala.chm>Main",
                                "/opt/bmi/BMI-Trevala.chm", "Main"},
                    RequestCase{"Root", "//BMI-Trevala.chm>Main", "//BMI-Trevala.chm", "Main"},
                    RequestCase{"NoWindow", "/opt/h.chm", "/opt/h.chm", ""},
                    RequestCase{"AngleInFolder", "/a>b/h.chm", "/a>b/h.chm", ""},
                    RequestCase{"AngleInFolderAndWindow", "/a>b/h.chm>Main", "/a>b/h.chm", "Main"}),
    [](const auto& info) { return std::string(info.param.name); });

struct TopicCase {
    const char* name;
    const char* local;
    const char* url;
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const TopicCase& row, std::ostream* os) { *os << row.name; }
};

class TopicAddress : public testing::TestWithParam<TopicCase> {};

TEST_P(TopicAddress, ResolvesFromRoot) {
    EXPECT_EQ(topicUrl(QString::fromUtf8(GetParam().local)).toString(),
              QString::fromUtf8(GetParam().url));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TopicAddress,
    testing::Values(TopicCase{"Plain", "index.html", "chm:/index.html"},
                    TopicCase{"Absolute", "/units.html", "chm:/units.html"},
                    TopicCase{"Backslashes", "sub\\page.html", "chm:/sub/page.html"},
                    TopicCase{"DotDotStaysInside", "../../a.html", "chm:/a.html"},
                    TopicCase{"Anchor", "scale.html#ticks", "chm:/scale.html#ticks"},
                    TopicCase{"StoragePrefix", "BMI-Trevala.chm::/keyboard.html",
                              "chm:/keyboard.html"},
                    TopicCase{"Web", "https://example.org/x", "https://example.org/x"}),
    [](const auto& info) { return std::string(info.param.name); });

struct GeometryCase {
    const char* name;
    WindowRect rect;
    std::optional<QRect> expected;
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const GeometryCase& row, std::ostream* os) { *os << row.name; }
};

class WindowPlacement : public testing::TestWithParam<GeometryCase> {};

TEST_P(WindowPlacement, UsesOnlySaneRectangles) {
    const QList<QRect> screens{QRect(0, 0, 1024, 768), QRect(1024, 0, 1280, 1024)};
    EXPECT_EQ(usableGeometry(GetParam().rect, screens), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowPlacement,
    testing::Values(
        GeometryCase{"Fits", {40, 40, 800, 600}, QRect(40, 40, 760, 560)},
        GeometryCase{"SecondScreen", {1100, 100, 1900, 700}, QRect(1100, 100, 800, 600)},
        GeometryCase{"TooSmall", {10, 10, 150, 100}, std::nullopt},
        GeometryCase{"OffEveryScreen", {5000, 5000, 5800, 5600}, std::nullopt},
        GeometryCase{"TitleBarAboveScreen", {100, -300, 900, 400}, std::nullopt},
        GeometryCase{"EnoughOnLeftEdge", {-600, 10, 200, 500}, QRect(-600, 10, 800, 490)},
        GeometryCase{"LargerThanScreen", {0, 0, 3000, 2000}, QRect(0, 0, 1024, 768)}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- search ---------------------------------------------------------------------------

// Hand-made topics; only a.html is named, the others are reached through its links.
const std::map<QString, QByteArray> kSearchPages{
    {"chm:/a.html",
     "<html><head><title>Heights &amp; weights</title><style>p { centimeters: 1 }</style>"
     "</head><body><p>Height in <b>centi</b>meters, CENTIMETERS or Centimeters; 0.0254 m."
     "</p><!-- pounds --><a href=\"b.html#top\">next</a> <a href='sub/c.htm'>c</a>"
     "<p>slider's slider</p>"
     "<a href=\"https://example.org/d.html\">web</a><a href=\"gone.html\">gone</a>"
     "</body></html>"},
    {"chm:/b.html",
     "<title>Caf&eacute; &#8220;notes&#x201D;</title><p>centimeters &lt;b&gt; caf&#233; "
     "&Eacute;LAN pounds &unknown; fish&amp;chips sliders class status analysis gas</p>"},
    {"chm:/sub/c.htm", "<p>Pounds and pounds<script>var centimeters;</script> and cafe, Cafe</p>"
                       "<p>Slider\xE2\x80\x99s sliders' SLIDER</p>"},
    {"https://example.org/d.html", "<title>Web</title>centimeters"},
};

struct SearchCase {
    const char* name;
    const char* query;
    std::vector<const char*> titles; // most hits first
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const SearchCase& row, std::ostream* os) { *os << row.name; }
};

class Search : public testing::TestWithParam<SearchCase> {};

TEST_P(Search, ListsTopicsHoldingEveryWord) {
    const SearchIndex index = SearchIndex::build(
        {QUrl(QStringLiteral("chm:/a.html"))}, [](const QUrl& url) -> std::optional<QString> {
            const auto page = kSearchPages.find(url.toString());
            if (page == kSearchPages.end())
                return std::nullopt;
            return QString::fromUtf8(page->second);
        });
    EXPECT_EQ(index.topicCount(), 3);
    std::vector<std::string> titles;
    for (const SearchIndex::Result& result : index.find(QString::fromUtf8(GetParam().query)))
        titles.push_back(result.title.toStdString());
    EXPECT_EQ(titles, std::vector<std::string>(GetParam().titles.begin(), GetParam().titles.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Search,
    testing::Values(
        SearchCase{"SeveralTopicsByHits", "centimeters", {"Heights & weights", "Café “notes”"}},
        SearchCase{"MixedCase", "cEnTiMeTeRs", {"Heights & weights", "Café “notes”"}},
        SearchCase{"RankedTheOtherWay", "pounds", {"/sub/c.htm", "Café “notes”"}},
        SearchCase{"EveryWordNeeded", "Pounds centimeters", {"Café “notes”"}},
        SearchCase{"AccentsAndEntities", "CAFÉ", {"/sub/c.htm", "Café “notes”"}},
        SearchCase{"EntityNotAWordJoiner", "chips fish", {"Café “notes”"}},
        SearchCase{"DecodedTextNotMarkup", "b", {"Café “notes”"}},
        SearchCase{"Decimal", "0.0254", {"Heights & weights"}},
        SearchCase{"InNone", "furlongs", {}},
        SearchCase{"ScriptsStylesCommentsAndTitlesAreNotText", "var notes", {}},
        SearchCase{"NoWords", " ,;! ", {}},
        SearchCase{"FormsOfAWord", "slider", {"/sub/c.htm", "Heights & weights", "Café “notes”"}},
        SearchCase{"QueryInAnotherForm",
                   "Sliders’ slider's",
                   {"/sub/c.htm", "Heights & weights", "Café “notes”"}},
        SearchCase{"EndingsThatAreNoPlurals", "class status analysis gas", {"Café “notes”"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Only the plainest forms fold: a word that merely ends in "s" keeps it.
TEST(SearchWords, FoldOnlyPossessivesAndPlainPlurals) {
    const std::vector<std::pair<const char*, const char*>> forms{
        {"Slider's", "slider"},   {"slider\xE2\x80\x99s", "slider"},
        {"SLIDERS", "slider"},    {"it's", "it"},
        {"class", "class"},       {"status", "status"},
        {"analysis", "analysis"}, {"gas", "gas"},
        {"1990s", "1990s"}};
    for (const auto& [word, folded] : forms)
        EXPECT_EQ(foldWord(QString::fromUtf8(word)), QString::fromUtf8(folded)) << word;
}

// ---- the built help file ------------------------------------------------------------

TEST(HelpFileBuilt, SystemFilesSayWhatTheProjectSays) {
    const auto chm = ChmFile::open(QFile::encodeName(helpPath()).toStdString());
    ASSERT_TRUE(chm);
    const auto system = chm->read("/#SYSTEM");
    ASSERT_TRUE(system);
    const auto info = parseSystem(*system);
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->truncated);
    EXPECT_EQ(info->defaultTopic, "index.html");
    EXPECT_EQ(info->title, "BMI-Trevala Help");
    EXPECT_EQ(info->contentsFile, "contents.hhc");
    EXPECT_EQ(info->indexFile, "index.hhk");
    EXPECT_EQ(info->defaultWindow, "Main");
}

TEST(HelpFileBuilt, ReadsObjectsWholeAndWithinLimits) {
    const auto chm = ChmFile::open(QFile::encodeName(helpPath()).toStdString());
    ASSERT_TRUE(chm);
    const auto page = chm->read("/INDEX.HTML"); // names are found regardless of case
    ASSERT_TRUE(page);
    EXPECT_NE(std::string(page->begin(), page->end()).find("</html>"), std::string::npos);
    EXPECT_FALSE(chm->read("/index.html", page->size() - 1));
    EXPECT_TRUE(chm->read("/index.html", page->size()));
    EXPECT_FALSE(chm->read("/nothere.html"));
    EXPECT_FALSE(chm->read(""));
    EXPECT_FALSE(chm->read("/" + std::string(600, 'a')));
    EXPECT_FALSE(chm->read(std::string("/index.html\0x", 13)));
}

TEST(HelpFileBuilt, OpensInWindowMain) {
    const auto file = openHelp();
    ASSERT_TRUE(file);
    EXPECT_EQ(file->caption(), QStringLiteral("BMI-Trevala Help"));
    EXPECT_EQ(file->defaultTopic().toString(), chm("/index.html"));
    EXPECT_EQ(file->homePage().toString(), chm("/index.html"));
    EXPECT_EQ(file->windowRect(), (WindowRect{40, 40, 800, 600}));
    EXPECT_EQ(file->contents().entries.size(), 3u);
    EXPECT_GT(file->index().entries.size(), 10u);
}

TEST(HelpFileBuilt, UnknownWindowFallsBackToTheDefaultWindow) {
    const auto file = openHelp(QStringLiteral("NoSuchWindow"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->caption(), QStringLiteral("BMI-Trevala Help"));
}

void collectTopics(const std::vector<SiteMapEntry>& entries, std::set<QString>& topics) {
    for (const SiteMapEntry& e : entries) {
        topics.insert(
            topicUrl(QString::fromStdString(e.local)).adjusted(QUrl::RemoveFragment).toString());
        collectTopics(e.children, topics);
    }
}

std::set<QString> allTopics(const HelpFile& file) {
    std::set<QString> topics;
    collectTopics(file.contents().entries, topics);
    collectTopics(file.index().entries, topics);
    return topics;
}

// Every topic of the contents and the index exists, and every link and picture in
// every topic leads to something in the file.
TEST(HelpFileBuilt, EveryLinkLeadsSomewhere) {
    const auto file = openHelp();
    ASSERT_TRUE(file);
    const std::set<QString> topics = allTopics(*file);
    EXPECT_GE(topics.size(), 7u);
    const QRegularExpression reference(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"]+)\""),
                                       QRegularExpression::CaseInsensitiveOption);
    for (const QString& topic : topics) {
        const auto page = file->read(QUrl(topic));
        ASSERT_TRUE(page) << topic.toStdString();
        EXPECT_TRUE(page->contains("<title>")) << topic.toStdString();
        auto matches = reference.globalMatch(QString::fromUtf8(*page));
        while (matches.hasNext()) {
            const QUrl target = QUrl(topic).resolved(QUrl(matches.next().captured(1)));
            EXPECT_TRUE(file->read(target))
                << topic.toStdString() << " -> " << target.toString().toStdString();
        }
    }
}

// A picture shown at another size than its own would be blurred or cut.
TEST(HelpFileBuilt, PicturesAreShownAtTheirOwnSize) {
    const auto file = openHelp();
    ASSERT_TRUE(file);
    const QRegularExpression picture(
        QStringLiteral("<img\\s+src=\"([^\"]+)\"\\s+width=\"(\\d+)\"\\s+height=\"(\\d+)\""),
        QRegularExpression::CaseInsensitiveOption);
    int pictures = 0;
    for (const QString& topic : allTopics(*file)) {
        auto matches = picture.globalMatch(QString::fromUtf8(file->read(QUrl(topic)).value_or("")));
        while (matches.hasNext()) {
            const auto match = matches.next();
            QImage image;
            ASSERT_TRUE(image.loadFromData(
                file->read(QUrl(topic).resolved(QUrl(match.captured(1)))).value_or("")))
                << match.captured(1).toStdString();
            EXPECT_EQ(QString::number(image.width()), match.captured(2));
            EXPECT_EQ(QString::number(image.height()), match.captured(3));
            ++pictures;
        }
    }
    EXPECT_GE(pictures, 1);
}

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
    ASSERT_EQ(heading, 15.0); // as the style sheet sets it
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

// ---- damaged files ------------------------------------------------------------------

struct DamageCase {
    const char* name;
    std::function<QByteArray(const QByteArray&)> damage;
    bool mayOpen; // a copy cut near its end can still hold everything we need
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const DamageCase& row, std::ostream* os) { *os << row.name; }
};

class DamagedFile : public testing::TestWithParam<DamageCase> {};

TEST_P(DamagedFile, ReportsErrorOrWorksNeverCrashes) {
    const QByteArray good = helpBytes();
    ASSERT_FALSE(good.isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BMI-Trevala.chm"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(GetParam().damage(good));
    out.close();

    QString error;
    const auto file = HelpFile::open(path, QStringLiteral("Main"), &error);
    if (!file) {
        EXPECT_TRUE(error.contains(QStringLiteral("could not be opened"))) << error.toStdString();
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        return;
    }
    EXPECT_TRUE(GetParam().mayOpen);
    HelpWindow window(*file); // and every topic it can reach loads or is reported missing
    for (const char* topic : {"units.html", "scale.html", "images/bands.png"})
        window.browser()->followLink(QUrl(QString::fromLatin1(topic)));
    window.searchPane()->wordsField()->setText(QStringLiteral("height"));
    window.searchPane()->listTopics();
}

QByteArray junkBytes(qsizetype size) {
    QByteArray bytes(size, '\0');
    quint32 x = 12345;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DamagedFile,
    testing::Values(
        DamageCase{"Empty", [](const QByteArray&) { return QByteArray(); }, false},
        DamageCase{"HeaderOnly", [](const QByteArray& b) { return b.left(96); }, false},
        DamageCase{"FirstThird", [](const QByteArray& b) { return b.left(b.size() / 3); }, false},
        DamageCase{"AllButTheLastByte", [](const QByteArray& b) { return b.chopped(1); }, true},
        DamageCase{"Junk", [](const QByteArray&) { return junkBytes(20000); }, false},
        DamageCase{"JunkWithSignature",
                   [](const QByteArray& b) { return b.left(4) + junkBytes(b.size() - 4); }, false},
        DamageCase{"DirectoryWiped",
                   [](const QByteArray& b) {
                       QByteArray c = b;
                       c.replace(0x60, 0x2000, QByteArray(0x2000, '\xFF'));
                       return c;
                   },
                   false},
        DamageCase{"ContentWiped",
                   [](const QByteArray& b) {
                       QByteArray c = b;
                       const qsizetype from = b.size() - b.size() / 3;
                       c.replace(from, b.size() - from, junkBytes(b.size() - from));
                       return c;
                   },
                   true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MissingFile, SaysSo) {
    QString error;
    EXPECT_FALSE(HelpFile::open(QStringLiteral("/nonexistent/BMI-Trevala.chm"),
                                QStringLiteral("Main"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("missing"))) << error.toStdString();
}

// ---- the program ----------------------------------------------------------------------

struct ViewerRun {
    int exitCode = -1;
    bool crashed = true;
    QString out, err;
};

ViewerRun startViewer(const QStringList& args) {
    QProcess viewer;
    viewer.start(viewerPath(), args);
    ViewerRun run;
    if (!viewer.waitForFinished(60000)) {
        viewer.kill();
        viewer.waitForFinished();
        return run;
    }
    run.crashed = viewer.exitStatus() != QProcess::NormalExit;
    run.exitCode = viewer.exitCode();
    run.out = QString::fromUtf8(viewer.readAllStandardOutput());
    run.err = QString::fromUtf8(viewer.readAllStandardError());
    return run;
}

TEST(ViewerProgram, CheckPrintsTopicCaptionAndTitle) {
    const ViewerRun run =
        startViewer({QStringLiteral("--check"), helpPath() + QStringLiteral(">Main")});
    EXPECT_FALSE(run.crashed);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    // Every page of the project is reachable, so every one is laid out.
    QFile project(qEnvironmentVariable("BMI_SOURCE_DIR") + QStringLiteral("/help/BMI-Trevala.hhp"));
    ASSERT_TRUE(project.open(QIODevice::ReadOnly));
    const auto pages = QString::fromUtf8(project.readAll())
                           .count(QRegularExpression(QStringLiteral("^[\\w-]+\\.html$"),
                                                     QRegularExpression::MultilineOption));
    EXPECT_EQ(run.out, QStringLiteral("topic: /index.html\ncaption: BMI-Trevala Help\n"
                                      "title: Welcome to BMI-Trevala\ntopics: %1\n")
                           .arg(pages));
}

TEST(ViewerProgram, CheckFailsCleanlyOnBadFiles) {
    QTemporaryDir dir;
    const QString junk = dir.filePath(QStringLiteral("junk.chm"));
    QFile out(junk);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(junkBytes(5000));
    out.close();
    for (const QString& request :
         {junk + QStringLiteral(">Main"), dir.filePath(QStringLiteral("absent.chm>Main")),
          dir.path() + QStringLiteral(">Main")}) {
        const ViewerRun run = startViewer({QStringLiteral("--check"), request});
        EXPECT_FALSE(run.crashed) << request.toStdString();
        EXPECT_EQ(run.exitCode, 1) << request.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("could not be opened")))
            << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    const ViewerRun noRequest = startViewer({QStringLiteral("--check")});
    EXPECT_FALSE(noRequest.crashed);
    EXPECT_EQ(noRequest.exitCode, 2);
}

// Damaged copies of our own file as a careless disk or a hostile sender makes them: bytes
// overwritten here and there, and now and then the end cut off. Each must end the check
// with its own verdict, never by a signal; a run that hangs is stopped and fails.
TEST(ViewerProgram, CheckEndsCleanlyOnMutatedCopies) {
    constexpr int kCopies = 500;
    constexpr int kAtOnce = 4;
    constexpr int kRunTimeoutMs = 30000; // generous: the machine may be busy
    const QByteArray good = helpBytes();
    ASSERT_FALSE(good.isEmpty());
    QTemporaryDir dir;
    std::uint32_t x = 20240917u;
    auto next = [&x] {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    };
    QStringList paths;
    for (int i = 0; i < kCopies; ++i) {
        QByteArray copy = good;
        const std::uint32_t changes = 1 + next() % 8;
        for (std::uint32_t c = 0; c < changes; ++c)
            copy[static_cast<qsizetype>(next() % copy.size())] = static_cast<char>(next());
        if (i % 4 == 3)
            copy.truncate(static_cast<qsizetype>(next() % copy.size()));
        paths.append(dir.filePath(QStringLiteral("copy%1.chm").arg(i)));
        QFile out(paths.back());
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(copy);
    }

    int ok = 0;
    int refused = 0;
    for (qsizetype first = 0; first < paths.size(); first += kAtOnce) {
        std::vector<std::unique_ptr<QProcess>> runs;
        for (qsizetype i = first; i < std::min(first + kAtOnce, paths.size()); ++i) {
            runs.push_back(std::make_unique<QProcess>());
            runs.back()->setStandardOutputFile(QProcess::nullDevice());
            runs.back()->setStandardErrorFile(QProcess::nullDevice());
            runs.back()->start(viewerPath(),
                               {QStringLiteral("--check"), paths[i] + QStringLiteral(">Main")});
        }
        for (std::size_t k = 0; k < runs.size(); ++k) {
            QProcess& run = *runs[k];
            const std::string name = paths[first + static_cast<qsizetype>(k)].toStdString();
            if (!run.waitForFinished(kRunTimeoutMs)) {
                ADD_FAILURE() << name << " did not end";
                run.kill();
                run.waitForFinished();
                continue;
            }
            EXPECT_EQ(run.exitStatus(), QProcess::NormalExit) << name << " ended by a signal";
            EXPECT_TRUE(run.exitCode() == 0 || run.exitCode() == 1)
                << name << " exit " << run.exitCode();
            ok += run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
            refused += run.exitStatus() == QProcess::NormalExit && run.exitCode() == 1;
        }
    }
    // Both verdicts occur, or the copies were not damaged the way they should be.
    EXPECT_GT(ok, 0);
    EXPECT_GT(refused, 0);
}

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

TEST(ViewerProgram, ErrorBoxShowsNamesAsWritten) {
    const auto box =
        errorBox(QStringLiteral("The help file \"<img src=/x>.chm\" could not be opened."));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_TRUE(label->text().contains(QStringLiteral("<img src=/x>.chm")));
}

// ---- one viewer per file ------------------------------------------------------------

TEST(SingleViewer, NameDependsOnTheFileNotOnHowItIsWritten) {
    QTemporaryDir dir;
    QFile::copy(helpPath(), dir.filePath(QStringLiteral("a.chm")));
    QFile::copy(helpPath(), dir.filePath(QStringLiteral("b.chm")));
    const QString a = dir.filePath(QStringLiteral("a.chm"));
    EXPECT_EQ(InstanceGuard::serverName(a),
              InstanceGuard::serverName(dir.path() + QStringLiteral("/./x/../a.chm")));
    EXPECT_NE(InstanceGuard::serverName(a),
              InstanceGuard::serverName(dir.filePath(QStringLiteral("b.chm"))));
    EXPECT_LT(InstanceGuard::serverName(a).size(), 80);
}

TEST(SingleViewer, SecondAsksFirstToComeForward) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BMI-Trevala.chm"));
    ASSERT_TRUE(QFile::copy(helpPath(), path));

    InstanceGuard second(path);
    EXPECT_FALSE(second.notifyRunning()); // nobody there yet

    InstanceGuard first(path);
    ASSERT_TRUE(first.listen());
    // Nobody may listen on a name that is taken, not even with the same rights.
    EXPECT_FALSE(second.listen());
    QSignalSpy raised(&first, &InstanceGuard::raiseRequested);
    // Callers that say nothing, or something else, raise nothing and block no one.
    for (const QByteArray& said : {QByteArray(), QByteArray("rais"), QByteArray(4096, 'x')}) {
        QLocalSocket caller;
        caller.connectToServer(first.serverName());
        ASSERT_TRUE(caller.waitForConnected(10000));
        caller.write(said);
        caller.waitForBytesWritten(10000);
        caller.disconnectFromServer();
        QTest::qWait(20);
    }
    EXPECT_EQ(raised.count(), 0);
    EXPECT_TRUE(second.notifyRunning());
    EXPECT_TRUE(raised.wait(10000));
    EXPECT_EQ(raised.count(), 1);
}

TEST(SingleViewer, SecondProgramLeavesFirstStays) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BMI-Trevala.chm"));
    ASSERT_TRUE(QFile::copy(helpPath(), path));
    const QString request = path + QStringLiteral(">Main");

    QProcess first;
    first.start(viewerPath(), {request});
    ASSERT_TRUE(first.waitForStarted(30000));
    // Wait until the first viewer answers on its socket.
    bool listening = false;
    for (int i = 0; i < 300 && !listening && first.state() == QProcess::Running; ++i) {
        QLocalSocket probe;
        probe.connectToServer(InstanceGuard::serverName(path));
        listening = probe.waitForConnected(100);
        if (!listening)
            first.waitForFinished(100);
    }
    ASSERT_TRUE(listening) << QString::fromUtf8(first.readAllStandardError()).toStdString();

    const ViewerRun second = startViewer({request});
    EXPECT_FALSE(second.crashed);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // Told to end, it takes its socket and lock along.
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_FALSE(QFileInfo::exists(InstanceGuard::serverName(path)));
    EXPECT_FALSE(QFileInfo::exists(InstanceGuard::serverName(path) + QStringLiteral(".lock")));
}

// Started in the same instant, two viewers of one file end as one window: one hands over
// and leaves, the other stays.
TEST(SingleViewer, TwoStartedTogetherGiveOneWindow) {
    QTemporaryDir runtime; // made private (0700), as a session's runtime directory is
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BMI-Trevala.chm"));
    ASSERT_TRUE(QFile::copy(helpPath(), path));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    for (int round = 0; round < 2; ++round) {
        QProcess viewers[2];
        for (QProcess& viewer : viewers) {
            viewer.setProcessEnvironment(environment);
            viewer.start(viewerPath(), {path + QStringLiteral(">Main")});
        }
        for (QProcess& viewer : viewers)
            ASSERT_TRUE(viewer.waitForStarted(30000));
        QDeadlineTimer deadline(30000);
        // A process's end is noticed only while someone waits for it: take turns.
        for (int i = 0; viewers[0].state() == QProcess::Running &&
                        viewers[1].state() == QProcess::Running && !deadline.hasExpired();
             i = 1 - i)
            viewers[i].waitForFinished(25);
        QTest::qWait(1000); // a second one to leave would have left by now
        int running = 0;
        for (QProcess& viewer : viewers) {
            if (viewer.state() == QProcess::Running) {
                ++running;
            } else {
                EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
                EXPECT_EQ(viewer.exitCode(), 0);
            }
        }
        EXPECT_EQ(running, 1) << "round " << round;
        for (QProcess& viewer : viewers) {
            viewer.terminate();
            if (!viewer.waitForFinished(10000)) {
                viewer.kill();
                viewer.waitForFinished();
            }
        }
    }
}

// Another user's program listening at the name is never told anything, and the name is
// taken back from it.
TEST(SingleViewer, APlantedSocketIsNotTrusted) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can plant a socket as another user";
    QTemporaryDir runtime;
    const bool hadRuntime = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BMI-Trevala.chm"));
    ASSERT_TRUE(QFile::copy(helpPath(), path));
    const QByteArray name = QFile::encodeName(InstanceGuard::serverName(path));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<std::size_t>(name.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));

    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t planter = ::fork();
    ASSERT_GE(planter, 0);
    if (planter == 0) {
        // Only system calls here: the test process has threads.
        ::alarm(30);
        const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (server < 0 ||
            ::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
            ::syscall(SYS_setresgid, 65534, 65534, 65534) != 0 ||
            ::syscall(SYS_setresuid, 65534, 65534, 65534) != 0 || ::listen(server, 4) != 0)
            ::_exit(1);
        const char ready = 'r';
        [[maybe_unused]] auto w = ::write(report[1], &ready, 1);
        const int peer = ::accept(server, nullptr, nullptr);
        unsigned char received = 0;
        char buffer[64];
        ssize_t got = 0;
        while (peer >= 0 && (got = ::read(peer, buffer, sizeof buffer)) > 0)
            received = static_cast<unsigned char>(received + got);
        w = ::write(report[1], &received, 1);
        ::_exit(0);
    }
    ::close(report[1]);
    char ready = 0;
    ASSERT_EQ(::read(report[0], &ready, 1), 1);

    InstanceGuard guard(path);
    EXPECT_FALSE(guard.notifyRunning());
    unsigned char received = 0xFF;
    EXPECT_EQ(::read(report[0], &received, 1), 1);
    EXPECT_EQ(received, 0);
    EXPECT_TRUE(guard.listen());
    ::close(report[0]);
    int status = 0;
    ::waitpid(planter, &status, 0);
    if (hadRuntime)
        qputenv("XDG_RUNTIME_DIR", savedRuntime);
    else
        qunsetenv("XDG_RUNTIME_DIR");
}

} // namespace

#include "help_viewer_tests.moc"
