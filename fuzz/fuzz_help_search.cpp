// Input: a topic page of a help file, as UTF-8. Every link to a page at the file's root
// leads to this page again, so that the index follows links as far as the page makes it
// (a real file holds only so many pages; deeper names are missing here).
#include "fuzz/FuzzCheck.h"
#include "search/SearchIndex.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace bmi::help;
    const QString html =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const PageText page = extractPageText(html);

    const std::vector<Word> words = splitWords(page.text);
    for (const Word& word : words) {
        BMI_FUZZ_CHECK(word.start >= 0 && word.length > 0 && word.length <= kMaxWordLength);
        BMI_FUZZ_CHECK(word.start + word.length <= page.text.size());
    }

    const SearchIndex index = SearchIndex::build({QUrl(QStringLiteral("chm:/a.html"))},
                                                 [&](const QUrl& url) -> std::optional<QString> {
                                                     if (url.path().lastIndexOf(u'/') > 0)
                                                         return std::nullopt;
                                                     return html;
                                                 });
    BMI_FUZZ_CHECK(index.topicCount() >= 1 && index.wordCount() <= kMaxIndexedWords);
    // A word of the page, typed as the page has it, finds every topic: they are all the
    // same page.
    if (!words.empty()) {
        const QStringView typed =
            QStringView(page.text).mid(words.front().start, words.front().length);
        BMI_FUZZ_CHECK(static_cast<qsizetype>(index.find(typed).size()) == index.topicCount());
    }
    index.find(page.title);
    return 0;
}
