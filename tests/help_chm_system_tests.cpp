// The readers of a help file's #SYSTEM, #WINDOWS and #STRINGS, fed hand-made bytes:
// well-formed files and the ways a damaged one lies.
#include "chm/ChmSystem.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

using namespace bmi::help;
using namespace std::string_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Builder {
    Bytes bytes;
    Builder& u16(std::uint16_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
        return *this;
    }
    Builder& u32(std::uint32_t v) {
        u16(static_cast<std::uint16_t>(v));
        return u16(static_cast<std::uint16_t>(v >> 16));
    }
    Builder& raw(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    // A #SYSTEM record whose length is what it holds.
    Builder& record(std::uint16_t code, const std::string& data) {
        u16(code).u16(static_cast<std::uint16_t>(data.size()));
        return raw(data);
    }
};

// ---- #SYSTEM ------------------------------------------------------------------------

struct SystemCase {
    const char* name;
    Bytes data;
    std::optional<SystemInfo> expected;
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const SystemCase& row, std::ostream* os) { *os << row.name; }
};

SystemInfo info(std::uint32_t version, std::string contents, std::string index, std::string topic,
                std::string title, std::string window, std::string compiled,
                bool truncated = false) {
    return SystemInfo{version,          std::move(contents), std::move(index),    std::move(topic),
                      std::move(title), std::move(window),   std::move(compiled), truncated};
}

std::vector<SystemCase> systemCases() {
    return {
        {"AllRecords",
         Builder{}
             .u32(3)
             .record(9, "Compiler 1.0\0"s)
             .record(2, "index.html\0"s)
             .record(3, "BMI-Trevala Help\0"s)
             .record(0, "contents.hhc\0"s)
             .record(1, "index.hhk\0"s)
             .record(5, "Main\0"s)
             .record(6, "BMI-Trevala\0"s)
             .bytes,
         info(3, "contents.hhc", "index.hhk", "index.html", "BMI-Trevala Help", "Main",
              "BMI-Trevala")},
        {"Empty", {}, std::nullopt},
        {"ShorterThanVersion", Builder{}.raw("\3\0\0"s).bytes, std::nullopt},
        {"VersionOnly", Builder{}.u32(3).bytes, info(3, "", "", "", "", "", "")},
        {"RecordHeaderCut", Builder{}.u32(3).record(3, "T\0"s).u16(2).bytes,
         info(3, "", "", "", "T", "", "", true)},
        {"LengthBeyondBuffer",
         Builder{}.u32(3).record(3, "T\0"s).u16(2).u16(0xFFFF).raw("index.html\0"s).bytes,
         info(3, "", "", "", "T", "", "", true)},
        {"StringWithoutNul", Builder{}.u32(3).record(2, "a.html").record(3, "T\0"s).bytes,
         info(3, "", "", "a.html", "T", "", "")},
        {"StringEndsAtFirstNul", Builder{}.u32(3).record(3, "ab\0cd\0"s).bytes,
         info(3, "", "", "", "ab", "", "")},
        {"EmptyRecordThenMore", Builder{}.u32(3).record(2, "").record(3, "T\0"s).bytes,
         info(3, "", "", "", "T", "", "")},
        {"FirstOfARepeatCounts", Builder{}.u32(3).record(3, "One\0"s).record(3, "Two\0"s).bytes,
         info(3, "", "", "", "One", "", "")},
        {"UnknownCodesSkipped",
         Builder{}.u32(2).record(0xFFFF, std::string(300, 'x')).record(5, "Main\0"s).bytes,
         info(2, "", "", "", "", "Main", "")},
    };
}

class SystemParse : public testing::TestWithParam<SystemCase> {};

