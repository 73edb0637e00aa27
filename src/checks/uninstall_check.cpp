// The uninstall entries of installed programs: each value that names a file goes, by its name,

#include "platform/text_utils.h"
// to the check that understands its form. Only the silent uninstall command has a routine here.

#include "checks/check_support.h"
#include "checks/checks.h"
#include "engine/path_utils.h"
#include "engine/scan_context.h"

#include <string>

namespace tessivar {

using checks::CheckInput;
using checks::CompletedWithSystemFolder;

namespace {

constexpr auto npos = std::string::npos;

// A name with a three-letter extension, perhaps after a host program and a blank, looked up in
// the system folder.
void lookUpBareName(const CheckInput& input, const std::string& text)
{
    const auto dot = text.find('.');
    if (dot == npos || text.size() - dot - 1 != 3)
        return;
    const auto blank = text.find(' ');
    const std::string name = blank == npos ? text : text.substr(blank + 1);
    checks::recordIfMissing(input, GetSystemFolder(input.context.files) + "\\" + name, CompletedWithSystemFolder::yes);
}

// The silent uninstall command: the first name of the line and the first name after a blank are
// looked up in the system folder (a host program and the library it loads), and a line that
// carries a full path after a blank goes to the drive-path step. The data is used as it came.
void checkQuietUninstall(const CheckInput& input, const std::string& data)
{
    const auto firstDot = data.find('.');
    if (firstDot == npos)
        return;
    std::string head = data.substr(0, firstDot + 4);
    if (!checks::contains(head, ":\\"))
        lookUpBareName(input, head);

    const auto secondDot = data.find('.', firstDot + 1);
    if (secondDot == npos)
        return;
    head = data.substr(0, secondDot + 4);
    const auto blank = head.find(' ');
    std::string loaded;
    if (blank != npos)
        loaded = CleanPathText(head.find('\\', blank + 1) != npos ? head : head.substr(blank + 1));
    if (!checks::contains(loaded, "\\"))
        lookUpBareName(input, loaded);
    if (blank == npos)
        return;

    const auto folder = data.find('\\', blank + 1);
    if (folder == npos || data.find('.', folder + 1) == npos)
        return;
    CheckStartupDrivePaths(input.context, input.hive, input.hiveName, input.valueName, data, input.scannerName,
                           input.keyPath);
}

} // namespace

void CheckUninstall(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                    std::string data, const std::string& scannerName, const std::string& keyPath)
{
    // The name is matched as stored: a trailing blank makes it another value.
    const std::string name = upper(valueName);
    if (name == "UNINSTALLSTRING" || name == "UNINSTALLPATH") {
        CheckStartup(context, hive, hiveName, valueName, std::move(data), scannerName, keyPath);
    } else if (name == "QUIETUNINSTALLSTRING") {
        checkQuietUninstall(CheckInput{context, hive, hiveName, valueName, scannerName, keyPath}, data);
    } else if (name == "INSTALLSOURCE" || name == "MODIFYPATH" || name == "DISPLAYICON") {
        CheckUninstallLocation(context, hive, hiveName, valueName, std::move(data), scannerName, keyPath);
    }
}

} // namespace tessivar
