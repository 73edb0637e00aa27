#pragma once

// The start-up entry on Linux: an XDG autostart entry, "<config home>/autostart/tessivar.desktop",
// that starts the program by its absolute path when the user's session starts. Nothing goes into
// the Wine prefix's run list, which Wine itself would try to run.

#include "platform/desktop_services.h"

#include <filesystem>
#include <string>

namespace tessivar::xdg {

class XdgAutostart final : public StartupEntry {
  public:
    XdgAutostart(std::filesystem::path configHome, std::filesystem::path program)
        : m_configHome(std::move(configHome)), m_program(std::move(program))
    {
    }

    // Written atomically; false when there is no config folder or no program path, or the file
    // could not be written.
    bool writeEntry() override;
    // True when no entry is left.
    bool removeEntry() override;

    std::filesystem::path entryPath() const { return m_configHome / "autostart" / "tessivar.desktop"; }

    // The entry's whole text for a program path.
    static std::string entryText(const std::filesystem::path& program);

  private:
    std::filesystem::path m_configHome;
    std::filesystem::path m_program;
};

} // namespace tessivar::xdg
