#pragma once
// A compiled help file opened for reading, over libmspack.
//
// The whole file is taken into memory once and libmspack is given an in-memory file
// system: it reads the file from a bounds-checked buffer, writes what it extracts into a
// size-capped buffer, and never reaches the disk by name. A damaged file can claim any
// size or offset; every object is read whole, its size capped, and anything short of a
// complete read is a failure.
//
// The compressed section is expanded once, from its start, and kept: an object is cut
// out of what is already expanded, or the expansion goes on just far enough to hold it.
// So reading any number of objects, in any order, costs at most one expansion of the
// section up to kMaxExpandedSize, however the file arranges its objects; an object
// ending beyond that is refused without expanding anything.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bmi::help {

inline constexpr std::size_t kMaxObjectSize = 16u * 1024u * 1024u;
// No help file comes near this; a larger one is refused before it is read.
inline constexpr std::size_t kMaxHelpFileSize = 64u * 1024u * 1024u;
// The compressed section is expanded this far at most: as much memory, and well under a
// second of work. Four objects of the largest size fit.
inline constexpr std::size_t kMaxExpandedSize = 4 * kMaxObjectSize;
// Directory entries kept; a file listing more is refused as it opens. Each costs a few
// hundred bytes, so this is some tens of megabytes; help files list a few thousand.
inline constexpr std::size_t kMaxDirectoryEntries = 128u * 1024u;

// Where an object's bytes are: names that share one are one object.
struct ObjectLocation {
    unsigned section = 0;
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    friend bool operator==(const ObjectLocation&, const ObjectLocation&) = default;
};

class ChmFile {
public:
    // Nothing when the file is missing, not a regular file, larger than
    // kMaxHelpFileSize, unreadable or not a compiled help file.
    static std::unique_ptr<ChmFile> open(const std::string& path);
    // The same from bytes already in memory.
    static std::unique_ptr<ChmFile> fromBytes(std::vector<std::uint8_t> bytes);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    // The whole object at path ("/index.html"; found regardless of ASCII case). Nothing
    // when it is absent, larger than maxSize or cannot be read completely.
    std::optional<std::vector<std::uint8_t>> read(std::string_view path,
                                                  std::size_t maxSize = kMaxObjectSize) const;

    // Where the object at path is, found as read() finds it; nothing when it is absent.
    std::optional<ObjectLocation> locate(std::string_view path) const;

    // The names of every object the directory lists, the system ones ("::DataSpace/...")
    // included, in directory order.
    std::vector<std::string> list() const;

    // Bytes of the compressed section expanded so far.
    std::uint64_t expandedBytes() const;

private:
    struct State;
    explicit ChmFile(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace bmi::help
