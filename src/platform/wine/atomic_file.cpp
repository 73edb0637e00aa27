#include "platform/wine/atomic_file.h"

#include "platform/wine/posix_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace tessivar::wine {

namespace {

std::string systemError(const std::string& what, const std::filesystem::path& path)
{
    return what + " " + path.string() + ": " + std::strerror(errno);
}

} // namespace

FileStamp stampOf(const std::filesystem::path& path)
{
    struct stat info {};
    FileStamp stamp;
    if (::stat(path.c_str(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = static_cast<std::uint64_t>(info.st_size);
    stamp.modifiedNanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}

std::filesystem::path writeTarget(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path current = path;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(current, error); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(current, error);
        if (error)
            break;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return current;
}

std::string replaceFileAtomically(const std::filesystem::path& path, std::string_view content)
{
    return replaceFileAtomically(path, [content](const ContentSink& sink) { return sink(content); });
}

std::string replaceFileAtomically(const std::filesystem::path& path,
                                  const std::function<bool(const ContentSink&)>& produce)
{
    const std::filesystem::path target = writeTarget(path);
    const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    // Not the server's own "reg*.tmp" pattern, so a stray file is never mistaken for its.
    std::string temporary = (folder / ("." + target.filename().string() + ".tessivar-XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return systemError("cannot create a temporary file in", folder);

    auto fail = [&](const std::string& message) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return message;
    };
    mode_t mode = 0;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool written = true;
    const bool produced = produce([&](std::string_view piece) {
        written = writeAll(fd, piece);
        return written;
    });
    if (!written)
        return fail(systemError("cannot write", temporary));
    if (!produced)
        return fail("cannot make the content of " + target.string());
    if (::fchmod(fd, mode) != 0)
        return fail(systemError("cannot set the mode of", temporary));
    if (::fsync(fd) != 0)
        return fail(systemError("cannot flush", temporary));
    if (::close(fd) != 0) {
        ::unlink(temporary.c_str());
        return systemError("cannot close", temporary);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const std::string message = systemError("cannot replace", target);
        ::unlink(temporary.c_str());
        return message;
    }
    syncFolder(folder);
    return {};
}

} // namespace tessivar::wine
