// Help files and fonts are listed by a split of name and place: the help key names the file and
// gives its folder as data; the fonts key gives a bare file name of the Windows font folder, or
// a full path. Neither check cleans the data or filters by extension.

#include "checks/check_support.h"
#include "checks/checks.h"
#include "engine/path_utils.h"
#include "engine/scan_context.h"

#include <string>

namespace tessivar {

using checks::CheckInput;
using checks::CompletedWithSystemFolder;

void CheckHelpFile(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                   std::string data, const std::string& scannerName, const std::string& keyPath)
{
    if (data.empty())
        return;
    const CheckInput input{context, hive, hiveName, valueName, scannerName, keyPath};
    // A folder of blanks adds nothing, which leaves the bare help file name.
    const std::string file = (data.back() == '\\' ? data : WithTrailingBackslash(data)) + valueName;
    if (checks::contains(file, "\\")) {
        checks::recordIfMissing(input, file);
        return;
    }
    checks::recordIfMissing(input, checks::inSystemFolder(context, file), CompletedWithSystemFolder::yes);
}

void CheckFont(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
               std::string data, const std::string& scannerName, const std::string& keyPath)
{
    if (data.empty())
        return;
    const CheckInput input{context, hive, hiveName, valueName, scannerName, keyPath};
    if (checks::contains(data, "\\")) {
        checks::recordIfMissing(input, data);
        return;
    }
    // Completed with the font folder, not the system folder: no "Yes" on a font row.
    checks::recordIfMissing(input, WithTrailingBackslash(GetWindowsFolder(context.files)) + "Fonts\\" + data);
}

} // namespace tessivar
