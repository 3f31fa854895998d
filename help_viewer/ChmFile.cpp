#include "help_viewer/ChmFile.h"

#include <chm_lib.h>

namespace bmi::help {

namespace {
// chmlib copies a path into a buffer of this size.
constexpr std::size_t kMaxPath = CHM_MAX_PATHLEN;
} // namespace

std::unique_ptr<ChmFile> ChmFile::Open(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos)
        return nullptr;
    chmFile* handle = chm_open(path.c_str());
    if (!handle)
        return nullptr;
    return std::unique_ptr<ChmFile>(new ChmFile(handle));
}

ChmFile::~ChmFile() {
    chm_close(m_handle);
}

std::optional<std::vector<std::uint8_t>> ChmFile::Read(std::string_view path,
                                                       std::size_t maxSize) const {
    if (path.empty() || path.size() >= kMaxPath || path.find('\0') != std::string_view::npos)
        return std::nullopt;
    const std::string name(path);
    chmUnitInfo info{};
    if (chm_resolve_object(m_handle, name.c_str(), &info) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    if (info.length > maxSize)
        return std::nullopt;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(info.length));
    std::size_t filled = 0;
    while (filled < data.size()) {
        const LONGINT64 want = static_cast<LONGINT64>(data.size() - filled);
        const LONGINT64 got =
            chm_retrieve_object(m_handle, &info, data.data() + filled, filled, want);
        if (got <= 0 || got > want)
            return std::nullopt;
        filled += static_cast<std::size_t>(got);
    }
    return data;
}

} // namespace bmi::help
