#include "checks/check_support.h"

#include <cctype>

#include "engine/path_utils.h"
#include "engine/scan_context.h"

namespace tessivar::checks {

std::string trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string upperCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

bool containsIgnoringCase(std::string_view text, std::string_view part)
{
    return contains(upperCase(text), upperCase(part));
}

std::string inSystemFolder(ScanContext& context, std::string_view name)
{
    return WithTrailingBackslash(GetSystemFolder(context.files)) + std::string(name);
}

void recordIfMissing(const CheckInput& input, const std::string& path, CompletedWithSystemFolder completed)
{
    if (FileOrFolderIsPresent(input.context.files, path))
        return;
    ProblemEntry entry;
    entry.MainKey = hiveHandleText(input.hive);
    entry.KeyName = trimBlanks(input.valueName).empty() ? std::string("(Default)") : input.valueName;
    entry.KeyValue = path;
    entry.RegistryScanners = input.scannerName;
    entry.FullKeyPath = input.keyPath;
    entry.mainkeyname = input.hiveName;
    if (completed == CompletedWithSystemFolder::yes)
        entry.DefaultOrNot = "Yes";
    recordProblem(input.context, std::move(entry));
}

} // namespace tessivar::checks
