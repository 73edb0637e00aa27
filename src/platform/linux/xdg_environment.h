#pragma once

// Where the desktop keeps its per-user and shared files, as the XDG base directory rules place
// them, and the running program's own path.

#include <filesystem>
#include <string>
#include <vector>

namespace tessivar::xdg {

struct Environment {
    std::filesystem::path configHome;              // $XDG_CONFIG_HOME, else ~/.config
    std::vector<std::filesystem::path> configDirs; // $XDG_CONFIG_DIRS, else /etc/xdg
    std::filesystem::path dataHome;                // $XDG_DATA_HOME, else ~/.local/share
    std::vector<std::filesystem::path> dataDirs;   // $XDG_DATA_DIRS, else /usr/local/share:/usr/share
    std::vector<std::filesystem::path> path;       // $PATH

    // From this process's variables. Relative entries are ignored, as the rules ask; a home
    // folder that cannot be found leaves the per-user folders empty.
    static Environment fromProcess();
};

// The running program's absolute path (/proc/self/exe); empty when it cannot be read.
std::filesystem::path ownProgramPath();

} // namespace tessivar::xdg
