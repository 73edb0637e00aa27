#pragma once

// Whether a Wine server runs for a prefix. The server keeps the whole registry in memory and
// writes it back over the files, so nothing may touch them while it runs. Its lock file stays
// after it exits; only a held lock on it means a live server.

#include <filesystem>
#include <string_view>
#include <vector>

namespace tessivar::wine {

inline constexpr std::string_view kWineRunningMessage =
    "Wine is running in this prefix: close its programs or run `wineserver -k`, then try again";

// Where the server of `prefix` keeps its lock: the upstream folder under /tmp/.wine-<uid>, and
// the one Debian's packages choose (its name is stored in the prefix's "wineserver" file).
std::vector<std::filesystem::path> serverLockPaths(const std::filesystem::path& prefix);

// True when a process holds the write lock of one of those files.
bool isServerRunning(const std::filesystem::path& prefix);

} // namespace tessivar::wine
