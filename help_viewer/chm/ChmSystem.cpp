#include "chm/ChmSystem.h"
#include "chm/AsciiText.h"

#include <algorithm>
#include <cstring>

namespace bmi::help {

namespace {

// Far beyond any screen, small enough that widths and heights cannot overflow.
constexpr std::int32_t kMaxCoordinate = 1'000'000;

bool fits(ByteSpan data, std::size_t offset, std::size_t length) {
    return offset <= data.size() && length <= data.size() - offset;
}

std::optional<std::uint16_t> u16At(ByteSpan data, std::size_t offset) {
    if (!fits(data, offset, 2))
        return std::nullopt;
    return static_cast<std::uint16_t>(data[offset] | (data[offset + 1] << 8));
}

std::optional<std::uint32_t> u32At(ByteSpan data, std::size_t offset) {
    if (!fits(data, offset, 4))
        return std::nullopt;
    return static_cast<std::uint32_t>(data[offset]) |
           (static_cast<std::uint32_t>(data[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(data[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(data[offset + 3]) << 24);
}

std::optional<std::int32_t> i32At(ByteSpan data, std::size_t offset) {
    const auto value = u32At(data, offset);
    if (!value)
        return std::nullopt;
    return static_cast<std::int32_t>(*value); // two's complement, as stored
}

// A #SYSTEM string fills its record up to the first NUL; a record without one is taken
// whole, since its length already bounds it.
std::string recordString(ByteSpan record) {
    const auto* begin = reinterpret_cast<const char*>(record.data());
    const void* nul = record.empty() ? nullptr : std::memchr(begin, 0, record.size());
    const std::size_t length =
        nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - begin) : record.size();
    return std::string(begin, length);
}

std::string stringField(ByteSpan entry, std::size_t field, ByteSpan strings) {
    const auto offset = u32At(entry, field);
    if (!offset)
        return {};
    const auto text = stringAt(strings, *offset);
    return text ? std::string(*text) : std::string();
}

std::optional<WindowRect> rectField(ByteSpan entry) {
    const auto left = i32At(entry, kWinRect);
    const auto top = i32At(entry, kWinRect + 4);
    const auto right = i32At(entry, kWinRect + 8);
    const auto bottom = i32At(entry, kWinRect + 12);
    if (!left || !top || !right || !bottom)
        return std::nullopt;
    for (const std::int32_t v : {*left, *top, *right, *bottom})
        if (v < -kMaxCoordinate || v > kMaxCoordinate)
            return std::nullopt;
    if (*right <= *left || *bottom <= *top)
        return std::nullopt;
    return WindowRect{*left, *top, *right, *bottom};
}

WindowDef parseEntry(ByteSpan entry, ByteSpan strings) {
    WindowDef def;
    def.name = stringField(entry, kWinName, strings);
    def.caption = stringField(entry, kWinCaption, strings);
    def.contentsFile = stringField(entry, kWinContentsFile, strings);
    def.indexFile = stringField(entry, kWinIndexFile, strings);
    def.defaultPage = stringField(entry, kWinDefaultPage, strings);
    def.homePage = stringField(entry, kWinHomePage, strings);
    def.navStyle = u32At(entry, kWinNavStyle).value_or(0);
    def.toolbarFlags = u32At(entry, kWinToolbarFlags).value_or(0);
    def.rect = rectField(entry);
    return def;
}

} // namespace

std::optional<SystemInfo> parseSystem(ByteSpan system) {
    const auto version = u32At(system, 0);
    if (!version)
        return std::nullopt;
    SystemInfo info;
    info.version = *version;
    std::size_t pos = 4;
    while (pos < system.size()) {
        const auto code = u16At(system, pos);
        const auto length = u16At(system, pos + 2);
        if (!code || !length || !fits(system, pos + 4, *length)) {
            info.truncated = true;
            break;
        }
        const ByteSpan record = system.subspan(pos + 4, *length);
        pos += 4 + std::size_t{*length};

        std::string* field = nullptr;
        switch (*code) {
        case kSysContentsFile:
            field = &info.contentsFile;
            break;
        case kSysIndexFile:
            field = &info.indexFile;
            break;
        case kSysDefaultTopic:
            field = &info.defaultTopic;
            break;
        case kSysTitle:
            field = &info.title;
            break;
        case kSysDefaultWindow:
            field = &info.defaultWindow;
            break;
        case kSysCompiledFile:
            field = &info.compiledFile;
            break;
        default:
            break;
        }
        // The first record of a kind counts; a repeat is most likely damage.
        if (field && field->empty())
            *field = recordString(record);
    }
    return info;
}

std::optional<std::string_view> stringAt(ByteSpan strings, std::uint32_t offset) {
    if (offset >= strings.size())
        return std::nullopt;
    const std::size_t window = std::min(strings.size() - offset, kMaxStringLength + 1);
    const auto* begin = reinterpret_cast<const char*>(strings.data()) + offset;
    const void* nul = std::memchr(begin, 0, window);
    if (!nul)
        return std::nullopt;
    return std::string_view(begin, static_cast<std::size_t>(static_cast<const char*>(nul) - begin));
}

std::vector<WindowDef> parseWindows(ByteSpan windows, ByteSpan strings) {
    const auto count = u32At(windows, 0);
    const auto entrySize = u32At(windows, 4);
    if (!count || !entrySize || *entrySize == 0)
        return {};
    const std::size_t room = (windows.size() - 8) / *entrySize;
    const std::size_t n = std::min({std::size_t{*count}, room, kMaxWindows});
    std::vector<WindowDef> defs;
    defs.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        defs.push_back(parseEntry(windows.subspan(8 + i * *entrySize, *entrySize), strings));
    return defs;
}

std::optional<WindowDef> findWindow(ByteSpan windows, ByteSpan strings, std::string_view name) {
    if (name.empty())
        return std::nullopt;
    for (auto& def : parseWindows(windows, strings))
        if (equalsIgnoringCase(def.name, name))
            return std::move(def);
    return std::nullopt;
}

} // namespace bmi::help
