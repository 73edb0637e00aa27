#include "platform/wine/wine_file_system.h"

#include <sys/stat.h>

namespace tessivar::wine {

std::uint64_t WineFileSystem::folderDevice(std::string_view folderPath)
{
    // st_dev is never 0 for a mounted file system, so 0 is free to mean "unknown".
    if (m_depth > 0) {
        // Within an operation the folder a walk asks about is listed next: reading the listing now
        // tells its device without a look-up of the whole path.
        CallScope scope(*this);
        const Target target = resolveTarget(folderPath);
        if (target.state == State::found && !target.unixPath.empty()) {
            const Listing& list = listing(target.unixPath);
            if (list.error == 0 && list.device != 0)
                return static_cast<std::uint64_t>(list.device);
        }
    }
    return deviceOf(folderPath).value_or(0);
}

} // namespace tessivar::wine
