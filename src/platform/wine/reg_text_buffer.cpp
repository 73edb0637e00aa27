#include "platform/wine/reg_text_buffer.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessivar::wine {

namespace {

constexpr std::size_t kLargeFile = 4u << 20;
// What a background read hands over at a time: two huge pages.
constexpr std::size_t kReadPiece = 4u << 20;

bool readStream(int fd, std::string& text)
{
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        text.append(chunk, static_cast<std::size_t>(n));
    }
}

} // namespace

RegTextBuffer::~RegTextBuffer()
{
    if (m_reader.joinable())
        m_reader.join();
    if (m_mapping)
        ::munmap(m_mapping, m_mappingSize);
}

std::unique_ptr<RegTextBuffer> RegTextBuffer::fromString(std::string text)
{
    std::unique_ptr<RegTextBuffer> buffer(new RegTextBuffer());
    buffer->m_string = std::move(text);
    buffer->m_data = buffer->m_string.data();
    buffer->m_size = buffer->m_string.size();
    return buffer;
}

std::unique_ptr<RegTextBuffer> RegTextBuffer::readFile(const std::filesystem::path& path, bool* exists)
{
    auto buffer = startReading(path, exists);
    if (!buffer || buffer->finishReading())
        return buffer;
    // The file changed size while it was read, or the read failed: read it again as a stream.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    std::string text;
    const bool ok = readStream(fd, text);
    ::close(fd);
    return ok ? fromString(std::move(text)) : nullptr;
}

std::unique_ptr<RegTextBuffer> RegTextBuffer::startReading(const std::filesystem::path& path, bool* exists)
{
    *exists = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? fromString({}) : nullptr;
    *exists = true;
    struct stat info {};
    const bool ok = ::fstat(fd, &info) == 0;
    const std::size_t expected = ok && S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) : 0;
    if (ok && expected >= kLargeFile) {
        // One byte more than the size, so that a file that grows meanwhile is noticed.
        const std::size_t mappingSize = expected + 1;
        void* mapping = ::mmap(nullptr, mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping != MAP_FAILED) {
            ::madvise(mapping, mappingSize, MADV_HUGEPAGE);
            std::unique_ptr<RegTextBuffer> buffer(new RegTextBuffer());
            buffer->m_mapping = mapping;
            buffer->m_mappingSize = mappingSize;
            buffer->m_data = static_cast<char*>(mapping);
            buffer->m_size = expected;
            buffer->m_readComplete = false;
            buffer->m_reader = std::thread(&RegTextBuffer::readInBackground, buffer.get(), fd, expected);
            return buffer;
        }
    }
    std::string text;
    const bool read = ok && readStream(fd, text);
    ::close(fd);
    return read ? fromString(std::move(text)) : nullptr;
}

void RegTextBuffer::readInBackground(int fd, std::size_t expected)
{
    std::size_t got = 0;
    bool ok = true;
    while (got < m_mappingSize) {
        const ssize_t n = ::read(fd, m_data + got, std::min(kReadPiece, m_mappingSize - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        got += static_cast<std::size_t>(n);
        m_arrived.store(got, std::memory_order_release);
        m_arrived.notify_all();
    }
    ::close(fd);
    m_readComplete = ok && got == expected;
    m_arrived.store(got | kReadEnded, std::memory_order_release);
    m_arrived.notify_all();
}

std::size_t RegTextBuffer::awaitBytes(std::size_t count) const
{
    if (!m_reader.joinable())
        return m_size;
    for (;;) {
        const std::uint64_t state = m_arrived.load(std::memory_order_acquire);
        const std::size_t have = static_cast<std::size_t>(state & ~kReadEnded);
        if (have >= count || (state & kReadEnded))
            return std::min(have, m_size);
        m_arrived.wait(state, std::memory_order_acquire);
    }
}

bool RegTextBuffer::finishReading()
{
    if (m_reader.joinable())
        m_reader.join();
    return m_readComplete;
}

} // namespace tessivar::wine
