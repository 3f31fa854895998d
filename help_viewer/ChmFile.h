#pragma once
// A compiled help file opened for reading, over libmspack.
//
// The whole file is taken into memory once and libmspack is given an in-memory file
// system: it reads the file from a bounds-checked buffer, writes what it extracts into a
// size-capped buffer, and never reaches the disk by name. A damaged file can claim any
// size or offset; every object is read whole, its size capped, and anything short of a
// complete read is a failure.

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

    // The names of every object the directory lists, the system ones ("::DataSpace/...")
    // included, in directory order.
    std::vector<std::string> list() const;

private:
    struct State;
    explicit ChmFile(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace bmi::help
