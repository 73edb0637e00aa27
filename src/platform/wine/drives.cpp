#include "platform/wine/drives.h"

#include "platform/registry.h"
#include "platform/text_utils.h"

#include <iterator>
#include <sys/stat.h>
#include <system_error>

namespace tessivar::wine {

namespace {

bool isFolder(const std::filesystem::path& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Both paths as the system resolves them, links followed; a path that cannot be resolved is
// compared as written.
bool isWithin(const std::filesystem::path& inner, const std::filesystem::path& outer)
{
    std::error_code error;
    auto resolve = [&error](const std::filesystem::path& path) {
        auto real = std::filesystem::weakly_canonical(path, error);
        return error ? path.lexically_normal() : real;
    };
    const std::filesystem::path in = resolve(inner);
    const std::filesystem::path out = resolve(outer);
    auto i = in.begin();
    for (auto o = out.begin(); o != out.end(); ++o, ++i) {
        if (o->empty() && std::next(o) == out.end())
            break; // a trailing separator
        if (i == in.end() || *i != *o)
            return false;
    }
    return true;
}

} // namespace

DriveTypeReader driveTypeReaderFor(Registry& registry)
{
    return [&registry](char lowerLetter) -> std::string {
        HKEY key = 0;
        if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives", 0, KEY_QUERY_VALUE, &key) !=
            ERROR_SUCCESS)
            return {};
        const char name[3] = {lowerLetter, ':', 0};
        std::string text;
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        if (registry.RegQueryValueExA(key, name, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ &&
            size > 0 && size < 4096) {
            std::string buffer(size, '\0');
            if (registry.RegQueryValueExA(key, name, &type, reinterpret_cast<std::uint8_t*>(buffer.data()), &size) ==
                ERROR_SUCCESS) {
                buffer.resize(std::min<std::size_t>(size, buffer.size()));
                text = buffer.substr(0, buffer.find('\0'));
            }
        }
        registry.RegCloseKey(key);
        return text;
    };
}

DriveType driveTypeFor(char lowerLetter, const std::string& setting)
{
    if (equalsIgnoringCase(setting, "hd"))
        return DriveType::fixed;
    if (equalsIgnoringCase(setting, "floppy"))
        return DriveType::removable;
    if (equalsIgnoringCase(setting, "cdrom"))
        return DriveType::cdrom;
    if (equalsIgnoringCase(setting, "network"))
        return DriveType::network;
    if (equalsIgnoringCase(setting, "ramdisk"))
        return DriveType::ramDisk;
    return (lowerLetter == 'a' || lowerLetter == 'b') ? DriveType::removable : DriveType::fixed;
}

std::optional<std::filesystem::path> driveRoot(const std::filesystem::path& prefix, char lowerLetter)
{
    const std::filesystem::path devices = prefix / "dosdevices";
    const std::filesystem::path link = devices / std::string{lowerLetter, ':'};
    std::error_code error;
    const auto status = std::filesystem::symlink_status(link, error);
    if (error || !std::filesystem::exists(status))
        return std::nullopt;
    if (!std::filesystem::is_symlink(status))
        return link; // a plain folder standing in for the link works the same for Wine
    auto target = std::filesystem::read_symlink(link, error);
    if (error)
        return std::nullopt;
    if (target.is_relative())
        target = devices / target;
    target = target.lexically_normal();
    std::string text = target.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return std::filesystem::path(text);
}

std::vector<WineDrive> listDrives(const std::filesystem::path& prefix, const DriveTypeReader& readType)
{
    std::vector<WineDrive> drives;
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        const auto root = driveRoot(prefix, letter);
        if (!root)
            continue;
        WineDrive drive;
        drive.letter = letter;
        drive.root = *root;
        drive.hasRoot = isFolder(*root);
        drive.type =
            drive.hasRoot ? driveTypeFor(letter, readType ? readType(letter) : std::string()) : DriveType::unknown;
        drive.insidePrefix = letter == 'c' || isWithin(*root, prefix);
        drives.push_back(std::move(drive));
    }
    return drives;
}

} // namespace tessivar::wine
