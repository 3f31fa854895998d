// The limiter of a topic's markup: ordinary pages pass unchanged in meaning, deep and
// long ones are cut where the text view would freeze or overflow its stack.
#include "chm/TopicLimits.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

using namespace bmi::help;

namespace {

std::string repeat(const std::string& part, int times) {
    std::string out;
    for (int i = 0; i < times; ++i)
        out += part;
    return out;
}

std::string nestedTables(int depth) {
    return repeat("<table border=1><tr><td>", depth) + "deepest" +
           repeat("</td></tr></table>", depth);
}

int count(const std::string& text, const std::string& part) {
    int count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

struct LimitCase {
    const char* name;
    std::string html;
    // The markup written, or for large pages a piece of it that must be there.
    std::string expected;
    bool whole; // expected is all of it
    bool flattened;
    bool truncated;
    int tables; // "<table" in what is written; -1 when not counted
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const LimitCase& row, std::ostream* os) { *os << row.name; }
};

class TopicLimit : public testing::TestWithParam<LimitCase> {};

TEST_P(TopicLimit, WritesWhatTheViewCanShow) {
    const LimitCase& row = GetParam();
    const LimitedTopic limited = limitTopic(row.html);
    if (row.whole) {
        EXPECT_EQ(limited.html, row.expected);
    } else {
        EXPECT_NE(limited.html.find(row.expected), std::string::npos)
            << limited.html.substr(0, 400);
    }
    EXPECT_EQ(limited.flattened, row.flattened);
    EXPECT_EQ(limited.truncated, row.truncated);
    EXPECT_EQ(limited.html.find(kTooDeepNotice) != std::string::npos, row.flattened);
    EXPECT_EQ(limited.html.find(kTooLongNotice) != std::string::npos, row.truncated);
    if (row.tables >= 0) {
        EXPECT_EQ(count(limited.html, "<table"), row.tables);
    }
}

const std::string kDeep = std::string(kTooDeepNotice);
const std::string kLong = std::string(kTooLongNotice);

INSTANTIATE_TEST_SUITE_P(
    Rows, TopicLimit,
    testing::Values(
        LimitCase{"PlainPage",
                  "<html><head><title>T</title></head><body><p>Hi <b>there</b></p></body></html>",
                  "<html><head><title>T</title></head><body><p>Hi <b>there</b></p></body></html>",
                  true, false, false, 0},
        LimitCase{"AttributesQuotedOneWay",
                  "<A HREF='a b.html' title=x&amp;y name=\"n\" checked>go</A>",
                  "<a href=\"a b.html\" title=\"x&amp;y\" name=\"n\" checked>go</a>", true, false,
                  false, 0},
        LimitCase{"SingleQuotedValueKeepsItsAmpersandAndQuote", "<img alt='&lt;\"'>",
                  "<img alt=\"&amp;lt;&quot;\">", true, false, false, 0},
        LimitCase{"SelfClosedAndVoid", "<p>a<br/>b<hr><td/>", "<p>a<br />b<hr><td />", true, false,
                  false, 0},
        LimitCase{"SpaceAfterLessThanStillATag", "< b>x</b>", "<b>x</b>", true, false, false, 0},
        LimitCase{"StrayLessThanEscaped", "1 <2 <<", "1 &lt;2 &lt;&lt;", true, false, false, 0},
        LimitCase{"NameWithEntityIsText", "<t&#97;ble>", "&lt;t&#97;ble>", true, false, false, 0},
        LimitCase{"CommentsAndDeclarationsDropped",
                  "<!DOCTYPE html><?xml x?>a<!-- <table><td> -->b", "ab", true, false, false, 0},
        LimitCase{"UnmatchedEndTagsDropped", "</b>x</td></br>", "x", true, false, false, 0},
        LimitCase{"QuotedGreaterThanStaysInValue", "<a title=\"a>b\">t</a>",
                  "<a title=\"a>b\">t</a>", true, false, false, 0},
        LimitCase{"TwelveTablesShowWhole", nestedTables(12), "deepest</td></tr></table>", false,
                  false, false, 12},
        LimitCase{"TwentyTablesShownFlatWithText", nestedTables(20), kDeep + "deepest", false, true,
                  false, 12},
        LimitCase{"CellsFindTheirRow", "<table><tr><td>" + repeat("<div><td>", 30) + "x", "x",
                  false, false, false, 1},
        LimitCase{"ThreeThousandTables", nestedTables(3000), kDeep, false, true, false, 12},
        LimitCase{"ThreeThousandDivs", repeat("<div>", 3000) + "x" + repeat("</div>", 3000),
                  kDeep + "x", false, true, false, 0},
        LimitCase{"UnclosedParagraphsAndItemsDoNotNest",
                  repeat("<p><b>x</b>", 500) + repeat("<li>y", 500), "<p><b>x</b><p>", false, false,
                  false, 0},
        LimitCase{"ManyTablesSideBySideCut", repeat(nestedTables(10), 20), kLong, false, false,
                  true, -1},
        LimitCase{"DeepCellFullOfTextCut",
                  nestedTables(11).replace(11 * 24, 7, repeat("word ", 3000)), kLong, false, false,
                  true, -1},
        LimitCase{"HugePageCut", repeat("x", static_cast<int>(kMaxTopicBytes) + 1), kLong, false,
                  false, true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
