// Start-up entries are command lines, not paths: a program, perhaps quoted, perhaps with switches

#include "platform/text_utils.h"
// after a dash or a slash, sometimes a host program followed by the file it loads, sometimes two
// full paths in one line. A fixed sequence of cuts pulls out the file or files worth testing.

#include "checks/check_support.h"
#include "checks/checks.h"
#include "engine/path_utils.h"
#include "engine/scan_context.h"

#include <algorithm>
#include <string>

namespace tessivar {

using checks::CheckInput;
using checks::CompletedWithSystemFolder;

namespace {

constexpr auto npos = std::string::npos;

// One path of a two-path line: cut at switches, and keep at most a three-letter extension so
// that arguments glued to the first path ("C:\a.exe-x") go.
void testOneOfTwoPaths(const CheckInput& input, std::string path)
{
    path = CutAtSwitches(path);
    const auto dot = path.find('.');
    if (dot != npos && CleanPathText(path.substr(dot + 1)).size() != 3)
        path.resize(std::min(path.size(), dot + 4));
    checks::recordIfMissing(input, path);
}

} // namespace

void CheckStartup(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                  std::string data, const std::string& scannerName, const std::string& keyPath)
{
    if (checks::isBlank(data))
        return;
    CleanPathTextInPlace(data);
    const auto firstDot = data.find('.');
    if (firstDot == npos)
        return;

    // A folder after the first dot: a folder name with a dot, or a host program followed by a
    // full path. Only lines that still name a file there are worth the drive-path step.
    const auto folderAfterDot = data.find('\\', firstDot + 1);
    if (folderAfterDot != npos) {
        if (data.find('.', folderAfterDot + 1) == npos)
            return;
        CheckStartupDrivePaths(context, hive, hiveName, valueName, std::move(data), scannerName, keyPath);
        return;
    }

    std::string file = CutAtSwitches(data);
    // A dash cuts switches off, but not a dash inside a folder name.
    const auto dash = file.find('-');
    if (dash != npos && file.find('\\', dash) == npos)
        file.resize(dash);
    file = CleanPathText(file);
    // A host program followed by the file it loads: the loaded file is what matters.
    const auto blank = file.find(' ');
    if (blank != npos && file.find('\\', blank) == npos)
        file.erase(0, blank + 1);

    const auto dot = file.find('.');
    const std::string extension = dot == npos ? std::string() : std::string(trimmed(file.substr(dot + 1)));
    if (extension.size() != 3)
        return;

    const CheckInput input{context, hive, hiveName, valueName, scannerName, keyPath};
    if (checks::contains(file, ":\\")) {
        checks::recordIfMissing(input, file);
        return;
    }
    checks::recordIfMissing(input, checks::inSystemFolder(context, file), CompletedWithSystemFolder::yes);
}

void CheckStartupDrivePaths(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                            std::string data, const std::string& scannerName, const std::string& keyPath)
{
    const CheckInput input{context, hive, hiveName, valueName, scannerName, keyPath};
    const auto first = data.find(":\\");
    if (first == npos)
        return;
    const auto second = data.find(":\\", first + 1);

    if (second == npos) {
        if (first > 0)
            data.erase(0, first - 1);
        // Arguments after the path without a comma or slash stay part of the tested text.
        checks::recordIfMissing(input, CutAtSwitches(data));
        return;
    }

    // A first path with no drive letter in front (the line starts with ":\") names nothing that
    // can be looked up; only the second is tested then. A third drive path stays with the second.
    if (first > 0)
        testOneOfTwoPaths(input, data.substr(first - 1, second - first));
    testOneOfTwoPaths(input, data.substr(second - 1));
}

} // namespace tessivar
