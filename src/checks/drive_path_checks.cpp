// Three checks that look for a drive path ("X:\") inside a value's data, drop what stands in front
// of the drive letter and test the file that remains; a bare name is looked up in the system
// folder. They differ only in a few filters.

#include "checks/check_support.h"
#include "checks/checks.h"
#include "engine/path_utils.h"
#include "engine/scan_context.h"

#include <string>

namespace tessivar {

namespace {

using checks::CheckInput;
using checks::CompletedWithSystemFolder;

enum class DrivePathCheck { uninstallLocation, sharedFile, virtualDevice };

void checkDrivePath(DrivePathCheck kind, const CheckInput& input, std::string data)
{
    const bool location = kind == DrivePathCheck::uninstallLocation;
    const bool shared = kind == DrivePathCheck::sharedFile;

    // Installer data made of blanks still goes on for the uninstall location; the others stop.
    if (location ? data.empty() : checks::isBlank(data))
        return;
    if (location)
        CleanPathTextInPlace(data);
    if (!checks::contains(data, "."))
        return;

    if (checks::contains(data, "\\")) {
        // Without a drive letter (a share, a placeholder, a relative path) there is nothing
        // this check can look up reliably.
        const auto drive = data.find(":\\");
        if (drive == std::string::npos)
            return;
        if (drive > 0)
            data.erase(0, drive - 1);
        if (location)
            data = CutAtSwitches(data);
        if (shared && GetFileExtension(data).size() != 3)
            return;
        checks::recordIfMissing(input, data);
        return;
    }

    if (location && checks::contains(data, ":/"))
        return; // a web address
    if (shared && checks::contains(data, "*"))
        return;
    if (location)
        data = CutAtSwitches(data);
    const std::string completed = checks::inSystemFolder(input.context, data);
    if (shared && GetFileExtension(data).size() != 3)
        return;
    checks::recordIfMissing(input, completed, CompletedWithSystemFolder::yes);
}

} // namespace

void CheckUninstallLocation(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                            std::string data, const std::string& scannerName, const std::string& keyPath)
{
    checkDrivePath(DrivePathCheck::uninstallLocation,
                   CheckInput{context, hive, hiveName, valueName, scannerName, keyPath}, std::move(data));
}

void CheckSharedFile(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                     std::string data, const std::string& scannerName, const std::string& keyPath)
{
    checkDrivePath(DrivePathCheck::sharedFile, CheckInput{context, hive, hiveName, valueName, scannerName, keyPath},
                   std::move(data));
}

void CheckVirtualDevice(ScanContext& context, HKEY hive, const std::string& hiveName, const std::string& valueName,
                        std::string data, const std::string& scannerName, const std::string& keyPath)
{
    checkDrivePath(DrivePathCheck::virtualDevice, CheckInput{context, hive, hiveName, valueName, scannerName, keyPath},
                   std::move(data));
}

} // namespace tessivar
