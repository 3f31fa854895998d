#include "chm/ChmFile.h"
#include "chm/AsciiText.h"

#include <mspack.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bmi::help {

namespace {

// libmspack opens files by name through the file system we give it. These two names
// are the only ones ours knows: the help file in memory, and the buffer an extraction
// writes to. Any other name fails to open.
constexpr const char* kInputName = "memory:help-file";
constexpr const char* kOutputName = "memory:extracted";

// Far above what decompressing a help file needs (the largest window is 2 MiB); a
// request for more comes from sizes a damaged file made up.
constexpr std::size_t kMaxAllocation = 32u * 1024u * 1024u;

// While the directory is read, libmspack makes one allocation for each entry it keeps,
// and a handful of its own; counting them caps the entries before they take memory.
constexpr std::size_t kOpenAllocationsBesideEntries = 64;
// Allocations left to the directory being read on this thread, if one is. Not reached
// through the system pointer: the decompressor gives its readers copies of our system.
thread_local std::size_t* t_openAllocations = nullptr;

// The file header names two format identifiers that differ in their first byte only.
// chmcmd, with which our help file is made, writes the first one twice; libmspack takes
// that for a foreign file. Nothing else reads the second, so our copy gets the right one.
constexpr std::size_t kHeaderGuid1 = 0x18;
constexpr std::size_t kHeaderGuid2 = 0x28;
constexpr std::size_t kGuidSize = 16;
constexpr std::uint8_t kGuid1First = 0x10;
constexpr std::uint8_t kGuid2First = 0x11;

void mendSecondGuid(std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < kHeaderGuid2 + kGuidSize || std::memcmp(bytes.data(), "ITSF", 4) != 0)
        return;
    if (bytes[kHeaderGuid1] == kGuid1First &&
        std::memcmp(bytes.data() + kHeaderGuid1, bytes.data() + kHeaderGuid2, kGuidSize) == 0)
        bytes[kHeaderGuid2] = kGuid2First;
}

} // namespace

struct ChmFile::State {
    // Our file system, as libmspack sees it; `base` first, so a pointer to it is a
    // pointer to the whole.
    struct System {
        mspack_system base;
        State* state;
    };
    struct File {
        mspack_file base;
        State* state;
        bool writing;
        std::size_t position;
    };

    std::vector<std::uint8_t> bytes;
    System system{};
    mschm_decompressor* decompressor = nullptr;
    mschmd_header* header = nullptr;
    std::unordered_map<std::string, mschmd_file*> byName; // names in lower case
    std::vector<std::string> names;
    // Where an extraction goes, and how much it may write.
    std::vector<std::uint8_t>* sink = nullptr;
    std::size_t sinkLimit = 0;
    // The compressed section from its start, as far as it has been expanded; once the
    // expansion fails it goes no further.
    std::vector<std::uint8_t> expanded;
    bool expansionFailed = false;

    bool expandTo(std::uint64_t end);

    State();
    ~State();

    static File* asFile(mspack_file* file) { return reinterpret_cast<File*>(file); }

    static mspack_file* openFile(mspack_system* self, const char* name, int mode) {
        State* state = reinterpret_cast<System*>(self)->state;
        if (!name)
            return nullptr;
        bool writing = false;
        if (mode == MSPACK_SYS_OPEN_READ && std::strcmp(name, kInputName) == 0)
            writing = false;
        else if (mode == MSPACK_SYS_OPEN_WRITE && std::strcmp(name, kOutputName) == 0 &&
                 state->sink)
            writing = true;
        else
            return nullptr;
        auto* file = new (std::nothrow) File{{}, state, writing, 0};
        return file ? &file->base : nullptr;
    }

    static void closeFile(mspack_file* file) { delete asFile(file); }

    static int readFile(mspack_file* handle, void* buffer, int bytes) {
        File* file = asFile(handle);
        if (!file || file->writing || bytes < 0 || (bytes > 0 && !buffer))
            return -1;
        const std::vector<std::uint8_t>& data = file->state->bytes;
        if (file->position >= data.size())
            return 0;
        const std::size_t n =
            std::min(static_cast<std::size_t>(bytes), data.size() - file->position);
        std::memcpy(buffer, data.data() + file->position, n);
        file->position += n;
        return static_cast<int>(n);
    }

