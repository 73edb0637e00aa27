#include "checks/check_support.h"

#include "engine/path_utils.h"
#include "engine/scan_context.h"

#include <cctype>

namespace tessivar::checks {

bool isBlank(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

bool containsIgnoringCase(std::string_view text, std::string_view part)
{
    if (part.size() > text.size())
        return false;
    // ASCII letters only: the text is UTF-8, whose other bytes are no letters of their own.
    const auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    const char first = upper(part.empty() ? '\0' : part.front());
    const bool firstIsLetter = first >= 'A' && first <= 'Z';
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
        // A part that starts with a sign ("%Systemroot%") jumps from one such sign to the next.
        if (!part.empty() && !firstIsLetter) {
            at = text.find(first, at);
            if (at == std::string_view::npos || at + part.size() > text.size())
                return false;
        }
        std::size_t k = 0;
        while (k < part.size() && upper(text[at + k]) == upper(part[k]))
            ++k;
        if (k == part.size())
            return true;
    }
    return false;
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
    entry.KeyName = isBlank(input.valueName) ? std::string("(Default)") : input.valueName;
    entry.KeyValue = path;
    entry.RegistryScanners = input.scannerName;
    entry.FullKeyPath = input.keyPath;
    entry.mainkeyname = input.hiveName;
    if (completed == CompletedWithSystemFolder::yes)
        entry.DefaultOrNot = "Yes";
    recordProblem(input.context, std::move(entry));
}

} // namespace tessivar::checks
