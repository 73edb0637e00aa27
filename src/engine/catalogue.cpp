#include "engine/catalogue.h"

#include "platform/text_utils.h"

#include <algorithm>

namespace tessivar {

namespace {

constexpr std::string_view kHKCR = "HKEY_CLASSES_ROOT";
constexpr std::string_view kHKCU = "HKEY_CURRENT_USER";
constexpr std::string_view kHKLM = "HKEY_LOCAL_MACHINE";

constexpr std::string_view kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

SectionWalk walk(HKEY hive, std::string_view hiveName, std::string_view keyPath, WalkKind kind)
{
    return SectionWalk{hive, std::string(hiveName), std::string(keyPath), kind};
}

std::vector<ScanSection> makeFixedSections()
{
    std::vector<ScanSection> sections;
    sections.push_back({"Registry Integrity",
                        1,
                        "Registry Integrity",
                        {walk(HKEY_CLASSES_ROOT, kHKCR, "CLSID", WalkKind::SubkeyNames)},
                        "",
                        false});
    sections.push_back({"Custom Controls",
                        2,
                        " Custom Controls....",
                        {walk(HKEY_CLASSES_ROOT, kHKCR, "CLSID", WalkKind::SubkeyTree)},
                        "ActiveX \\ COM",
                        true});
    sections.push_back({"Sub Section Controls",
                        3,
                        " Sub Section Controls....",
                        {walk(HKEY_LOCAL_MACHINE, kHKLM, "SOFTWARE\\Classes\\CLSID", WalkKind::SubkeyTree)},
                        "ActiveX \\ COM Subsections",
                        true});
    sections.push_back({"Software Locations",
                        4,
                        " Software Locations....",
                        {walk(HKEY_LOCAL_MACHINE, kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
                              WalkKind::SubkeyTree)},
                        "Application Paths",
                        true});
    sections.push_back(
        {"Help Files",
         5,
         "Help Files",
         {walk(HKEY_LOCAL_MACHINE, kHKLM, "SOFTWARE\\Microsoft\\Windows\\Help", WalkKind::KeyValues),
          walk(HKEY_LOCAL_MACHINE, kHKLM, "SOFTWARE\\Microsoft\\Windows\\HTML Help", WalkKind::KeyValues)},
         "Help Files",
         true});
    sections.push_back({"Shared Files",
                        6,
                        " Shared files....",
                        {walk(HKEY_LOCAL_MACHINE, kHKLM, "SOFTWARE\\Microsoft\\Shared Tools", WalkKind::SubkeyTree)},
                        "Microsoft Shared",
                        true});
    // The start-up entries are the Run key's own values, which a subkey tree never visits; they
    // are walked first, then the Run key's subkeys and the start-menu order tree.
    sections.push_back({"Windows Startup",
                        7,
                        "Windows Startup",
                        {walk(HKEY_LOCAL_MACHINE, kHKLM, kRunKey, WalkKind::KeyValues),
                         walk(HKEY_LOCAL_MACHINE, kHKLM, kRunKey, WalkKind::SubkeyTree),
                         walk(HKEY_CURRENT_USER, kHKCU,
                              "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs",
                              WalkKind::SubkeyTree)},
                        "Windows Startup",
                        true});
    sections.push_back({"Uninstall Section",
                        8,
                        " Uninstall files...",
                        {walk(HKEY_LOCAL_MACHINE, kHKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                              WalkKind::SubkeyTree)},
                        "Uninstall Section",
                        true});
    sections.push_back({"Virtual Devices",
                        9,
                        " Virtual Devices...",
                        {walk(HKEY_LOCAL_MACHINE, kHKLM, "SYSTEM\\CurrentControlSet\\Control\\VirtualDeviceDrivers",
                              WalkKind::KeyValues)},
                        "VxD Section",
                        true});
    sections.push_back({"Windows Fonts",
                        10,
                        " Windows fonts...",
                        {walk(HKEY_LOCAL_MACHINE, kHKLM, kFontsKeyPathNT, WalkKind::KeyValues)},
                        "Windows Fonts",
                        true});
    // Shown only: the value walker hands nothing to a check while lblStatus reads this section's
    // status, so the scanner name never selects a check here.
    sections.push_back({"Configuration files",
                        11,
                        " Configuration files...",
                        {walk(HKEY_LOCAL_MACHINE, kHKLM, "SOFTWARE", WalkKind::SubkeyTree),
                         walk(HKEY_LOCAL_MACHINE, kHKLM, "SOFTWARE\\Classes", WalkKind::SubkeyTree)},
                        "Application Paths",
                        false});
    return sections;
}

} // namespace

std::string_view FontsKeyPath(std::int32_t platformId)
{
    return platformId == 2 ? kFontsKeyPathNT : kFontsKeyPathOther;
}

const std::vector<ScanSection>& FixedScanSections()
{
    static const std::vector<ScanSection> sections = makeFixedSections();
    return sections;
}

std::string DriveEntryListText(char letter)
{
    return std::string(kDriveEntryPrefix) + letter;
}

std::string DriveRootPath(char letter)
{
    return std::string(1, letter) + ":\\";
}

std::string DriveScanStatusText(std::string_view root)
{
    return " Shortcuts " + std::string(root) + "...";
}

ScanSection DriveScanSection(char letter)
{
    return ScanSection{DriveEntryListText(letter),
                       kDriveEntrySmallIcon,
                       std::string(kDriveSectionStatusText),
                       {SectionWalk{0, "", DriveRootPath(letter), WalkKind::DriveShortcuts}},
                       "",
                       false};
}

std::optional<std::string> DriveLetterOfEntry(std::string_view listText)
{
    std::string upper(trimmed(listText));
    std::transform(upper.begin(), upper.end(), upper.begin(), upperAscii);
    const auto at = upper.find(kDriveEntryMarker);
    if (at == std::string::npos)
        return std::nullopt;
    // Every occurrence goes, as a text replacement removes them all.
    std::string rest;
    std::size_t from = 0;
    for (auto found = at; found != std::string::npos; found = upper.find(kDriveEntryMarker, from)) {
        rest.append(upper, from, found - from);
        from = found + kDriveEntryMarker.size();
    }
    rest.append(upper, from, std::string::npos);
    return std::string(trimmed(rest));
}

std::vector<char> FixedDriveLetters(const std::vector<DriveInfo>& drives)
{
    std::vector<char> letters;
    for (const auto& drive : drives)
        if (drive.type == DriveType::fixed)
            letters.push_back(drive.letter);
    return letters;
}

std::vector<ScanSection> ScanCatalogue(const std::vector<DriveInfo>& drives)
{
    std::vector<ScanSection> sections = FixedScanSections();
    for (char letter : FixedDriveLetters(drives))
        sections.push_back(DriveScanSection(letter));
    return sections;
}

} // namespace tessivar
