#pragma once

// A temporary folder for one test. It is removed when the test passes and kept, with a note on
// stderr, when it fails, so that the files can be looked at.

#include <filesystem>
#include <string>

namespace tessivar::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Writes `content` to `relative` (folders created as needed) and returns the full path.
    std::filesystem::path write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;

  private:
    std::filesystem::path m_path;
};

} // namespace tessivar::test
