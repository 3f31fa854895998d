// The help viewer's search: building the index from the help file the build made (done
// once, the first time the user searches; the target is well under 100 ms) and a query.
#include "search/SearchIndex.h"
#include "window/HelpFile.h"

#include <benchmark/benchmark.h>

#include <string_view>
#include <vector>

namespace {

using bmi::help::HelpFile;
using bmi::help::SearchIndex;

// The same topics the viewer starts from; the rest are found through their links.
std::vector<QUrl> seeds(const HelpFile& file) {
    return file.startingTopics();
}

SearchIndex::Reader reader(const HelpFile& file) {
    return [&file](const QUrl& url) -> std::optional<QString> {
        const auto bytes = file.read(url);
        if (!bytes)
            return std::nullopt;
        return bmi::help::fromHelpText(
            std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    };
}

std::unique_ptr<HelpFile> open(benchmark::State& state) {
    QString error;
    auto file = HelpFile::open(QStringLiteral(BMI_HELP_FILE), QStringLiteral("Main"), &error);
    if (!file)
        state.SkipWithError(error.toStdString().c_str());
    return file;
}

void BuildSearchIndex(benchmark::State& state) {
    const auto file = open(state);
    if (!file)
        return;
    for (auto _ : state) {
        const SearchIndex index = SearchIndex::build(seeds(*file), reader(*file));
        if (index.topicCount() < 7)
            state.SkipWithError("the index missed topics");
    }
}
BENCHMARK(BuildSearchIndex)->Unit(benchmark::kMillisecond);

void SearchTwoWords(benchmark::State& state) {
    const auto file = open(state);
    if (!file)
        return;
    const SearchIndex index = SearchIndex::build(seeds(*file), reader(*file));
    for (auto _ : state)
        benchmark::DoNotOptimize(index.find(u"Height CENTIMETERS"));
}
BENCHMARK(SearchTwoWords)->Unit(benchmark::kMicrosecond);

} // namespace
