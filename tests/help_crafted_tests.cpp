// Help files crafted to make the viewer freeze or take gigabytes: each must open (or be
// refused with a message) and stay within its caps, in the window and in --check.
//
// Each file is our own help file with a new directory written after it: topics and
// lists are added uncompressed at its end, under names of our choosing, and names may
// point anywhere. Set BMI_CRAFTED_OUT to a folder to keep the files (the whole-file
// fuzzer's seeds come from here).
#include "chm/ChmFile.h"
#include "chm/TopicLimits.h"
#include "search/SearchIndex.h"
#include "window/HelpBrowser.h"
#include "window/HelpFile.h"
#include "window/HelpWindow.h"
#include "window/SearchPane.h"

#include "tests/support/HelpTest.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

using namespace bmi::help;
using namespace bmi::test;

namespace {

// ---- writing a help file's directory ----------------------------------------------------

std::uint64_t readLe(const QByteArray& bytes, qsizetype at, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

void writeLe(QByteArray& bytes, qsizetype at, int size, std::uint64_t value) {
    for (int i = 0; i < size; ++i, value >>= 8)
        bytes[at + i] = static_cast<char>(value & 0xFF);
}

// The directory's numbers: 7 bits a byte, most significant first.
void appendNumber(QByteArray& out, std::uint64_t value) {
    QByteArray digits(1, static_cast<char>(value & 0x7F));
    while ((value >>= 7) != 0)
        digits.prepend(static_cast<char>(0x80 | (value & 0x7F)));
    out += digits;
}

std::uint64_t readNumber(const QByteArray& bytes, qsizetype& at) {
    std::uint64_t value = 0;
    std::uint8_t byte = 0;
    do {
        byte = static_cast<std::uint8_t>(bytes[at++]);
        value = value << 7 | (byte & 0x7F);
    } while (byte & 0x80);
    return value;
}

// Offsets in the file's headers.
constexpr qsizetype kHeaderSection0 = 0x38;
constexpr qsizetype kDirectoryOffset = 0x48;
constexpr qsizetype kDirectoryLength = 0x50;
constexpr qsizetype kContentOffset = 0x58;
constexpr qsizetype kDirectoryHeader = 0x54;
constexpr qsizetype kChunkEntries = 0x14;

class CraftedChm {
public:
    struct Entry {
        QByteArray name;
        unsigned section = 0;
        std::uint64_t offset = 0;
        std::uint64_t length = 0;
    };

    explicit CraftedChm(QByteArray base) : m_bytes(std::move(base)) {
        const auto directory = static_cast<qsizetype>(readLe(m_bytes, kDirectoryOffset, 8));
        m_directoryHeader = m_bytes.mid(directory, kDirectoryHeader);
        m_chunkSize = static_cast<qsizetype>(readLe(m_directoryHeader, 0x10, 4));
        const auto chunks = static_cast<qsizetype>(readLe(m_directoryHeader, 0x2C, 4));
        for (qsizetype c = 0; c < chunks; ++c) {
            const QByteArray chunk =
                m_bytes.mid(directory + kDirectoryHeader + c * m_chunkSize, m_chunkSize);
            if (!chunk.startsWith("PMGL"))
                continue;
            qsizetype at = kChunkEntries;
            for (auto n = readLe(chunk, m_chunkSize - 2, 2); n > 0; --n) {
                Entry entry;
                const auto length = static_cast<qsizetype>(readNumber(chunk, at));
                entry.name = chunk.mid(at, length);
                at += length;
                entry.section = static_cast<unsigned>(readNumber(chunk, at));
                entry.offset = readNumber(chunk, at);
                entry.length = readNumber(chunk, at);
                m_entries[entry.name] = entry;
            }
        }
        m_content = readLe(m_bytes, kContentOffset, 8);
    }

    const Entry* find(const QByteArray& name) const {
        const auto found = m_entries.find(name);
        return found == m_entries.end() ? nullptr : &found->second;
    }

    void remove(const QByteArray& name) { m_entries.erase(name); }

    void point(const QByteArray& name, unsigned section, std::uint64_t offset,
               std::uint64_t length) {
        m_entries[name] = {name, section, offset, length};
    }

    // Stored uncompressed at the end of the file.
    void put(const QByteArray& name, const QByteArray& data) {
        point(name, 0, static_cast<std::uint64_t>(m_bytes.size()) - m_content,
              static_cast<std::uint64_t>(data.size()));
        m_bytes += data;
    }

    void alias(const QByteArray& name, const QByteArray& target) {
        const Entry entry = *find(target);
        point(name, entry.section, entry.offset, entry.length);
    }

    // The file with its new directory after everything: listing chunks only, read in order.
    QByteArray bytes() const {
        QByteArray listing;
        QByteArray entries;
        std::uint64_t count = 0;
        auto close = [&] {
            QByteArray chunk(m_chunkSize, '\0');
            chunk.replace(0, 4, "PMGL");
            writeLe(chunk, 4, 4, static_cast<std::uint64_t>(m_chunkSize - kChunkEntries));
            writeLe(chunk, 0x0C, 8, ~std::uint64_t{0}); // no previous or next chunk named
            chunk.replace(kChunkEntries, entries.size(), entries);
            writeLe(chunk, m_chunkSize - 2, 2, count);
            listing += chunk;
            entries.clear();
            count = 0;
        };
        for (const auto& named : m_entries) {
            const Entry& entry = named.second;
            QByteArray one;
            appendNumber(one, static_cast<std::uint64_t>(entry.name.size()));
            one += entry.name;
            appendNumber(one, entry.section);
            appendNumber(one, entry.offset);
            appendNumber(one, entry.length);
            if (kChunkEntries + entries.size() + one.size() + 2 > m_chunkSize)
                close();
            entries += one;
            ++count;
        }
        close();

        QByteArray out = m_bytes;
        const auto directory = static_cast<std::uint64_t>(out.size());
        QByteArray header = m_directoryHeader;
        const auto chunks = static_cast<std::uint64_t>(listing.size() / m_chunkSize);
        writeLe(header, 0x18, 4, 1);          // depth: listing chunks only
        writeLe(header, 0x1C, 4, 0xFFFFFFFF); // no index chunk
        writeLe(header, 0x20, 4, 0);          // first and last listing chunks
        writeLe(header, 0x24, 4, chunks - 1);
        writeLe(header, 0x2C, 4, chunks);
        out += header + listing;
        writeLe(out, kDirectoryOffset, 8, directory);
        writeLe(out, kDirectoryLength, 8, static_cast<std::uint64_t>(out.size()) - directory);
        const auto section0 = static_cast<qsizetype>(readLe(out, kHeaderSection0, 8));
        writeLe(out, section0 + 8, 8, static_cast<std::uint64_t>(out.size()));
        return out;
    }

private:
    QByteArray m_bytes;
    QByteArray m_directoryHeader;
    qsizetype m_chunkSize = 0;
    std::uint64_t m_content = 0;
    std::map<QByteArray, Entry> m_entries;
};

// ---- the crafted files ------------------------------------------------------------------

QByteArray page(const QByteArray& title, const QByteArray& body) {
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

// Distinct words ("w1a2b"...), as many as fit in about `bytes`.
QByteArray distinctWords(const QByteArray& prefix, qsizetype bytes) {
    QByteArray words;
    for (int i = 0; words.size() < bytes; ++i)
        words += prefix + QByteArray::number(i, 36) + ' ';
    return words;
}

QByteArray repeated(const QByteArray& part, int times) {
    QByteArray out;
    for (int i = 0; i < times; ++i)
        out += part;
    return out;
}

QByteArray links(const QByteArray& stem, int count) {
    QByteArray out;
    for (int i = 1; i <= count; ++i)
        out += "<a href=\"" + stem + QByteArray::number(i) + ".html\">" + QByteArray::number(i) +
               "</a> ";
    return out;
}

constexpr int kFarAway = 1 << 30; // bytes into the compressed section, times eight below
const QByteArray kResetTable =
    "::DataSpace/Storage/MSCompressed/Transform/{7FC28940-9D31-11D0-9B27-00A0C91E9C7C}/"
    "InstanceData/ResetTable";
const QByteArray kLongRun = QString(30000, QChar(0xFDFA)).toUtf8();

struct CraftedCase {
    const char* name;
    // Makes the file from ours: `dir` is a folder of its own for anything it needs.
    std::function<void(CraftedChm&, const QString& dir)> craft;
    bool opens;
    bool pageCut;      // the default topic ends with the notice that it was cut
    int checkedTopics; // as --check counts them
    bool checkStopped; // --check ran out of work allowed
    QByteArray search; // typed in the Search tab; empty for none
    int found;         // topics listed for it
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const CraftedCase& row, std::ostream* os) { *os << row.name; }
};

// Records every resource the page asks for.
class RecordingBrowser : public HelpBrowser {
public:
    using HelpBrowser::HelpBrowser;
    QVariant loadResource(int type, const QUrl& name) override {
        asked.append(name.toString());
        return HelpBrowser::loadResource(type, name);
    }
    QStringList asked;
};

class CraftedFile : public testing::TestWithParam<CraftedCase> {};

TEST_P(CraftedFile, StaysWithinItsCaps) {
    const CraftedCase& row = GetParam();
    QFile ours(helpPath());
    ASSERT_TRUE(ours.open(QIODevice::ReadOnly));
    CraftedChm crafted(ours.readAll());
    // No contents and no index: a topic is reached from the default topic or not at all.
    crafted.remove("/contents.hhc");
    crafted.remove("/index.hhk");
    QTemporaryDir dir;
    row.craft(crafted, dir.path());
    const QByteArray bytes = crafted.bytes();
    const QString path = dir.filePath(QStringLiteral("crafted.chm"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    if (const QString keep = qEnvironmentVariable("BMI_CRAFTED_OUT"); !keep.isEmpty())
        QFile::copy(path, QDir(keep).filePath(QLatin1String(row.name) + QStringLiteral(".chm")));

    // Reading every object expands the compressed section once at most (ours is 33 KB).
    if (const auto chm = ChmFile::open(QFile::encodeName(path).toStdString())) {
        for (const std::string& name : chm->list())
            chm->read(name);
        EXPECT_LE(chm->expandedBytes(), 64u * 1024u);
    }

    QString error;
    const auto file = HelpFile::open(path, QStringLiteral("Main"), &error);
    ASSERT_EQ(file != nullptr, row.opens) << error.toStdString();
    if (!file) {
        EXPECT_TRUE(error.contains(QStringLiteral("could not be opened"))) << error.toStdString();
        return;
    }

    // The default topic drawn as on a screen of twice the density: pictures are asked of
    // the file by the names the page gives, never by names made up from them.
    RecordingBrowser browser(*file);
    browser.setSource(file->defaultTopic());
    browser.document()->setTextWidth(560);
    EXPECT_LE(browser.document()->documentLayout()->documentSize().height(), kMaxPageHeight);
    EXPECT_EQ(browser.toPlainText().endsWith(QString::fromUtf8(
                  kTooLongNotice.data(), static_cast<qsizetype>(kTooLongNotice.size()))),
              row.pageCut);
    QImage sharp(280, 200, QImage::Format_ARGB32);
    sharp.setDevicePixelRatio(2);
    QPainter painter(&sharp);
    browser.document()->drawContents(&painter, QRectF(0, 0, 280, 200));
    for (const QString& asked : browser.asked)
        EXPECT_FALSE(asked.contains(QStringLiteral("@2x"))) << asked.toStdString();

    // With neither contents nor index, the Search tab is the only one, and shows its pane.
    HelpWindow window(*file);
    if (file->contents().entries.empty() && file->index().entries.empty()) {
        EXPECT_TRUE(window.findChild<SearchPane*>());
    }
    SearchPane* pane = window.searchPane();
    if (!row.search.isEmpty()) {
        pane->wordsField()->setText(QString::fromUtf8(row.search));
        pane->listTopics();
        int found = 0;
        for (int i = 0; i < pane->resultList()->count(); ++i)
            found += (pane->resultList()->item(i)->flags() & Qt::ItemIsEnabled) ? 1 : 0;
        EXPECT_EQ(found, row.found);
    }

    QProcess check;
    check.start(viewerPath(), {QStringLiteral("--check"), path});
    ASSERT_TRUE(check.waitForFinished(60000)) << "--check did not end";
    EXPECT_EQ(check.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(check.exitCode(), 0);
    const QString printed = QString::fromUtf8(check.readAllStandardOutput());
    EXPECT_TRUE(printed.contains(QStringLiteral("topics: %1\n").arg(row.checkedTopics)))
        << printed.toStdString();
    EXPECT_EQ(printed.contains(QStringLiteral("stopped:")), row.checkStopped);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CraftedFile,
    testing::Values(
        CraftedCase{"TallPicture",
                    [](CraftedChm& c, const QString&) {
                        c.put("/index.html", page("Tall", "<img src=\"images/bands.png\" width=10 "
                                                          "height=9000000><br>y"));
                    },
                    true, false, 1, false, "y", 1},
        CraftedCase{"ManyTallPictures",
                    [](CraftedChm& c, const QString&) {
                        c.put("/index.html",
                              page("Tall", repeated("<img src=\"images/bands.png\" width=600 "
                                                    "height=4096>",
                                                    2100)));
                    },
                    true,
                    true,
                    1,
                    false,
                    {},
                    0},
        CraftedCase{"HugeFont",
                    [](CraftedChm& c, const QString&) {
                        c.put("/index.html", page("Huge", "<p style=\"font-size:400pt\">" +
                                                              repeated("word ", 14000) + "</p>"));
                    },
                    true,
                    true,
                    1,
                    false,
                    {},
                    0},
        CraftedCase{"TallTable",
                    [](CraftedChm& c, const QString&) {
                        c.put("/index.html",
                              page("Table", "<p>before</p><table><tr><td>" +
                                                repeated("cell ", 100000) + "</td></tr></table>"));
                    },
                    true, true, 1, false, "before", 1},
        CraftedCase{"HugeSpacing",
                    [](CraftedChm& c, const QString&) {
                        c.put("/index.html",
                              page("Spacing", "<p style=\"margin-top:9000000px; "
                                              "line-height:9000000px\">a</p><table "
                                              "cellspacing=9000000 cellpadding=9000000 "
                                              "border=9000000 height=9000000><tr><td>b</td>"
                                              "</tr></table>"));
                    },
                    true, false, 1, false, "b", 1},
        CraftedCase{"LongWords",
                    [](CraftedChm& c, const QString&) {
                        c.put("/index.html", page("Long", QString(400000, QChar(0xFDFA)).toUtf8() +
                                                              " " + kLongRun + " short"));
                    },
                    true, true, 1, false, kLongRun, 0},
        CraftedCase{"OneObjectManyNames",
                    [](CraftedChm& c, const QString&) {
                        c.put("/index.html", page("Names", links("w", 16)));
                        c.put("/w1.html", page("Words", distinctWords("w", 512 * 1024)));
                        for (int i = 2; i <= 16; ++i)
                            c.alias("/w" + QByteArray::number(i) + ".html", "/w1.html");
                    },
                    true, false, 2, false, "w1a", 1},
        CraftedCase{"IndexFull",
                    [](CraftedChm& c, const QString&) {
                        c.put("/index.html", page("Full", links("f", 10)));
                        for (int i = 1; i <= 10; ++i)
                            c.put("/f" + QByteArray::number(i) + ".html",
                                  page("Words", distinctWords("f" + QByteArray::number(i) + "x",
                                                              500 * 1024)));
                    },
                    true, false, 11, false, "f10x1", 0},
        CraftedCase{"ManyEntries",
                    [](CraftedChm& c, const QString&) {
                        for (int i = 0; i < 140000; ++i)
                            c.point("/e" + QByteArray::number(i, 36), 0, 0, 1);
                    },
                    false,
                    false,
                    0,
                    false,
                    {},
                    0},
        CraftedCase{"ContentsOfOnePage",
                    [](CraftedChm& c, const QString&) {
                        QByteArray list = "<UL>";
                        for (int i = 1; i <= 10000; ++i)
                            list += "<LI><OBJECT type=\"text/sitemap\"><param name=\"Local\" "
                                    "value=\"p" +
                                    QByteArray::number(i) + ".html\"></OBJECT>";
                        c.put("/contents.hhc", list + "</UL>");
                        c.put("/index.html", page("Index", "contents"));
                        c.put("/p1.html", page("Big", repeated("text ", 20000)));
                        for (int i = 2; i <= 10000; ++i)
                            c.alias("/p" + QByteArray::number(i) + ".html", "/p1.html");
                    },
                    true,
                    false,
                    2,
                    false,
                    {},
                    0},
        CraftedCase{"CheckTooLong",
                    [](CraftedChm& c, const QString&) {
                        // Pages of 48,000 characters: the 44th goes past the work allowed.
                        c.put("/index.html", page("Long", links("t", 50)));
                        for (int i = 1; i <= 50; ++i)
                            c.put("/t" + QByteArray::number(i) + ".html",
                                  page("T", repeated("text ", 9600)));
                    },
                    true,
                    false,
                    45,
                    true,
                    {},
                    0},
        CraftedCase{"ReferencesNamingNothing",
                    [](CraftedChm& c, const QString&) {
                        c.put("/index.html",
                              page("Refs&#0;", repeated("&#" + QByteArray(40, '9') +
                                                            "; &#x110000;&#xD800;&eacute;&bogus; "
                                                            "slider's ",
                                                        1000)));
                    },
                    true, false, 1, false, "sliders", 1},
        CraftedCase{"FarInTheCompressedSection",
                    [](CraftedChm& c, const QString&) {
                        c.put("/index.html", page("Far", "<img src=\"far.png\">far"));
                        c.point("/far.png", 1, std::uint64_t{8} * kFarAway, 16);
                    },
                    true, false, 1, false, "far", 1},
        CraftedCase{"PictureBeyondTheSectionsEnd",
                    [](CraftedChm& c, const QString&) {
                        // Read first, it spoils nothing the section holds.
                        c.point("/bad.png", 1, 1024 * 1024, 16);
                        c.alias("/t.html", "/#URLSTR");
                        c.put("/index.html",
                              page("Bad", "<img src=\"bad.png\"><a href=\"t.html\">t</a>"));
                    },
                    true, false, 2, false, "units", 1},
        CraftedCase{"PicturesAtTheEndNoResetTable",
                    [](CraftedChm& c, const QString&) {
                        c.remove(kResetTable);
                        const auto* last = c.find("/#STRINGS");
                        const std::uint64_t end = last->offset + last->length;
                        QByteArray pictures;
                        for (int i = 0; i < 200; ++i) {
                            const QByteArray name = "p" + QByteArray::number(i) + ".png";
                            c.point("/" + name, 1, end - 16, 16);
                            pictures += "<img src=\"" + name + "\">";
                        }
                        c.put("/index.html", page("End", pictures + "end"));
                    },
                    true, false, 1, false, "end", 1},
        CraftedCase{"SharperPictureOnDisk",
                    [](CraftedChm& c, const QString& dir) {
                        QImage sharper(4, 4, QImage::Format_RGB32);
                        sharper.fill(Qt::white);
                        sharper.save(dir + QStringLiteral("/pic@2x.png"));
                        c.put("/index.html", page("Sharp", "<img src=\"" + QFile::encodeName(dir) +
                                                               "/pic.png\">sharp"));
                    },
                    true,
                    false,
                    1,
                    false,
                    {},
                    0}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- character references ------------------------------------------------------------

struct EntityRow {
    const char* name;
    QByteArray written;
    const char* shown; // UTF-8
    // The page shows it so too; the view has its own way with numbers that name nothing.
    bool inPage = true;
};

const std::vector<EntityRow> kEntityRows{
    {"AccentsAndSigns", "Caf&eacute; &copy; &#233;", "Caf\xC3\xA9 \xC2\xA9 \xC3\xA9"},
    {"Latin1", "&nbsp;&iexcl;&THORN;&yuml;&divide;", "\xC2\xA0\xC2\xA1\xC3\x9E\xC3\xBF\xC3\xB7"},
    {"Greek", "&Omega;&omega;&sigmaf;&thetasym;&piv;", "\xCE\xA9\xCF\x89\xCF\x82\xCF\x91\xCF\x96"},
    {"Symbols", "&forall;&notin;&lArr;&loz;&diams;&weierp;",
     "\xE2\x88\x80\xE2\x88\x89\xE2\x87\x90\xE2\x97\x8A\xE2\x99\xA6\xE2\x84\x98"},
    {"Special", "&OElig;&Scaron;&lsaquo;&Dagger;&permil;&euro;&apos;",
     "\xC5\x92\xC5\xA0\xE2\x80\xB9\xE2\x80\xA1\xE2\x80\xB0\xE2\x82\xAC'"},
    {"NamesHaveCase", "&Eacute;&eacute;&AMP;&Copy;&COPY;", "\xC3\x89\xC3\xA9&&Copy;&COPY;"},
    {"Numbers", "&#65;&#x42;&#X43;&#x1F600;&#0000068;",
     "ABC\xF0\x9F\x98\x80"
     "D"},
    {"WindowsCodePage", "&#150;&#147;&#128;&#x9F;", "\xE2\x80\x93\xE2\x80\x9C\xE2\x82\xAC\xC5\xB8"},
    {"NotReferences", "&bogus; &ampx; AT&T & &amp &#; &#x; &#xG; &#-1; &#00000068;",
     "&bogus; &ampx; AT&T & &amp &#; &#x; &#xG; &#-1; &#00000068;"},
    {"NumbersNamingNothing", "&#0;&#xD800;&#x110000;&#1114112;",
     "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", false},
};

// The contents, the index, the search and the page all show a reference alike: one entry
// in each list and one topic per row, the topic's title and text being the row.
class EntityFile {
public:
    EntityFile() {
        QFile ours(helpPath());
        if (!ours.open(QIODevice::ReadOnly))
            return;
        CraftedChm crafted(ours.readAll());
        QByteArray list = "<UL>";
        for (std::size_t i = 0; i < kEntityRows.size(); ++i) {
            const QByteArray shown = '[' + kEntityRows[i].written + ']';
            const QByteArray topic = "e" + QByteArray::number(i) + ".html";
            list += "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"" + shown +
                    "\"><param name=\"Local\" value=\"" + topic + "\"></OBJECT>";
            crafted.put('/' + topic, page(shown, "<p>" + shown + "</p>"));
        }
        crafted.put("/contents.hhc", list + "</UL>");
        crafted.put("/index.hhk", list + "</UL>");
        QFile out(m_dir.filePath(QStringLiteral("entities.chm")));
        if (!out.open(QIODevice::WriteOnly))
            return;
        out.write(crafted.bytes());
        out.close();
        QString error;
        m_file = HelpFile::open(out.fileName(), QStringLiteral("Main"), &error);
        if (m_file)
            m_window = std::make_unique<HelpWindow>(*m_file);
    }
    HelpWindow* window() const { return m_window.get(); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<HelpFile> m_file;
    std::unique_ptr<HelpWindow> m_window;
};

// One file for all rows, made once; gone before the application is.
class Entities : public testing::TestWithParam<std::size_t> {
protected:
    static void SetUpTestSuite() { s_made = std::make_unique<EntityFile>(); }
    static void TearDownTestSuite() { s_made.reset(); }
    static inline std::unique_ptr<EntityFile> s_made;
};

TEST_P(Entities, ShowAlikeInEveryPlace) {
    ASSERT_TRUE(s_made->window());
    const std::size_t i = GetParam();
    const EntityRow& row = kEntityRows[i];
    const QString shown = '[' + QString::fromUtf8(row.shown) + ']';
    const QByteArray written = '[' + row.written + ']';

    EXPECT_EQ(decodeEntities(row.written.toStdString()), row.shown);
    HelpWindow* window = s_made->window();
    EXPECT_EQ(window->contentsTree()->topLevelItem(static_cast<int>(i))->text(0), shown);
    EXPECT_EQ(window->indexList()->item(static_cast<int>(i))->text(), shown);
    const PageText text =
        extractPageText(QString::fromUtf8(page(written, "<p>" + written + "</p>")));
    EXPECT_EQ(text.title, shown);
    EXPECT_EQ(text.text.trimmed(), shown);
    if (!row.inPage)
        return;
    HelpBrowser* browser = window->browser();
    browser->setSource(topicUrl(QStringLiteral("e%1.html").arg(i)));
    EXPECT_EQ(browser->documentTitle(), shown);
    EXPECT_EQ(browser->document()->toRawText(), shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, Entities, testing::Range<std::size_t>(0, kEntityRows.size()),
                         [](const auto& info) {
                             return std::string(kEntityRows[info.param].name);
                         });

} // namespace
