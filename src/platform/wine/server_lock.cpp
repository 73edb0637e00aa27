#include "platform/wine/server_lock.h"

#include "platform/wine/posix_file.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessivar::wine {

namespace {

// The name Debian's server picked with mkdtemp, or "" when there is none or it looks wrong.
std::string debianServerFolderName(const std::filesystem::path& prefix)
{
    std::string name;
    if (readRegularFile(prefix / "wineserver", name, 4096) != FileRead::ok)
        return {};
    name = name.substr(0, name.find('\n'));
    while (!name.empty() && (name.back() == '\n' || name.back() == '\r' || name.back() == ' ' || name.back() == '\0'))
        name.pop_back();
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos || name.size() > 255)
        return {};
    return name;
}

bool lockIsHeld(const std::filesystem::path& lock)
{
    const int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    struct flock query {};
    query.l_type = F_WRLCK;
    query.l_whence = SEEK_SET;
    query.l_start = 0;
    query.l_len = 1;
    const bool held = ::fcntl(fd, F_GETLK, &query) == 0 && query.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

} // namespace

std::vector<std::filesystem::path> serverLockPaths(const std::filesystem::path& prefix)
{
    std::vector<std::filesystem::path> paths;
    struct stat info {};
    // The server names its folder after the directory it changed into, so links are followed.
    if (::stat(prefix.c_str(), &info) != 0)
        return paths;
    char folder[64];
    std::snprintf(folder, sizeof folder, "server-%llx-%llx", static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    paths.push_back(std::filesystem::path("/tmp") / (".wine-" + std::to_string(::getuid())) / folder / "lock");
    if (const std::string name = debianServerFolderName(prefix); !name.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        const std::filesystem::path base = (tmp && *tmp) ? tmp : "/tmp";
        paths.push_back(base / name / folder / "lock");
    }
    return paths;
}

bool isServerRunning(const std::filesystem::path& prefix)
{
    for (const auto& lock : serverLockPaths(prefix)) {
        if (lockIsHeld(lock))
            return true;
    }
    return false;
}

} // namespace tessivar::wine
