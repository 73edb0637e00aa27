#pragma once

// The help pages ship with the program: "help/" in the build tree, "share/tessivar/help/" under
// the installation prefix. The windows open them by a file:// address of that folder.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tessivar::xdg {

inline constexpr std::string_view kHelpPage = "tessivarhelp.html";
inline constexpr std::string_view kSupportPage = "support.html";

// The folder holding the help pages for the program at `program`: looked for as "help/" and
// "share/tessivar/help/" in the program's folder and up to three folders above it; nullopt when
// none holds both pages.
std::optional<std::filesystem::path> findHelpFolder(const std::filesystem::path& program);

// "file://" followed by the absolute path, every byte outside the unreserved set and "/"
// percent-encoded; a folder's address ends with "/".
std::string fileAddressOf(const std::filesystem::path& path, bool isFolder);

// The address of the help site's folder for the program at `program`, ending with "/"; "" when
// the pages are not found.
std::string helpSiteAddress(const std::filesystem::path& program);

} // namespace tessivar::xdg
