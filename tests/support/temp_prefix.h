#pragma once

// Wine prefixes for tests: a small one made by hand (no Wine needed), and a copy of the real
// prefix that ./test.sh makes (TESSIVAR_TEST_WINEPREFIX).

#include "support/temp_dir.h"

#include <filesystem>
#include <optional>
#include <string>

namespace tessivar::test {

// dosdevices/c: → ../drive_c and z: → /, with drive_c/windows/system32, drive_c/windows/Fonts and
// drive_c/users/<current user>/Temp, as a fresh prefix has them.
class TempPrefix {
  public:
    TempPrefix();

    const std::filesystem::path& path() const { return m_prefix; }
    std::filesystem::path driveC() const { return m_prefix / "drive_c"; }
    // Writes a file below the prefix (folders made as needed) and returns its full path.
    std::filesystem::path write(const std::string& relative, const std::string& content = {}) const;
    std::filesystem::path makeFolder(const std::string& relative) const;
    // Makes dosdevices/<name> a link to `target`, replacing what was there.
    void link(const std::string& name, const std::string& target) const;
    // A scratch folder outside the prefix, in the same temporary folder.
    std::filesystem::path outside() const { return m_dir.path() / "outside"; }

  private:
    TempDir m_dir;
    std::filesystem::path m_prefix;
};

// The prefix named by TESSIVAR_TEST_WINEPREFIX, to be read only (copy it before changing
// anything); nothing when the variable is unset or the prefix is missing (the caller then skips).
std::optional<std::filesystem::path> testWinePrefix();

} // namespace tessivar::test
