#pragma once

// The check the drive walk hands each candidate file to: is it a shortcut (.lnk or .url, by the
// last three letters of its name) whose target is gone? If so one ShortcutEntry is recorded.
//
// Repair deletes every recorded shortcut, so a shortcut is recorded only when the file names at
// least one target that can be checked on this machine and every such target is missing. Never
// recorded: installer-advertised links, links to virtual items, network targets, targets on
// removable or CD drives, targets known only in a lossy or unreliable form, unreadable or
// damaged files. An internet shortcut is recorded when its URL is missing or empty, or when it
// is a file: URL whose target is gone.

#include <cstddef>
#include <string>

namespace tessivar {

struct ScanContext;

// Larger files are not read: no shortcut is that big.
inline constexpr std::size_t kMaxShortcutReadBytes = 1024 * 1024;

// `path` is the file's full Windows path as the walk built it (folder, backslash, name).
void CheckShortcut(ScanContext& context, const std::string& path);

} // namespace tessivar
