// Input: a whole help file. It goes the way the viewer takes it: open, the system files,
// the contents and index lists, then every object the directory names, extracted.
#include "chm/ChmFile.h"
#include "chm/ChmSystem.h"
#include "chm/SiteMap.h"
#include "fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace bmi::help;

using Bytes = std::optional<std::vector<std::uint8_t>>;

ByteSpan span(const Bytes& data) {
    return data ? ByteSpan(*data) : ByteSpan();
}

void readList(const ChmFile& file, const std::string& name) {
    if (name.empty())
        return;
    const std::string path = name.front() == '/' ? name : "/" + name;
    if (const Bytes text = file.read(path)) {
        parseSiteMap(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto file = ChmFile::fromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!file)
        return 0;

    const Bytes system = file->read("/#SYSTEM");
    const Bytes windows = file->read("/#WINDOWS");
    const Bytes strings = file->read("/#STRINGS");
    if (const auto info = parseSystem(span(system))) {
        const auto window = findWindow(span(windows), span(strings), info->defaultWindow);
        readList(*file, window ? window->contentsFile : info->contentsFile);
        readList(*file, window ? window->indexFile : info->indexFile);
    }

    for (const std::string& name : file->list()) {
        const Bytes object = file->read(name);
        if (!object)
            continue;
        BMI_FUZZ_CHECK(object->size() <= kMaxObjectSize);
        // A cap below the object's size refuses it; one at its size does not.
        if (!object->empty()) {
            BMI_FUZZ_CHECK(!file->read(name, object->size() - 1));
        }
    }
    // Reading again after every other object gives the same bytes: no state of the
    // decompressor leaks from one object into the next.
    BMI_FUZZ_CHECK(file->read("/#SYSTEM") == system);
    // However the objects lie, the compressed section was expanded once, and no further
    // than the cap.
    BMI_FUZZ_CHECK(file->expandedBytes() <= kMaxExpandedSize);
    return 0;
}
