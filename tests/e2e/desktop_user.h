#pragma once

// A user of the desktop program for a run on a private X server: the test prefix copied without
// a drive onto the whole machine, settings asking for a report, and settings, data and runtime
// folders of its own, so that nothing of the machine's user is read or changed.

#include "support/temp_dir.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::test {

struct DesktopUser {
    DesktopUser(const std::filesystem::path& testPrefix, const std::string& display);

    // Stores one more setting before the program starts.
    void setting(std::string_view name, std::string_view value) const;

    TempDir dir;
    std::filesystem::path prefix = dir.path() / "prefix";
    std::filesystem::path config = dir.path() / "config";
    std::filesystem::path log = dir.path() / "tessivar.log";
    std::filesystem::path report = prefix / "drive_c" / "reports" / "ScanReport.txt";
    // What the program is started with, besides this process's own environment.
    std::vector<std::string> environment;
};

} // namespace tessivar::test
