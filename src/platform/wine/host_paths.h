#pragma once

// A folder of the machine named as Windows programs in the prefix reach it: through the drive
// whose folder holds it most narrowly (C: for something under drive_c, Z: for the rest when Z:
// maps "/"), else in the "\\?\unix\" form the file back-end reads.

#include "platform/desktop_services.h"

#include <filesystem>
#include <string>

namespace tessivar::wine {

class PrefixHostPaths final : public HostPaths {
  public:
    explicit PrefixHostPaths(std::filesystem::path prefix) : m_prefix(std::move(prefix)) {}

    std::string windowsPathOfHostFolder(const std::filesystem::path& hostFolder) override;

  private:
    std::filesystem::path m_prefix;
};

} // namespace tessivar::wine