    static int writeFile(mspack_file* handle, void* buffer, int bytes) {
        File* file = asFile(handle);
        if (!file || !file->writing || bytes < 0 || (bytes > 0 && !buffer))
            return -1;
        std::vector<std::uint8_t>& sink = *file->state->sink;
        const auto n = static_cast<std::size_t>(bytes);
        if (n > file->state->sinkLimit - sink.size())
            return -1;
        const auto* from = static_cast<const std::uint8_t*>(buffer);
        sink.insert(sink.end(), from, from + n);
        return bytes;
    }

    static int seekFile(mspack_file* handle, off_t offset, int mode) {
        File* file = asFile(handle);
        if (!file || file->writing)
            return -1;
        const auto size = static_cast<off_t>(file->state->bytes.size());
        off_t base = 0;
        switch (mode) {
        case MSPACK_SYS_SEEK_START:
            base = 0;
            break;
        case MSPACK_SYS_SEEK_CUR:
            base = static_cast<off_t>(file->position);
            break;
        case MSPACK_SYS_SEEK_END:
            base = size;
            break;
        default:
            return -1;
        }
        // Written so that no sum can overflow: base lies in [0, size].
        if (offset < -base || offset > size - base)
            return -1;
        file->position = static_cast<std::size_t>(base + offset);
        return 0;
    }

    static off_t tellFile(mspack_file* handle) {
        File* file = asFile(handle);
        return file ? static_cast<off_t>(file->position) : -1;
    }

    // The library's remarks on damaged files; the caller learns of the failure anyway.
    static void message(mspack_file*, const char*, ...) {}

    static void* allocate(mspack_system*, std::size_t bytes) {
        if (t_openAllocations) {
            if (*t_openAllocations == 0)
                return nullptr;
            --*t_openAllocations;
        }
        return bytes > kMaxAllocation ? nullptr : std::malloc(bytes);
    }

    static void free(void* memory) { std::free(memory); }

    static void copy(void* from, void* to, std::size_t bytes) { std::memmove(to, from, bytes); }
};

ChmFile::State::State() {
    system.base.open = &openFile;
    system.base.close = &closeFile;
    system.base.read = &readFile;
    system.base.write = &writeFile;
    system.base.seek = &seekFile;
    system.base.tell = &tellFile;
    system.base.message = &message;
    system.base.alloc = &allocate;
    system.base.free = &free;
    system.base.copy = &copy;
    system.base.null_ptr = nullptr;
    system.state = this;
}

ChmFile::State::~State() {
    if (decompressor) {
        if (header)
            decompressor->close(decompressor, header);
        mspack_destroy_chm_decompressor(decompressor);
    }
}

ChmFile::ChmFile(std::unique_ptr<State> state) : m_state(std::move(state)) {}

ChmFile::~ChmFile() = default;

std::unique_ptr<ChmFile> ChmFile::open(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos)
        return nullptr;
    // Non-blocking, so that a FIFO or a device named like a help file cannot hold us;
    // only a regular file is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    std::vector<std::uint8_t> bytes;
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
              static_cast<std::uintmax_t>(info.st_size) <= kMaxHelpFileSize;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(info.st_size));
        std::size_t filled = 0;
        while (filled < bytes.size()) {
            const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break; // shrunk while we read: take what is there
            filled += static_cast<std::size_t>(got);
        }
        bytes.resize(filled);
    }
    ::close(fd);
    if (!ok)
        return nullptr;
    return fromBytes(std::move(bytes));
}

