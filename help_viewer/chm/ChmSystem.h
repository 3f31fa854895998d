#pragma once
// Readers for the system files inside a compiled help file: #SYSTEM (the file's
// options), #WINDOWS (its window definitions) and #STRINGS (the text they point at).
//
// Every byte comes from a file the user may have damaged or replaced, so nothing here
// trusts a length, a count or an offset: a record that does not fit ends the walk, a
// string that does not end inside its buffer is treated as absent, and the caller gets
// what could be read safely.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace bmi::help {

using ByteSpan = std::span<const std::uint8_t>;

// Codes of the #SYSTEM records we use.
inline constexpr std::uint16_t kSysContentsFile = 0;
inline constexpr std::uint16_t kSysIndexFile = 1;
inline constexpr std::uint16_t kSysDefaultTopic = 2;
inline constexpr std::uint16_t kSysTitle = 3;
inline constexpr std::uint16_t kSysDefaultWindow = 5;
inline constexpr std::uint16_t kSysCompiledFile = 6;

// Byte offsets of the fields of one #WINDOWS entry.
inline constexpr std::size_t kWinName = 0x08;
inline constexpr std::size_t kWinNavStyle = 0x10;
inline constexpr std::size_t kWinCaption = 0x14;
inline constexpr std::size_t kWinRect = 0x20; // left, top, right, bottom
inline constexpr std::size_t kWinContentsFile = 0x60;
inline constexpr std::size_t kWinIndexFile = 0x64;
inline constexpr std::size_t kWinDefaultPage = 0x68;
inline constexpr std::size_t kWinHomePage = 0x6C;
inline constexpr std::size_t kWinToolbarFlags = 0x70;

// Limits that keep a hostile file from costing time or memory.
inline constexpr std::size_t kMaxWindows = 256;
inline constexpr std::size_t kMaxStringLength = 4096;

// The options of #SYSTEM. Strings are the raw bytes of the file (normally ASCII or
// UTF-8); a record that is absent leaves its string empty.
struct SystemInfo {
    std::uint32_t version = 0;
    std::string contentsFile;
    std::string indexFile;
    std::string defaultTopic;
    std::string title;
    std::string defaultWindow;
    std::string compiledFile;
    bool truncated = false; // a record ran past the end; the fields before it were kept
    friend bool operator==(const SystemInfo&, const SystemInfo&) = default;
};

struct WindowRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    std::int32_t width() const { return static_cast<std::int32_t>(std::int64_t{right} - left); }
    std::int32_t height() const { return static_cast<std::int32_t>(std::int64_t{bottom} - top); }
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// One window definition. A string whose offset is missing, out of range or without its
// terminating NUL is empty; the rectangle is present only when the entry holds all four
// values and they describe a non-empty area.
struct WindowDef {
    std::string name;
    std::string caption;
    std::string contentsFile;
    std::string indexFile;
    std::string defaultPage;
    std::string homePage;
    std::uint32_t navStyle = 0;
    std::uint32_t toolbarFlags = 0;
    std::optional<WindowRect> rect;
    friend bool operator==(const WindowDef&, const WindowDef&) = default;
};

// Nothing when the data cannot even hold the version number.
std::optional<SystemInfo> parseSystem(ByteSpan system);

// The NUL-terminated string at offset in #STRINGS; nothing when the offset is outside
// the data or no NUL follows within kMaxStringLength bytes.
std::optional<std::string_view> stringAt(ByteSpan strings, std::uint32_t offset);

// Every entry of #WINDOWS that fits inside the data, at most kMaxWindows.
std::vector<WindowDef> parseWindows(ByteSpan windows, ByteSpan strings);

// The first window whose name equals name, ignoring ASCII case.
std::optional<WindowDef> findWindow(ByteSpan windows, ByteSpan strings, std::string_view name);

} // namespace bmi::help
