#pragma once

// The section catalogue: the eleven fixed registry sections in scan order, then one entry per
// fixed drive for the shortcut walk. The texts are the program's own and are used exactly as they
// stand; ListText doubles as the settings key of the section's check state.

#include "platform/file_system.h"
#include "platform/registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

enum class WalkKind {
    SubkeyTree,     // every subkey below the start key, depth first: its values, then its subkeys
    KeyValues,      // the start key's own values only
    SubkeyNames,    // the names of the start key's direct subkeys, shown one by one; no checks
    DriveShortcuts, // one fixed drive's folders, for broken shortcut files
};

struct SectionWalk {
    HKEY hive = 0;        // 0 for a drive walk
    std::string hiveName; // "HKEY_LOCAL_MACHINE", ...; empty for a drive walk
    std::string keyPath;  // relative to the hive; the drive's root ("C:\") for a drive walk
    WalkKind kind = WalkKind::SubkeyTree;
};

struct ScanSection {
    std::string ListText;
    int SmallIcon = 0;      // the section's position 1-11; 12 for every drive entry
    std::string StatusText; // put into lblStatus when the section starts
    std::vector<SectionWalk> Walks;
    std::string ScannerName; // empty where no check runs (positions 1 and 12 on)
    bool counted = false;    // whether the section's count goes to the summary
};

inline constexpr std::size_t kFixedSectionCount = 11;
inline constexpr int kDriveEntrySmallIcon = 12;
inline constexpr std::string_view kDriveEntryPrefix = "Window Shortcut ";
// What the driver looks for in an upper-cased, trimmed ListText to tell a drive entry.
inline constexpr std::string_view kDriveEntryMarker = "WINDOW SHORTCUT";
inline constexpr std::string_view kDriveSectionStatusText = " Shortcuts...";

// Positions 1-based, as the section list counts them.
inline constexpr int kPositionRegistryIntegrity = 1;
inline constexpr int kPositionWindowsFonts = 10;
inline constexpr int kPositionConfigurationFiles = 11;

// The fonts section walks the NT key on the NT family (platform id 2), the other key elsewhere;
// the catalogue lists the NT key, and the driver asks FontsKeyPath at scan time.
inline constexpr std::string_view kFontsKeyPathNT = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
inline constexpr std::string_view kFontsKeyPathOther = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
std::string_view FontsKeyPath(std::int32_t platformId);

// The eleven fixed sections, in scan order. Never fails.
const std::vector<ScanSection>& FixedScanSections();

// "Window Shortcut " + the letter.
std::string DriveEntryListText(char letter);
// The letter followed by ":\".
std::string DriveRootPath(char letter);
// " Shortcuts " + root + "...", the status while one drive is walked.
std::string DriveScanStatusText(std::string_view root);
// The drive entry of one letter, as the catalogue lists it.
ScanSection DriveScanSection(char letter);

// The drive letter of a section-list entry, read as the driver reads it: the ListText trimmed and
// upper-cased must contain "WINDOW SHORTCUT"; what remains without it, trimmed, is the letter
// text. nullopt when the marker is absent. The text may be empty or longer than one letter when
// the entry was not made by the catalogue.
std::optional<std::string> DriveLetterOfEntry(std::string_view listText);

// The letters of the fixed drives, in the order the file system lists them.
std::vector<char> FixedDriveLetters(const std::vector<DriveInfo>& drives);

// The whole catalogue: the eleven fixed sections, then one drive entry per fixed drive.
std::vector<ScanSection> ScanCatalogue(const std::vector<DriveInfo>& drives);

} // namespace tessivar