std::unique_ptr<ChmFile> ChmFile::fromBytes(std::vector<std::uint8_t> bytes) {
    // The library's file offsets must have our size; checked once, as it asks.
    static const bool offsetsAgree = [] {
        int result = MSPACK_ERR_OK;
        MSPACK_SYS_SELFTEST(result);
        return result == MSPACK_ERR_OK;
    }();
    if (!offsetsAgree || bytes.size() > kMaxHelpFileSize)
        return nullptr;

    auto state = std::make_unique<State>();
    state->bytes = std::move(bytes);
    mendSecondGuid(state->bytes);
    state->decompressor = mspack_create_chm_decompressor(&state->system.base);
    if (!state->decompressor)
        return nullptr;
    std::size_t allocations = kMaxDirectoryEntries + kOpenAllocationsBesideEntries;
    t_openAllocations = &allocations;
    state->header = state->decompressor->open(state->decompressor, kInputName);
    t_openAllocations = nullptr;
    if (!state->header)
        return nullptr;
    for (mschmd_file* list : {state->header->sysfiles, state->header->files}) {
        for (mschmd_file* f = list; f; f = f->next) {
            if (!f->filename)
                continue;
            state->names.emplace_back(f->filename);
            // The first of two entries of one name counts, as a lookup would find it.
            state->byName.try_emplace(lowerAscii(f->filename), f);
        }
    }
    return std::unique_ptr<ChmFile>(new ChmFile(std::move(state)));
}

bool ChmFile::State::expandTo(std::uint64_t end) {
    if (end <= expanded.size())
        return true;
    if (expansionFailed || end > kMaxExpandedSize)
        return false;
    // An object of the compressed section that starts where the expansion stopped: the
    // decompressor goes on from where it is, with nothing to skip or do again.
    mschmd_file next{};
    next.section = &header->sec1.base;
    next.offset = static_cast<off_t>(expanded.size());
    next.length = static_cast<off_t>(end - expanded.size());
    next.filename = const_cast<char*>("");
    // Grown by doubling, so that objects read one after another copy the buffer only a
    // few times, but never beyond the most it may hold.
    if (expanded.capacity() < end)
        expanded.reserve(std::min(
            kMaxExpandedSize, std::max(static_cast<std::size_t>(end), 2 * expanded.capacity())));
    sink = &expanded;
    sinkLimit = static_cast<std::size_t>(end);
    const int error = decompressor->extract(decompressor, &next, kOutputName);
    sink = nullptr;
    sinkLimit = 0;
    if (error != MSPACK_ERR_OK || expanded.size() != end) {
        // What came out before the failure is whole (the decompressor writes whole
        // frames) and serves the objects that lie in it; beyond it nothing can be
        // expanded without starting again from the top, which would repeat all the work.
        expansionFailed = true;
        return false;
    }
    return true;
}

std::optional<std::vector<std::uint8_t>> ChmFile::read(std::string_view path,
                                                       std::size_t maxSize) const {
    if (path.empty() || path.find('\0') != std::string_view::npos)
        return std::nullopt;
    const auto found = m_state->byName.find(lowerAscii(path));
    if (found == m_state->byName.end())
        return std::nullopt;
    mschmd_file* file = found->second;
    if (file->length < 0 || file->offset < 0 || !file->section ||
        static_cast<std::uintmax_t>(file->length) > maxSize ||
        static_cast<std::uintmax_t>(file->length) > kMaxObjectSize)
        return std::nullopt;
    const auto length = static_cast<std::size_t>(file->length);

    std::vector<std::uint8_t> data;
    if (file->section->id == 1) {
        const auto offset = static_cast<std::uint64_t>(file->offset);
        if (offset > kMaxExpandedSize || !m_state->expandTo(offset + length))
            return std::nullopt;
        const auto from = m_state->expanded.begin() + static_cast<std::ptrdiff_t>(offset);
        data.assign(from, from + static_cast<std::ptrdiff_t>(length));
        return data;
    }
    data.reserve(length);
    m_state->sink = &data;
    m_state->sinkLimit = length;
    const int error = m_state->decompressor->extract(m_state->decompressor, file, kOutputName);
    m_state->sink = nullptr;
    m_state->sinkLimit = 0;
    if (error != MSPACK_ERR_OK || data.size() != length)
        return std::nullopt;
    return data;
}

std::optional<ObjectLocation> ChmFile::locate(std::string_view path) const {
    const auto found = m_state->byName.find(lowerAscii(path));
    if (found == m_state->byName.end() || !found->second->section)
        return std::nullopt;
    const mschmd_file* file = found->second;
    return ObjectLocation{file->section->id, static_cast<std::uint64_t>(file->offset),
                          static_cast<std::uint64_t>(file->length)};
}

std::uint64_t ChmFile::expandedBytes() const {
    return m_state->expanded.size();
}

std::vector<std::string> ChmFile::list() const {
    return m_state->names;
}

} // namespace bmi::help
