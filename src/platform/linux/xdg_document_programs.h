#pragma once

// The program for a kind of document on Linux: the shared-MIME default ("[Default Applications]"
// of the mimeapps.list files, in the XDG order: config home, config dirs, data home, data dirs),
// and the program its desktop entry's Exec line names. Starting it is a plain fork and exec with
// one argument; no shell ever sees the address.

#include "platform/desktop_services.h"
#include "platform/linux/xdg_environment.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessivar::xdg {

// The MIME type of a document extension the program opens ("htm" → "text/html"); nullopt for
// the others.
std::optional<std::string_view> mimeTypeOfExtension(std::string_view extension);

class XdgDocumentPrograms final : public DocumentPrograms {
  public:
    explicit XdgDocumentPrograms(Environment environment) : m_environment(std::move(environment)) {}

    // The extension of `documentPath` decides; the document itself is not read.
    std::string FindExecutableA(std::string_view documentPath) override;
    // The window state cannot be asked of another program under X11 or Wayland: `show` is passed
    // over. The program runs in a session of its own and is never waited for.
    bool ShellExecuteA(std::string_view program, std::string_view argument, ShowMode show) override;

    // The absolute path of the default program for `mimeType`; nullopt when there is none.
    std::optional<std::filesystem::path> defaultProgramFor(std::string_view mimeType) const;

  private:
    std::optional<std::filesystem::path> programOfEntry(std::string_view desktopId) const;
    std::optional<std::filesystem::path> resolveProgram(const std::string& name) const;

    Environment m_environment;
};

} // namespace tessivar::xdg
