#include "platform/wine/wine_file_system.h"

namespace tessivar::wine {

std::uint64_t WineFileSystem::folderDevice(std::string_view folderPath)
{
    // st_dev is never 0 for a mounted file system, so 0 is free to mean "unknown".
    return deviceOf(folderPath).value_or(0);
}

} // namespace tessivar::wine
