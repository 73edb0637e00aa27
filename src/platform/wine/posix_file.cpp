#include "platform/wine/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace tessivar::wine {

FileDescriptor::~FileDescriptor()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileDescriptor::close()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd < 0 || ::close(fd) == 0;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool syncFolder(const std::filesystem::path& folder)
{
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0;
}

} // namespace tessivar::wine
