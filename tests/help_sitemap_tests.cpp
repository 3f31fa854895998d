// The reader of contents and index lists: the usual layout, the sloppy HTML that help
// authors write, and lists built to exhaust it.
#include "chm/SiteMap.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace bmi::help;

namespace {

// The tree as text: "Name=local(child,child),Name=local".
std::string shape(const std::vector<SiteMapEntry>& entries) {
    std::string out;
    for (const SiteMapEntry& e : entries) {
        if (!out.empty())
            out += ',';
        out += e.name + '=' + e.local;
        if (!e.children.empty())
            out += '(' + shape(e.children) + ')';
    }
    return out;
}

std::string item(const std::string& name, const std::string& local) {
    return "<LI> <OBJECT type=\"text/sitemap\">\n"
           "\t<param name=\"Name\" value=\"" +
           name + "\">\n\t<param name=\"Local\" value=\"" + local + "\">\n\t</OBJECT>\n";
}

struct SiteMapCase {
    const char* name;
    std::string html;
    std::string shape;
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const SiteMapCase& row, std::ostream* os) { *os << row.name; }
};

std::vector<SiteMapCase> siteMapCases() {
    return {
        {"Flat", "<UL>" + item("A", "a.html") + item("B", "b.html") + "</UL>", "A=a.html,B=b.html"},
        {"Nested",
         "<HTML><BODY><OBJECT type=\"text/site properties\"><param name=\"Window Styles\" "
         "value=\"0x800025\"></OBJECT><UL>" +
             item("A", "a.html") + "<UL>" + item("A1", "a1.html") + "<UL>" +
             item("A11", "a11.html") + "</UL>" + item("A2", "a2.html") + "</UL>" +
             item("B", "b.html") + "</UL></BODY></HTML>",
         "A=a.html(A1=a1.html(A11=a11.html),A2=a2.html),B=b.html"},
        {"LowerCaseAndOddQuoting",
         "<ul><li><object type='TEXT/SITEMAP'><PARAM NAME=name VALUE='Single'>"
         "<param name=local value=s.html></object>"
         "<li><object type=\"text/sitemap\"><param value=\"Swapped\" name=\"Name\"/>"
         "<param name = \"Local\" value = \"w.html\" /></object></ul>",
         "Single=s.html,Swapped=w.html"},
        {"Latin1TextWithReferences", "<UL>" + item("Caf\xE9 &copy;", "c.html") + "</UL>",
         "Caf\xC3\xA9 \xC2\xA9=c.html"},
        {"GreaterThanInsideValue", "<UL>" + item("a > b", "x.html") + "</UL>", "a > b=x.html"},
        {"OtherObjectsIgnored",
         "<UL><LI><OBJECT type=\"text/other\"><param name=\"Name\" value=\"No\">"
         "</OBJECT>" +
             item("Yes", "y.html") + "</UL>",
         "Yes=y.html"},
        {"EntryWithoutAnythingSkipped",
         "<UL><LI><OBJECT type=\"text/sitemap\"></OBJECT>" + item("A", "a.html") + "</UL>",
         "A=a.html"},
        {"NameWithoutLocalKept",
         "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Book\">"
         "</OBJECT><UL>" +
             item("Page", "p.html") + "</UL></UL>",
         "Book=(Page=p.html)"},
        {"FirstNameAndLocalCount",
         "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Key\">"
         "<param name=\"Name\" value=\"Topic one\"><param name=\"Local\" value=\"1.html\">"
         "<param name=\"Name\" value=\"Topic two\"><param name=\"Local\" value=\"2.html\">"
         "</OBJECT></UL>",
         "Key=1.html"},
        {"CommentsSkipped",
         "<UL><!-- " + item("Hidden", "h.html") + " -->" + item("A", "a.html") + "</UL>",
         "A=a.html"},
        {"UnclosedListsKeepEntries", "<UL>" + item("A", "a.html") + "<UL>" + item("A1", "a1.html"),
         "A=a.html(A1=a1.html)"},
        {"ExtraClosingLists",
         "</UL></UL><UL>" + item("A", "a.html") + "</UL></UL>" + item("B", "b.html"),
         "A=a.html,B=b.html"},
        {"InnerListWithoutEntryStaysFlat",
         "<UL><UL>" + item("A", "a.html") + "</UL>" + item("B", "b.html") + "</UL>",
         "A=a.html,B=b.html"},
        {"TextEndsInsideQuote",
         "<UL>" + item("A", "a.html") +
             "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"B",
         "A=a.html"},
        {"ObjectNeverClosed",
         "<UL>" + item("A", "a.html") +
             "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"B\">",
         "A=a.html"},
        {"NotHtmlAtAll", "just some text > with < brackets & such", ""},
    };
}

class SiteMapParse : public testing::TestWithParam<SiteMapCase> {};

TEST_P(SiteMapParse, BuildsTree) {
    EXPECT_EQ(shape(parseSiteMap(GetParam().html).entries), GetParam().shape);
}

INSTANTIATE_TEST_SUITE_P(Rows, SiteMapParse, testing::ValuesIn(siteMapCases()),
                         [](const auto& info) { return std::string(info.param.name); });

std::size_t depth(const std::vector<SiteMapEntry>& entries) {
    std::size_t deepest = 0;
    for (const SiteMapEntry& e : entries)
        deepest = std::max(deepest, 1 + depth(e.children));
    return deepest;
}

std::size_t count(const std::vector<SiteMapEntry>& entries) {
    std::size_t n = 0;
    for (const SiteMapEntry& e : entries)
        n += 1 + count(e.children);
    return n;
}

TEST(SiteMapLimits, DeepNestingIsCapped) {
    std::string html;
    for (int i = 0; i < 5000; ++i)
        html += "<UL>" + item("E", "e.html");
    const SiteMap map = parseSiteMap(html);
    EXPECT_EQ(depth(map.entries), kMaxSiteMapDepth);
    EXPECT_EQ(count(map.entries), 5000u); // nothing is lost, the deep ones stay level
}

TEST(SiteMapLimits, EntryCountIsCapped) {
    std::string html = "<UL>";
    for (std::size_t i = 0; i < kMaxSiteMapEntries + 5; ++i)
        html += item("E", "e.html");
    const SiteMap map = parseSiteMap(html);
    EXPECT_TRUE(map.truncated);
    EXPECT_EQ(count(map.entries), kMaxSiteMapEntries);
}

TEST(SiteMapLimits, LongValuesAreCut) {
    const SiteMap map = parseSiteMap("<UL>" + item(std::string(100000, 'n'), "a.html") + "</UL>");
    ASSERT_EQ(map.entries.size(), 1u);
    EXPECT_EQ(map.entries[0].name.size(), kMaxSiteMapValue);
}

} // namespace
