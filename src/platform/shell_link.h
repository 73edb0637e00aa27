#pragma once

// Our own reader of shortcut files: Shell Link files (.lnk) and internet shortcuts (.url). It
// answers what a shell would answer about such a file (is it a link, its type name, its target
// path, its working folder) and, beyond that, every form of the target the file holds, so that
// a caller can tell a link whose target is gone from one that merely cannot be checked.
//
// Pure functions over a byte buffer: no file or OS access, every size and offset bounds-checked,
// any input (however damaged) gives an answer. Text comes out as UTF-8.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

// Inputs larger than this are not shortcuts anyone made; they are answered as malformed.
inline constexpr std::size_t kMaxShortcutFileSize = 1024 * 1024;

enum class ShortcutFormat { none, shellLink, internetShortcut };

// Where a form of the target path came from.
enum class TargetSource {
    environment,     // the environment-variable block (holds %VARS%, expand before use)
    idList,          // the target ID list: drive item, then file-entry items
    linkInfoUnicode, // LinkInfo's Unicode local base path and suffix
    linkInfoAnsi,    // LinkInfo's ANSI local base path and suffix
    relativePath,    // the relative-path string, relative to the shortcut's own folder
    fileUrl,         // a .url file's file: URL
};

// One form of the target path a shortcut names.
struct ShortcutTarget {
    std::string path;
    TargetSource source = TargetSource::idList;
    // The text cannot be trusted to name the file exactly: ANSI text with bytes outside ASCII
    // (its code page is not known here) or with '?' where the writer could not represent a
    // character, an 8.3 short name, an unpaired UTF-16 surrogate. Such a form never proves a
    // target missing.
    bool uncertain = false;
};

// The LinkInfo volume's drive type, numbered as the file format numbers it.
enum class LinkDriveType : std::uint32_t {
    unknown = 0,
    noRootDir = 1,
    removable = 2,
    fixed = 3,
    remote = 4,
    cdrom = 5,
    ramDisk = 6,
};

struct ShortcutInfo {
    ShortcutFormat format = ShortcutFormat::none;
    // The shell would show this file as a link (a well-formed header or section was found).
    bool isLink = false;
    // Some part of the file is damaged or inconsistent; nothing it says should be acted on.
    bool malformed = false;

    std::string typeName;         // "Shortcut" or "Internet Shortcut"
    std::string targetPath;       // as a shell reports it; "" for no file-system target
    std::string workingDirectory; // "" when none
    std::string arguments;
    std::string description;

    // Every file-system form of the target, most trusted first. Relative and %VAR% forms are
    // left as stored; the caller resolves them.
    std::vector<ShortcutTarget> targets;

    bool advertised = false;     // an installer (Darwin) descriptor: the installer resolves it
    bool virtualItem = false;    // the ID list names something outside the file system
    bool network = false;        // a UNC path, a network share or a remote drive
    bool removableMedia = false; // removable or CD drive: the medium may just be absent
    LinkDriveType driveType = LinkDriveType::unknown;

    // A known-folder or special-folder block lets the shell re-base the ID list: the items past
    // this folder sit under the folder's current location. knownFolderPath is the folder as the
    // ID list names it (empty when the link has no such block or the offset did not fit).
    bool hasKnownFolder = false;
    std::string knownFolderPath;

    // .url files only.
    bool hasUrl = false; // a URL key was present (possibly empty)
    std::string url;
};

// Reads a Shell Link file. An input that does not start with a Shell Link header answers
// isLink == false; a header followed by damaged parts answers isLink == true, malformed == true.
ShortcutInfo ReadShellLink(std::string_view bytes);

// Reads an internet shortcut (INI text, section [InternetShortcut]). Without that section the
// file is not a link. The file: URL of a local path is turned into a target (file:///C:/x gives
// C:\x); a file: URL naming a host is a network target.
ShortcutInfo ReadInternetShortcut(std::string_view bytes);

// Either of the above, chosen by the file's content.
ShortcutInfo ReadShortcut(std::string_view bytes);

// Helpers shared by the readers and their callers.
// UTF-16LE bytes to UTF-8; unpaired surrogates become U+FFFD and clear *lossless.
std::string Utf16ToUtf8(std::string_view bytes, bool* lossless = nullptr);
// file: URL to a Windows path; "" when it names no local path. *onHost is set for file://host/.
std::string FileUrlToPath(std::string_view url, bool* onHost = nullptr);

} // namespace tessivar