TEST_P(SystemParse, ReadsWhatFits) {
    EXPECT_EQ(parseSystem(GetParam().data), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, SystemParse, testing::ValuesIn(systemCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- #STRINGS -----------------------------------------------------------------------

struct StringCase {
    const char* name;
    std::string strings;
    std::uint32_t offset;
    std::optional<std::string> expected;
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const StringCase& row, std::ostream* os) { *os << row.name; }
};

const std::string kLong(kMaxStringLength, 'x');

std::vector<StringCase> stringCases() {
    return {
        {"Whole", "\0Main\0"s, 1, "Main"},
        {"AtEnd", "\0Main\0"s, 6, std::nullopt},
        {"FarBeyond", "\0Main\0"s, 0xFFFFFFFFu, std::nullopt},
        {"NoNul", "\0Main"s, 1, std::nullopt},
        {"TooLong", kLong + "y" + '\0', 0, std::nullopt},
    };
}

class StringLookup : public testing::TestWithParam<StringCase> {};

TEST_P(StringLookup, StaysInside) {
    const std::string& table = GetParam().strings;
    const Bytes bytes(table.begin(), table.end());
    const auto found = stringAt(bytes, GetParam().offset);
    EXPECT_EQ(found ? std::optional<std::string>(*found) : std::nullopt, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, StringLookup, testing::ValuesIn(stringCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- #WINDOWS -----------------------------------------------------------------------

// "\0Main\0Help\0toc.hhc\0idx.hhk\0a.html\0b.html\0Unterminated"
struct Strings {
    Bytes bytes{0};
    std::uint32_t add(const std::string& s, bool nul = true) {
        const auto offset = static_cast<std::uint32_t>(bytes.size());
        bytes.insert(bytes.end(), s.begin(), s.end());
        if (nul)
            bytes.push_back(0);
        return offset;
    }
};

struct Table {
    Strings s;
    std::uint32_t main = s.add("Main");
    std::uint32_t caption = s.add("Help");
    std::uint32_t toc = s.add("toc.hhc");
    std::uint32_t idx = s.add("idx.hhk");
    std::uint32_t pageA = s.add("a.html");
    std::uint32_t pageB = s.add("b.html");
    std::uint32_t unterminated = s.add("Unterminated", false);
};
const Table kTable;

Bytes windowEntry(std::size_t size,
                  std::initializer_list<std::pair<std::size_t, std::uint32_t>> fields) {
    Builder entry;
    entry.bytes.resize(size);
    for (const auto& [offset, value] : fields)
        for (int i = 0; i < 4 && offset + i < size; ++i)
            entry.bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return entry.bytes;
}

Bytes fullEntry(std::uint32_t name, std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b,
                std::size_t size = 196) {
    return windowEntry(size, {{kWinName, name},
                              {kWinNavStyle, 0x2520},
                              {kWinCaption, kTable.caption},
                              {kWinRect, static_cast<std::uint32_t>(l)},
                              {kWinRect + 4, static_cast<std::uint32_t>(t)},
                              {kWinRect + 8, static_cast<std::uint32_t>(r)},
                              {kWinRect + 12, static_cast<std::uint32_t>(b)},
                              {kWinContentsFile, kTable.toc},
                              {kWinIndexFile, kTable.idx},
                              {kWinDefaultPage, kTable.pageA},
                              {kWinHomePage, kTable.pageB},
                              {kWinToolbarFlags, 0x387e}});
}

Bytes windowsTable(std::uint32_t count, std::uint32_t entrySize,
                   const std::vector<Bytes>& entries) {
    Builder b;
    b.u32(count).u32(entrySize);
    for (const Bytes& e : entries)
        b.bytes.insert(b.bytes.end(), e.begin(), e.end());
    return b.bytes;
}

WindowDef def(std::string name, std::optional<WindowRect> rect) {
    return WindowDef{std::move(name), "Help", "toc.hhc", "idx.hhk", "a.html",
                     "b.html",        0x2520, 0x387e,    rect};
}

struct WindowsCase {
    const char* name;
    Bytes windows;
    std::vector<WindowDef> expected;
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const WindowsCase& row, std::ostream* os) { *os << row.name; }
};

std::vector<WindowsCase> windowsCases() {
    const Bytes good = fullEntry(kTable.main, 10, 20, 650, 500);
    const WindowDef goodDef = def("Main", WindowRect{10, 20, 650, 500});
    return {
        {"OneWindow", windowsTable(1, 196, {good}), {goodDef}},
        {"TooShortForHeader", Bytes{1, 0, 0, 0, 196, 0, 0}, {}},
        {"CountButNoEntries", windowsTable(1, 196, {}), {}},
        {"EntryCut", windowsTable(1, 196, {Bytes(good.begin(), good.begin() + 195)}), {}},
        {"HugeCountFewEntries", windowsTable(0xFFFFFFFFu, 196, {good, good}), {goodDef, goodDef}},
        {"ZeroEntrySize", windowsTable(1, 0, {good}), {}},
        {"HugeEntrySize", windowsTable(1, 0xFFFFFFF0u, {good}), {}},
        {"EntryTooSmallForName", windowsTable(1, 8, {Bytes(8, 0)}), {WindowDef{}}},
        {"EntryHoldsNameOnly",
         windowsTable(1, 12, {windowEntry(12, {{kWinName, kTable.main}})}),
         {WindowDef{"Main", "", "", "", "", "", 0, 0, std::nullopt}}},
        {"EntryEndsInsideRect",
         windowsTable(1, 0x2C, {fullEntry(kTable.main, 10, 20, 650, 500, 0x2C)}),
         {WindowDef{"Main", "Help", "", "", "", "", 0x2520, 0, std::nullopt}}},
        {"OffsetsOutOfRange",
         windowsTable(
             1, 196,
             {windowEntry(196, {{kWinName, 0xFFFFFFFFu},
                                {kWinCaption, static_cast<std::uint32_t>(kTable.s.bytes.size())},
                                {kWinDefaultPage, kTable.unterminated}})}),
         {WindowDef{}}},
        {"RectEmpty",
         windowsTable(1, 196, {fullEntry(kTable.main, 100, 100, 100, 400)}),
         {def("Main", std::nullopt)}},
        {"RectNegativeButSound",
         windowsTable(1, 196, {fullEntry(kTable.main, -300, -20, 500, 400)}),
         {def("Main", WindowRect{-300, -20, 500, 400})}},
        {"RectOverflowing",
         windowsTable(1, 196, {fullEntry(kTable.main, INT32_MIN, 0, INT32_MAX, 400)}),
         {def("Main", std::nullopt)}},
    };
}

class WindowsParse : public testing::TestWithParam<WindowsCase> {};

TEST_P(WindowsParse, ReadsWhatFits) {
    EXPECT_EQ(parseWindows(GetParam().windows, kTable.s.bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, WindowsParse, testing::ValuesIn(windowsCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WindowsParse, ManyEntriesAreCapped) {
    const Bytes entry = windowEntry(12, {{kWinName, kTable.main}});
    const Bytes windows = windowsTable(1000, 12, std::vector<Bytes>(1000, entry));
    EXPECT_EQ(parseWindows(windows, kTable.s.bytes).size(), kMaxWindows);
}

struct FindCase {
    const char* name;
    std::string wanted;
    std::optional<std::string> caption;
    // Rows print as their names, so the test list reads well and never changes.
    friend void PrintTo(const FindCase& row, std::ostream* os) { *os << row.name; }
};

class WindowFind : public testing::TestWithParam<FindCase> {};

TEST_P(WindowFind, MatchesNameIgnoringCase) {
    Strings s;
    const auto other = s.add("Other");
    const auto main = s.add("Main");
    const auto otherCaption = s.add("Other caption");
    const auto mainCaption = s.add("Main caption");
    const Bytes windows =
        windowsTable(2, 0x18,
                     {windowEntry(0x18, {{kWinName, other}, {kWinCaption, otherCaption}}),
                      windowEntry(0x18, {{kWinName, main}, {kWinCaption, mainCaption}})});
    const auto found = findWindow(windows, s.bytes, GetParam().wanted);
    EXPECT_EQ(found ? std::optional<std::string>(found->caption) : std::nullopt,
              GetParam().caption);
}

INSTANTIATE_TEST_SUITE_P(Rows, WindowFind,
                         testing::Values(FindCase{"Exact", "Main", "Main caption"},
                                         FindCase{"Lower", "main", "Main caption"},
                                         FindCase{"First", "other", "Other caption"},
                                         FindCase{"Prefix", "Mai", std::nullopt},
                                         FindCase{"Empty", "", std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
