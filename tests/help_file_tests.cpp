// Opening the help file: requests and topic addresses, the file the build made, and
// damaged copies of it.
#include "chm/ChmFile.h"
#include "window/HelpBrowser.h"
#include "window/HelpFile.h"
#include "window/HelpWindow.h"
#include "window/SearchPane.h"

#include "tests/support/HelpTest.h"

#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <set>
#include <vector>

using namespace bmi::help;
using namespace bmi::test;

namespace {

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

} // namespace
