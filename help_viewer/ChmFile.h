#pragma once
// A compiled help file opened for reading, over chmlib.
//
// chmlib reads whatever the file says; a damaged file can name objects longer than the
// file or report a read as done without filling the buffer. Every object is therefore
// read whole, its size capped, and anything short of a complete read is a failure.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct chmFile;

namespace bmi::help {

inline constexpr std::size_t kMaxObjectSize = 16u * 1024u * 1024u;

class ChmFile {
public:
    // Nothing when the file is missing, unreadable or not a compiled help file.
    static std::unique_ptr<ChmFile> Open(const std::string& path);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    // The whole object at path ("/index.html"; found regardless of case). Nothing when
    // it is absent, larger than maxSize or cannot be read completely.
    std::optional<std::vector<std::uint8_t>> Read(std::string_view path,
                                                  std::size_t maxSize = kMaxObjectSize) const;

private:
    explicit ChmFile(chmFile* handle) : m_handle(handle) {}
    chmFile* m_handle;
};

} // namespace bmi::help
