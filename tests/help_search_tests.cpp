// The full-text search over hand-made topics.
#include "search/SearchIndex.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <utility>
#include <vector>

using namespace bmi::help;

namespace {

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

} // namespace
