#include "platform/wine/posix_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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

int openRegularFile(const std::filesystem::path& path, FinalLink link, FileRead* state, std::uint64_t* size)
{
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | (link == FinalLink::refuse ? O_NOFOLLOW : 0);
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        *state = errno == ENOENT || errno == ENOTDIR                   ? FileRead::missing
                 : errno == ELOOP || errno == EISDIR || errno == ENXIO ? FileRead::notAFile
                                                                       : FileRead::failed;
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        *state = S_ISREG(info.st_mode) ? FileRead::failed : FileRead::notAFile;
        ::close(fd);
        return -1;
    }
    *state = FileRead::ok;
    *size = static_cast<std::uint64_t>(info.st_size);
    return fd;
}

FileRead readRegularFile(const std::filesystem::path& path, std::string& content, std::uint64_t maxBytes,
                         FinalLink link)
{
    content.clear();
    FileRead state = FileRead::failed;
    std::uint64_t size = 0;
    FileDescriptor fd(openRegularFile(path, link, &state, &size));
    if (!fd.valid())
        return state;
    if (size > maxBytes)
        return FileRead::tooLarge;
    content.resize(static_cast<std::size_t>(size));
    std::size_t got = 0;
    while (got < content.size()) {
        const ssize_t n = ::read(fd.get(), content.data() + got, content.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return FileRead::failed;
        if (n == 0)
            break; // it shrank meanwhile: what is there is the content
        got += static_cast<std::size_t>(n);
    }
    content.resize(got);
    return FileRead::ok;
}

std::string_view describe(FileRead state)
{
    switch (state) {
    case FileRead::ok:
        return "was read";
    case FileRead::missing:
        return "is missing";
    case FileRead::notAFile:
        return "is not a regular file";
    case FileRead::tooLarge:
        return "is too large";
    case FileRead::failed:
        break;
    }
    return "cannot be read";
}

bool syncFolder(const std::filesystem::path& folder)
{
    FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0;
}

} // namespace tessivar::wine
