#pragma once

// Every key of the settings store, and the default each reader passes. Readers do not all agree
// on a default; where they differ, each reader has its own constant, named after it. Defaults
// that are "the program's folder" are not constants: readers pass FileSystem::programFolder().

#include <string_view>

namespace tessivar {

// Make-backup check box of the settings dialog; read by the dialog and by the backup writer.
inline constexpr std::string_view kChkMakeBackUp = "chkMakeBackUp";
inline constexpr long kMakeBackUpDefault = 1;

// The backup folder. The backup writer asks for "txtBackUp", everything else for "txtBackup";
// the store compares keys without case, so both reach one value.
inline constexpr std::string_view kTxtBackup = "txtBackup";
inline constexpr std::string_view kTxtBackUp = "txtBackUp";
// The backup manager reads with an empty default and then falls back to the program's folder;
// the dialog, repair and the backup writer pass the program's folder directly.
inline constexpr std::string_view kBackupFolderDefaultForManager = "";

// Report check box.
inline constexpr std::string_view kChkMakeLogFile = "chkMakeLogFile";
inline constexpr long kMakeLogFileDefaultForDialog = 1;
// The report is written only when asked for: a first run writes none.
inline constexpr long kMakeLogFileDefaultForReport = 0;

// The report folder (default: the program's folder, for every reader).
inline constexpr std::string_view kTxtLogFile = "txtLogFile";

// Detection sound: on only when the number is exactly 1.
inline constexpr std::string_view kChkPlaySound = "chkPlaySound";
inline constexpr long kPlaySoundDefault = 0;
inline constexpr std::string_view kTxtWaveFilesPath = "txtWaveFilesPath";
inline constexpr std::string_view kWaveFilesPathDefault = "";

// Run at start-up check box (the dialog is its only reader).
inline constexpr std::string_view kChkRunAtStartup = "chkRunAtStartup";
inline constexpr long kRunAtStartupDefault = 1;

// The notification window's "do not show in future" box; the notification is skipped when the
// number is not 0.
inline constexpr std::string_view kChkDoNotShowInFuture = "chkDoNotShowInFuture";
inline constexpr long kDoNotShowInFutureDefault = 0;

// The select-all box of the section list, restored at start-up: 2 grayed, 1 checked, else
// unchecked.
inline constexpr std::string_view kChkSelectlistviewItems = "chkSelectlistviewItems";
inline constexpr long kSelectlistviewItemsDefault = 1;

// Each section-list entry's check state is kept under its ListText, as "True" or "False".
inline constexpr bool kSectionCheckedDefault = true;

} // namespace tessivar
