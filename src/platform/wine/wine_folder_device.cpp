#include "platform/wine/wine_file_system.h"

#include <array>
#include <dirent.h>
#include <string_view>
#include <sys/stat.h>

namespace tessivar::wine {

namespace {

// The host's virtual file systems: the kernel's views of processes, devices and run-time state.
// Removable disks are mounted below /run/media, and those are the user's.
bool isHostSystemPath(std::string_view unixPath)
{
    constexpr std::array<std::string_view, 4> kAreas{"/proc", "/sys", "/dev", "/run"};
    for (const std::string_view area : kAreas) {
        if (unixPath.starts_with(area) && (unixPath.size() == area.size() || unixPath[area.size()] == '/'))
            return !unixPath.starts_with("/run/media/") && unixPath != "/run/media";
    }
    return false;
}

} // namespace

std::uint64_t WineFileSystem::folderDevice(std::string_view folderPath)
{
    // st_dev is never 0 for a mounted file system, so 0 is free to mean "unknown".
    if (m_depth > 0) {
        // Within an operation the folder a walk asks about is listed next: reading the listing now
        // tells its device without a look-up of the whole path.
        CallScope scope(*this);
        const Target target = resolveTarget(folderPath);
        if (target.state == State::found && target.type == DT_DIR && !target.unixPath.empty()) {
            const Listing& list = listing(target.unixPath);
            if (list.error == 0 && list.device != 0)
                return static_cast<std::uint64_t>(list.device);
        }
    }
    return deviceOf(folderPath).value_or(0);
}

std::optional<FileIdentity> WineFileSystem::fileIdentity(std::string_view path)
{
    CallScope scope(*this);
    const Target target = resolveTarget(path);
    if (target.state != State::found || target.unixPath.empty())
        return std::nullopt;
    FileIdentity identity;
    if (m_depth > 0 && target.type == DT_DIR) {
        // As with the device: the walk lists this folder next, and the listing knows both numbers.
        const Listing& list = listing(target.unixPath);
        if (list.error == 0 && list.device != 0) {
            identity.device = static_cast<std::uint64_t>(list.device);
            identity.inode = static_cast<std::uint64_t>(list.inode);
            identity.hostSystem = isHostSystemPath(target.unixPath);
            return identity;
        }
    }
    struct stat info {};
    if (::stat(target.unixPath.c_str(), &info) != 0)
        return std::nullopt;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    identity.hostSystem = S_ISDIR(info.st_mode) && isHostSystemPath(target.unixPath);
    return identity;
}

} // namespace tessivar::wine
