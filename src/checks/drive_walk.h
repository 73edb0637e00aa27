#pragma once

// The walk of one drive's folders for the shortcut check. Folders are walked depth first: a
// folder's files as it is listed, then its subfolders one after the other. The walk never enters
// a symbolic link to a folder (it is listed like a file, not followed), never crosses into
// another file system below the drive's root, and goes no deeper than kMaxFolderDepth levels
// below the root, so that it ends on any disk, loops and all.
//
// Within one scan no folder is entered twice, by whatever route it is reached (a drive letter
// linked inside another drive, a bind mount): the scan's shortcut list remembers the identity of
// every folder entered. The walk never enters a Wine prefix (a folder holding "system.reg" and
// "dosdevices": another prefix, or this one reached from outside), the host's virtual file
// systems, nor the backup folder, whose shortcut copies are not the user's shortcuts.

#include <cstddef>
#include <string>

namespace tessivar {

struct ScanContext;

// Levels below the drive root that are walked. Windows itself stops at about 130 (its paths end
// at 260 characters); the bound is far above any real tree and keeps the recursion's stack and
// path length within a few megabytes.
inline constexpr std::size_t kMaxFolderDepth = 2048;

// Walks every folder of one drive ("C:\") and hands each candidate file to the shortcut check;
// a drive whose volume cannot be read is not walked.
void WalkDrive(ScanContext& context, const std::string& root);

// Walks one folder and, after its files, its subfolders. A path without a trailing backslash is
// walked as if it had one.
void WalkFolder(ScanContext& context, const std::string& path);

} // namespace tessivar
