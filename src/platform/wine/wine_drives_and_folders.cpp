// The drives, folders and volumes of WineFileSystem.

#include "platform/wine/posix_file.h"
#include "platform/wine/wine_file_system.h"

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>
#include <system_error>

namespace tessivar::wine {

namespace {

std::string readSmallFile(const std::string& path)
{
    std::string text;
    if (readRegularFile(path, text, 4096) != FileRead::ok)
        return {};
    return text.substr(0, std::min<std::size_t>(256, text.find_first_of("\r\n")));
}

} // namespace

std::filesystem::path findWineFontFolder()
{
    std::vector<std::filesystem::path> candidates;
    std::error_code error;
    if (const char* pathList = std::getenv("PATH")) {
        std::string_view rest = pathList;
        while (!rest.empty()) {
            const auto colon = rest.find(':');
            const std::filesystem::path folder(rest.substr(0, colon));
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
            const auto wine = folder / "wine";
            if (folder.empty() || !std::filesystem::exists(wine, error))
                continue;
            candidates.push_back(folder / ".." / "share" / "wine" / "fonts");
            const auto real = std::filesystem::canonical(wine, error);
            if (!error) {
                candidates.push_back(real.parent_path() / ".." / "share" / "wine" / "fonts");
                candidates.push_back(real.parent_path() / ".." / ".." / "share" / "wine" / "fonts");
            }
        }
    }
    candidates.emplace_back("/usr/share/wine/fonts");
    candidates.emplace_back("/usr/local/share/wine/fonts");
    candidates.emplace_back("/opt/wine-stable/share/wine/fonts");
    for (const auto& candidate : candidates)
        if (std::filesystem::is_directory(candidate, error))
            return candidate.lexically_normal();
    return {};
}

bool WineFileSystem::GetVolumeInformationA(std::string_view rootPath, std::string* volumeName,
                                           std::uint32_t* serialNumber, std::string* fileSystemName)
{
    CallScope scope(*this);
    const auto path = canonicalWindowsPath(rootPath, Wildcards::rejected);
    if (!path || path->kind != WindowsPath::Kind::drive || !path->parts.empty())
        return false;
    const auto root = driveRootPath(*path);
    if (!root)
        return false;
    if (volumeName)
        *volumeName = readSmallFile(join(*root, ".windows-label"));
    if (serialNumber) {
        const std::string text = readSmallFile(join(*root, ".windows-serial"));
        char* end = nullptr;
        const unsigned long value = std::strtoul(text.c_str(), &end, 16);
        // Without a serial file Wine numbers a drive after its letter: 0x43000000 for C:.
        *serialNumber = end != text.c_str() ? static_cast<std::uint32_t>(value)
                                            : static_cast<std::uint32_t>(path->drive - 'a' + 'A') << 24;
    }
    if (fileSystemName) {
        switch (typeOfDrive(path->drive)) {
        case DriveType::cdrom:
            *fileSystemName = "CDFS";
            break;
        case DriveType::removable:
            *fileSystemName = "FAT";
            break;
        default:
            *fileSystemName = "NTFS";
            break;
        }
    }
    return true;
}

DriveType WineFileSystem::typeOfDrive(char lowerLetter)
{
    return driveTypeFor(lowerLetter, m_options.driveTypes ? m_options.driveTypes(lowerLetter) : std::string());
}

std::vector<DriveInfo> WineFileSystem::drives()
{
    if (m_depth > 0 && m_drives)
        return *m_drives;
    std::vector<DriveInfo> result;
    for (const auto& drive : listDrives(m_prefix, m_options.driveTypes))
        result.push_back(
            DriveInfo{static_cast<char>(drive.letter - 'a' + 'A'), drive.type, drive.hasRoot, drive.insidePrefix});
    if (m_depth > 0)
        m_drives = result;
    return result;
}

std::string WineFileSystem::GetSystemDirectoryA()
{
    return "C:\\windows\\system32";
}

std::string WineFileSystem::GetWindowsDirectoryA()
{
    return "C:\\windows";
}

std::string WineFileSystem::GetShortPathNameA(std::string_view path)
{
    // Linux file systems have no 8.3 names: the long form is the only one there is.
    return std::string(path);
}

std::string WineFileSystem::windowsPathOf(const std::filesystem::path& unixPath)
{
    std::string text = unixPath.lexically_normal().string();
    for (char& c : text)
        if (c == '/')
            c = '\\';
    while (text.size() > 1 && text.back() == '\\')
        text.pop_back();
    if (const auto z = driveRoot(m_prefix, 'z'); z && z->string() == "/")
        return text == "\\" ? "Z:\\" : "Z:" + text;
    return "\\\\?\\unix" + text;
}

std::string WineFileSystem::programFolder()
{
    std::filesystem::path folder;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/')
        folder = std::filesystem::path(data) / "tessivar";
    else if (const char* home = std::getenv("HOME"); home && *home == '/')
        folder = std::filesystem::path(home) / ".local" / "share" / "tessivar";
    else
        return {};
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return windowsPathOf(folder);
}

std::string WineFileSystem::GetTempPathA()
{
    if (!m_options.userName.empty()) {
        const std::string prefixTemp = "C:\\users\\" + m_options.userName + "\\Temp";
        const std::uint32_t attributes = GetFileAttributesA(prefixTemp);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return prefixTemp + "\\";
    }
    std::error_code error;
    const auto unixTemp = std::filesystem::temp_directory_path(error);
    const std::string text = windowsPathOf(error ? std::filesystem::path("/tmp") : unixTemp);
    return text.ends_with('\\') ? text : text + "\\";
}

} // namespace tessivar::wine
