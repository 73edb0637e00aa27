#pragma once

// Windows path text made canonical the way Win32 makes it before a file is looked up, and the
// name matching of a Windows directory search. Pure text work: nothing here touches the disk.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::wine {

struct WindowsPath {
    enum class Kind { drive, unix };
    Kind kind = Kind::drive;
    char drive = 0;                 // lower case 'a'..'z' for Kind::drive
    std::vector<std::string> parts; // the components below the root, none empty, no "." or ".."
    bool namesFolder = false;       // the text ended in "\" (or in blanks and dots after one)

    bool isRoot() const { return parts.empty(); }
    // "c:\windows" style, components folded: a key for caches.
    std::string foldedFolderKey(std::size_t componentCount) const;
};

enum class Wildcards { rejected, allowedInLastComponent };

// The canonical form of `text`, or nothing when Windows would reject it or it cannot name a
// file on a drive: a UNC path, no drive letter, a drive-relative "C:dir", a control character,
// one of < > | " or a ':' outside the drive, a wildcard where it is not allowed. "/" counts as
// "\", repeated separators collapse, "." and ".." resolve (".." stops at the root), a single
// trailing dot of a folder component goes, and trailing dots and blanks at the end of the path
// go. "\\?\unix\..." names a Unix path directly.
std::optional<WindowsPath> canonicalWindowsPath(std::string_view text, Wildcards wildcards);

// Case folding for name comparison: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic letters
// fold to lower case; everything else (and invalid UTF-8) compares byte for byte.
std::string foldCase(std::string_view name);
// foldCase(a) == foldCase(b), without building either when both are ASCII.
bool equalFolded(std::string_view a, std::string_view b);

bool hasWildcard(std::string_view name);

// Whether `name` has the shape of a Windows 8.3 alias ("PROGRA~1", "LONGFI~2.TXT"). Linux has no
// such aliases, so one that does not exist as a real name cannot be looked up at all.
bool looksLikeShortName(std::string_view name);

// Whether `name` matches the search pattern `pattern`, without regard to case:
// - "*" matches any run of characters, dots included, also none;
// - "?" matches exactly one character;
// - a pattern ending in ".*" also matches the name without that extension, so "*.*" matches
//   every name and "readme.*" matches "readme";
// - "." and ".." match only "*", "*.*" or themselves.
// Characters are UTF-8 code points. Both arguments are matched as given (callers fold neither).
bool wildcardMatch(std::string_view pattern, std::string_view name);

} // namespace tessivar::wine
