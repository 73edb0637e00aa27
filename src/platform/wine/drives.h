#pragma once

// The drives of a Wine prefix: one per lower-case "x:" link in its dosdevices folder, typed as
// Wine's mount manager types them.

#include "platform/file_system.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessivar {
class Registry;
}

namespace tessivar::wine {

// Reads the drive-type setting of one drive ("c:" → "hd", "cdrom", ...); "" when there is none.
using DriveTypeReader = std::function<std::string(char lowerLetter)>;

// A reader over HKLM\Software\Wine\Drives of `registry`. The registry must outlive the reader.
DriveTypeReader driveTypeReaderFor(Registry& registry);

// The type Wine gives a drive: the setting when it is one of hd, floppy, cdrom, network or
// ramdisk (any letter case), else removable for a: and b: and fixed for the rest.
DriveType driveTypeFor(char lowerLetter, const std::string& setting);

struct WineDrive {
    char letter = 0;            // lower case
    std::filesystem::path root; // the link's target, relative targets resolved against dosdevices/
    DriveType type = DriveType::unknown;
    bool hasRoot = false;
    // The folder is the prefix's own: C: always (it holds the Windows folder wherever drive_c
    // lives), any other letter when its folder lies within the prefix's folder.
    bool insidePrefix = false;
};

// The link of drive `lowerLetter` and where it points; nothing when there is no such link.
std::optional<std::filesystem::path> driveRoot(const std::filesystem::path& prefix, char lowerLetter);

// Every drive of the prefix in letter order. A link whose target is not a folder stays in the
// list with hasRoot false and type unknown, as Windows lists a drive with no root folder.
std::vector<WineDrive> listDrives(const std::filesystem::path& prefix, const DriveTypeReader& readType);

} // namespace tessivar::wine
