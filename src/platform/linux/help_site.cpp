#include "platform/linux/help_site.h"

#include <system_error>

namespace tessivar::xdg {

namespace {

bool holdsPages(const std::filesystem::path& folder)
{
    std::error_code error;
    return std::filesystem::is_regular_file(folder / kHelpPage, error) &&
           std::filesystem::is_regular_file(folder / kSupportPage, error);
}

bool isUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

} // namespace

std::optional<std::filesystem::path> findHelpFolder(const std::filesystem::path& program)
{
    if (program.empty())
        return std::nullopt;
    std::error_code error;
    const auto absolute = std::filesystem::weakly_canonical(std::filesystem::absolute(program, error), error);
    if (error)
        return std::nullopt;
    auto folder = absolute.parent_path();
    for (int level = 0; level <= 3; ++level) {
        for (const auto& candidate : {folder / "help", folder / "share" / "tessivar" / "help"}) {
            if (holdsPages(candidate))
                return candidate;
        }
        if (folder == folder.root_path())
            break;
        folder = folder.parent_path();
    }
    return std::nullopt;
}

std::string fileAddressOf(const std::filesystem::path& path, bool isFolder)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string address = "file://";
    for (const char c : path.string()) {
        const auto byte = static_cast<unsigned char>(c);
        if (isUnreserved(byte) || c == '/') {
            address += c;
        } else {
            address += '%';
            address += kHex[byte >> 4];
            address += kHex[byte & 0x0F];
        }
    }
    if (isFolder && !address.ends_with('/'))
        address += '/';
    return address;
}

std::string helpSiteAddress(const std::filesystem::path& program)
{
    const auto folder = findHelpFolder(program);
    return folder ? fileAddressOf(*folder, true) : std::string{};
}

} // namespace tessivar::xdg
