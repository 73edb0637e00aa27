#include "engine/path_utils.h"

#include "engine/registry_ops.h"
#include "engine/scan_context.h"
#include "platform/text_utils.h"

namespace tessivar {

namespace {

constexpr std::size_t kFolderBufferChars = 256;
constexpr std::size_t kShortNameBufferChars = 164; // of a 165-character buffer

constexpr std::string_view kSystemRootPlaceholder = "%Systemroot%";
constexpr std::string_view kProgramFilesPlaceholder = "%ProgramFiles%";
constexpr std::string_view kCommonFilesPlaceholder = "%commonprogramfiles%";

constexpr std::string_view kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// Position of the first occurrence of `needle` in `text`, letter case ignored; npos when none.
std::size_t findIgnoringCase(std::string_view text, std::string_view needle)
{
    if (needle.size() > text.size())
        return std::string_view::npos;
    for (std::size_t i = 0; i + needle.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && lowerAscii(text[i + k]) == lowerAscii(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::string_view::npos;
}

std::string textAfter(std::string_view text, std::string_view placeholder)
{
    const std::size_t at = findIgnoringCase(text, placeholder);
    return at == std::string_view::npos ? std::string() : std::string(text.substr(at + placeholder.size()));
}

// A folder the platform reports in a buffer of 256 characters: one that would not fit is a failed
// call, which gives "" rather than a truncated or garbage path.
std::string fromFolderBuffer(std::string folder)
{
    return folder.size() < kFolderBufferChars ? folder : std::string();
}

std::string programFolderValue(Registry& registry, std::string_view valueName)
{
    std::string text;
    if (!ReadValueFromKey(registry, HKEY_LOCAL_MACHINE, kCurrentVersionKey, valueName, text))
        return {};
    return std::string(trimmed(text));
}

} // namespace

namespace {

// What CleanPathText keeps of `text`.
std::string_view cleanedPathText(std::string_view text)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && (text[begin] == '"' || text[begin] == '\r' || text[begin] == ' '))
        ++begin;
    while (end > begin && (text[end - 1] == '"' || text[end - 1] == '\n' || text[end - 1] == ' '))
        --end;
    return text.substr(begin, end - begin);
}

} // namespace

std::string CleanPathText(std::string_view text)
{
    return std::string(cleanedPathText(text));
}

void CleanPathTextInPlace(std::string& text)
{
    const std::string_view kept = cleanedPathText(text);
    const auto begin = static_cast<std::size_t>(kept.data() - text.data());
    text.resize(begin + kept.size());
    text.erase(0, begin);
}

std::string CutAtSwitches(std::string_view text)
{
    std::string result;
    if (const auto slash = text.find('/'); slash != std::string_view::npos)
        result = CleanPathText(text.substr(0, slash));
    // The comma decides whenever there is one, wherever the slash stands.
    if (const auto comma = text.find(','); comma != std::string_view::npos)
        result = CleanPathText(text.substr(0, comma));
    if (result.empty())
        return std::string(text);
    return result;
}

std::string GetFileExtension(std::string_view path)
{
    for (std::size_t i = path.size(); i-- > 0;) {
        const char c = path[i];
        if (c == '.') {
            std::string extension(path.substr(i + 1));
            for (char& e : extension)
                e = lowerAscii(e);
            return extension;
        }
        if (c == ':' || c == '\\')
            return {};
    }
    return {};
}

std::string WithTrailingBackslash(std::string_view folder)
{
    if (trimmed(folder).empty())
        return {};
    if (folder.back() == '\\')
        return std::string(folder);
    return std::string(folder) + '\\';
}

std::string GetSystemFolder(FileSystem& files)
{
    return fromFolderBuffer(files.GetSystemDirectoryA());
}

std::string GetWindowsFolder(FileSystem& files)
{
    return fromFolderBuffer(files.GetWindowsDirectoryA());
}

std::string GetProgramFilesFolder(Registry& registry)
{
    return programFolderValue(registry, "ProgramFilesDir");
}

std::string GetCommonFilesFolder(Registry& registry)
{
    return programFolderValue(registry, "CommonFilesDir");
}

std::string TextAfterRootPlaceholder(std::string_view text)
{
    if (findIgnoringCase(text, kSystemRootPlaceholder) != std::string_view::npos)
        return textAfter(text, kSystemRootPlaceholder);
    return textAfter(text, kProgramFilesPlaceholder);
}

std::string TextAfterCommonPlaceholder(std::string_view text)
{
    return textAfter(text, kCommonFilesPlaceholder);
}

void CheckPlaceholderPath(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                          std::string data, const std::string& scannerName, const std::string& keyPath)
{
    std::string path;
    bool blankNameIsDefault = false;
    if (findIgnoringCase(data, kSystemRootPlaceholder) != std::string_view::npos) {
        path = GetWindowsFolder(context.files) + TextAfterRootPlaceholder(data);
    } else if (findIgnoringCase(data, kProgramFilesPlaceholder) != std::string_view::npos) {
        path = GetProgramFilesFolder(context.registry) + TextAfterRootPlaceholder(data);
    } else if (findIgnoringCase(data, kCommonFilesPlaceholder) != std::string_view::npos) {
        path = GetCommonFilesFolder(context.registry) + TextAfterCommonPlaceholder(data);
        blankNameIsDefault = true;
    } else {
        // Data without any placeholder this check can expand ("%Sysroot%\...") names no path
        // that could be tested: the test cannot be carried out, so the value counts as present.
        return;
    }
    if (FileOrFolderIsPresent(context.files, path))
        return;
    ProblemEntry entry;
    entry.MainKey = hiveHandleText(hive);
    const bool isDefault = blankNameIsDefault ? trimmed(valueName).empty() : valueName.empty();
    entry.KeyName = isDefault ? "(Default)" : valueName;
    entry.KeyValue = std::move(path);
    entry.RegistryScanners = scannerName;
    entry.FullKeyPath = keyPath;
    entry.mainkeyname = hiveName;
    recordProblem(context, std::move(entry));
}

bool FileIsPresent(FileSystem& files, std::string_view path)
{
    static constexpr std::uint32_t kMasks[] = {
        0, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_READONLY, 0, FILE_ATTRIBUTE_SYSTEM};
    for (const std::uint32_t mask : kMasks) {
        const SearchOutcome outcome = files.searchPath(path, mask);
        if (outcome != SearchOutcome::notFound)
            return true; // found, or a search that could not be carried out
    }
    // A file both hidden and system passes none of the single masks above, yet it is there.
    return files.searchPath(path, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) != SearchOutcome::notFound;
}

bool FileOrFolderIsPresent(FileSystem& files, std::string_view path)
{
    return FileIsPresent(files, path) || files.searchPath(path, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                                                                    FILE_ATTRIBUTE_SYSTEM) != SearchOutcome::notFound;
}

bool IsOnFixedDrive(FileSystem& files, std::string_view path)
{
    if (path.empty())
        return false;
    const char first = upperAscii(path.front());
    for (const DriveInfo& drive : files.drives()) {
        if (upperAscii(drive.letter) == first)
            return drive.type == DriveType::fixed;
    }
    return false;
}

std::string GetShortName(FileSystem& files, std::string_view path)
{
    std::string shortName = files.GetShortPathNameA(path);
    // A name longer than the buffer offered is a failed call, not a name to show.
    return shortName.size() < kShortNameBufferChars ? shortName : std::string();
}

} // namespace tessivar
