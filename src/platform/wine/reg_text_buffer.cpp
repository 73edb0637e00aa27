#include "platform/wine/reg_text_buffer.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessivar::wine {

namespace {

constexpr std::size_t kLargeFile = 4u << 20;

bool readFully(int fd, char* data, std::size_t size, std::size_t* got)
{
    *got = 0;
    while (*got < size) {
        const ssize_t n = ::read(fd, data + *got, size - *got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            break;
        *got += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

RegTextBuffer::~RegTextBuffer()
{
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
    *exists = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? fromString({}) : nullptr;
    *exists = true;
    struct stat info {};
    std::unique_ptr<RegTextBuffer> buffer(new RegTextBuffer());
    bool ok = ::fstat(fd, &info) == 0;
    const std::size_t expected = ok && S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) : 0;
    if (ok && expected >= kLargeFile) {
        // One byte more than the size, so that a file that grew meanwhile is noticed.
        buffer->m_mappingSize = expected + 1;
        void* mapping = ::mmap(nullptr, buffer->m_mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping != MAP_FAILED) {
            ::madvise(mapping, buffer->m_mappingSize, MADV_HUGEPAGE);
            buffer->m_mapping = mapping;
            buffer->m_data = static_cast<char*>(mapping);
            std::size_t got = 0;
            ok = readFully(fd, buffer->m_data, buffer->m_mappingSize, &got);
            buffer->m_size = got;
            if (ok && got <= expected) {
                ::close(fd);
                return buffer;
            }
            // It grew while being read: fall back to reading it as a stream.
            ::munmap(mapping, buffer->m_mappingSize);
            buffer->m_mapping = nullptr;
            ::lseek(fd, 0, SEEK_SET);
        }
    }
    std::string text;
    char chunk[1 << 16];
    while (ok) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
        text.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!ok)
        return nullptr;
    buffer->m_string = std::move(text);
    buffer->m_data = buffer->m_string.data();
    buffer->m_size = buffer->m_string.size();
    return buffer;
}

} // namespace tessivar::wine
