#include "checks/shortcut_check.h"

#include "engine/scan_context.h"
#include "platform/shell_link.h"
#include "platform/shortcut_text.h"
#include "platform/text_utils.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

namespace tessivar {

namespace {

// An existence test that admits files and folders whatever their attributes.
constexpr std::uint32_t kAnyEntry = 0xFFFF;
// Expanded or relative targets longer than this are not believable paths.
constexpr std::size_t kMaxTargetLength = 32767;

bool isDriveAbsolute(std::string_view path)
{
    return path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
           path[1] == ':' && path[2] == '\\';
}

// Collapses "." and ".." of a drive path; nothing when ".." climbs above the root.
std::optional<std::string> normalise(std::string_view path)
{
    if (!isDriveAbsolute(path))
        return std::nullopt;
    std::vector<std::string_view> parts;
    std::size_t start = 3;
    while (start <= path.size()) {
        auto end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            if (parts.empty())
                return std::nullopt;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out(path.substr(0, 3));
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += '\\';
        out += parts[i];
    }
    return out;
}

std::optional<std::string> registryText(Registry& registry, HKEY hive, std::string_view keyPath, const char* name)
{
    HKEY key = 0;
    if (registry.RegOpenKeyExA(hive, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    std::optional<std::string> text;
    if (registry.RegQueryValueExA(key, name, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size <= kMaxTargetLength * 4) {
        std::string data(size, '\0');
        if (registry.RegQueryValueExA(key, name, &type, reinterpret_cast<std::uint8_t*>(data.data()), &size) ==
                ERROR_SUCCESS &&
            size <= data.size()) {
            data.resize(size);
            text = data.substr(0, data.find('\0'));
        }
    }
    registry.RegCloseKey(key);
    return text;
}

// The value of one environment variable as a program in the prefix would see it, for the
// variables a shortcut's target is likely to use; nothing when it cannot be known here (Wine
// computes the profile folders only when a program starts).
std::optional<std::string> variable(ScanContext& context, std::string_view name)
{
    const std::string key = upper(name);
    if (key == "SYSTEMROOT" || key == "WINDIR")
        return context.files.GetWindowsDirectoryA();
    if (key == "SYSTEMDRIVE") {
        const std::string windows = context.files.GetWindowsDirectoryA();
        return windows.size() >= 2 ? std::optional(windows.substr(0, 2)) : std::nullopt;
    }
    constexpr std::string_view kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    if (key == "PROGRAMFILES" || key == "PROGRAMW6432")
        return registryText(context.registry, HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir");
    if (key == "COMMONPROGRAMFILES" || key == "COMMONPROGRAMW6432")
        return registryText(context.registry, HKEY_LOCAL_MACHINE, kCurrentVersion, "CommonFilesDir");
    if (key == "PROGRAMFILES(X86)")
        return registryText(context.registry, HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir (x86)");
    const std::string valueName(name);
    if (auto value = registryText(context.registry, HKEY_CURRENT_USER, "Environment", valueName.c_str()))
        return value;
    return registryText(context.registry, HKEY_LOCAL_MACHINE,
                        "System\\CurrentControlSet\\Control\\Session Manager\\Environment", valueName.c_str());
}

// Expands %NAME% once, without recursion; nothing when a variable is unknown or the result still
// holds one.
std::optional<std::string> expand(ScanContext& context, std::string_view text)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto open = text.find('%', pos);
        if (open == std::string_view::npos) {
            out += text.substr(pos);
            break;
        }
        const auto close = text.find('%', open + 1);
        if (close == std::string_view::npos)
            return std::nullopt;
        out += text.substr(pos, open - pos);
        auto value = variable(context, text.substr(open + 1, close - open - 1));
        if (!value || value->find('%') != std::string::npos)
            return std::nullopt;
        out += *value;
        if (out.size() > kMaxTargetLength)
            return std::nullopt;
        pos = close + 1;
    }
    return out;
}

bool hasShortNameComponent(std::string_view path)
{
    std::size_t start = 0;
    while (start < path.size()) {
        auto end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (shortcut_text::LooksLikeShortName(path.substr(start, end - start)))
            return true;
        start = end + 1;
    }
    return false;
}

enum class Verdict { broken, fine };

// Step 12 for a Shell Link or a file: URL: every checkable form of the target must be missing,
// and there must be at least one.
Verdict judgeTargets(ScanContext& context, const ShortcutInfo& info, const std::string& folder)
{
    if (info.advertised || info.virtualItem || info.network || info.removableMedia)
        return Verdict::fine;

    std::vector<std::string> paths;
    for (const ShortcutTarget& target : info.targets) {
        if (target.uncertain)
            continue;
        std::optional<std::string> path = target.path;
        if (target.source == TargetSource::environment)
            path = expand(context, target.path);
        else if (target.source == TargetSource::relativePath && !isDriveAbsolute(target.path))
            path = target.path.starts_with("\\") ? folder.substr(0, 2) + target.path : folder + target.path;
        if (!path || path->size() > kMaxTargetLength)
            continue;
        if (path->starts_with("\\\\"))
            return Verdict::fine; // a share: the network decides, not us
        path = normalise(*path);
        // A drive root, wildcards (Wine's '?' substitutions among them) or made-up short names
        // cannot prove anything missing.
        if (!path || path->size() <= 3 || path->find_first_of("*?\"<>|") != std::string::npos ||
            hasShortNameComponent(*path))
            continue;
        if (std::find(paths.begin(), paths.end(), *path) == paths.end())
            paths.push_back(*path);
    }
    if (paths.empty())
        return Verdict::fine;

    // The shell re-bases a link on a known folder's current location; when the folder is not
    // where the link says, the link may well work.
    if (info.hasKnownFolder) {
        if (info.knownFolderPath.empty())
            return Verdict::fine;
        if (info.knownFolderPath.size() > 3 &&
            context.files.searchPath(info.knownFolderPath, kAnyEntry) != SearchOutcome::found)
            return Verdict::fine;
    }

    for (const std::string& path : paths)
        if (context.files.searchPath(path, kAnyEntry) != SearchOutcome::notFound)
            return Verdict::fine; // present, or a test that could not be carried out

    // Asked last: the drive list costs more than a search, and only a link about to be recorded
    // needs it.
    const std::vector<DriveInfo> drives = context.files.drives();
    for (const std::string& path : paths) {
        const char letter = upperAscii(path[0]);
        const auto drive = std::find_if(drives.begin(), drives.end(),
                                        [&](const DriveInfo& d) { return upperAscii(d.letter) == letter; });
        // A target on a drive this machine lacks, or on media that may simply be out, is not
        // known to be gone.
        if (drive == drives.end() || drive->type == DriveType::removable || drive->type == DriveType::cdrom ||
            drive->type == DriveType::network || !drive->hasRoot)
            return Verdict::fine;
    }
    return Verdict::broken;
}

constexpr std::array<std::string_view, 2> kSkippedPathParts = {"NETHOOD", "SYSTEM VOLUME INFORMATION"};
constexpr std::array<std::string_view, 3> kSkippedTypes = {"Shortcut to MS-DOS Program", "SpeedDial",
                                                           "Microsoft Access Report Shortcut"};

} // namespace

void CheckShortcut(ScanContext& context, const std::string& path)
{
    const std::string_view trimmedPath = trimmed(path, " \t");
    const std::string upperPath = upper(trimmedPath);
    for (std::string_view part : kSkippedPathParts)
        if (upperPath.find(part) != std::string::npos)
            return;
    if (trimmedPath.empty())
        return;

    const auto slash = trimmedPath.rfind('\\');
    const std::string folder(slash == std::string_view::npos ? std::string_view() : trimmedPath.substr(0, slash + 1));
    const std::string_view name = slash == std::string_view::npos ? trimmedPath : trimmedPath.substr(slash + 1);
    const std::string_view trimmedName = trimmed(name, " \t");
    if (trimmedName == "." || trimmedName == "..")
        return;
    // Only the last three letters of the name decide, and they are looked at before the file is
    // read: everything else costs the walk nothing.
    if (trimmedName.size() < 3)
        return;
    const std::string ending = upper(trimmedName.substr(trimmedName.size() - 3));
    if (ending != "LNK" && ending != "URL")
        return;
    if (folder.empty())
        return;

    std::string bytes;
    if (!context.files.readFile(path, &bytes, kMaxShortcutReadBytes))
        return;
    const ShortcutInfo info = ReadShortcut(bytes);
    if (!info.isLink)
        return;
    for (std::string_view type : kSkippedTypes)
        if (equalsIgnoringCase(trimmed(info.typeName, " \t"), type))
            return;
    if (info.malformed)
        return;
    if (equalsIgnoringCase(trimmed(info.workingDirectory, " \t"), "%HOMEDRIVE%%HOMEPATH%"))
        return;

    if (info.format == ShortcutFormat::internetShortcut) {
        const bool noUrl = !info.hasUrl || trimmed(info.url, " \t").empty();
        if (!noUrl && (info.targets.empty() || judgeTargets(context, info, folder) != Verdict::broken))
            return;
    } else if (judgeTargets(context, info, folder) != Verdict::broken) {
        return;
    }
    recordShortcut(context, path);
}

} // namespace tessivar
