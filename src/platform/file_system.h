#pragma once

// Files, folders and drives as the program sees them: Windows paths ("C:\dir\file.exe"), the
// kernel32 calls it makes, and the drive list. Back-ends: the Wine prefix (platform/wine), and
// later kernel32 itself. Paths are UTF-8 text; nothing is lost at this boundary.
//
// A path the back-end cannot map (a UNC path, no drive letter, a letter with no drive behind it,
// a component Windows would reject) makes a search *fail*: callers treat a failed existence test
// as "present", so such a path is never reported as missing.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

inline constexpr std::uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
inline constexpr std::uint32_t FILE_ATTRIBUTE_HIDDEN = 0x02;
inline constexpr std::uint32_t FILE_ATTRIBUTE_SYSTEM = 0x04;
inline constexpr std::uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr std::uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr std::uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
// A symbolic link (to a file or a folder) is listed with this bit, as Windows lists junctions.
inline constexpr std::uint32_t FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
inline constexpr std::uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

// Drive types, numbered as the Scripting Runtime's Drive.DriveType numbers them.
enum class DriveType : int { unknown = 0, removable = 1, fixed = 2, network = 3, cdrom = 4, ramDisk = 5 };

struct DriveInfo {
    char letter = 0; // upper case, 'A' to 'Z'
    DriveType type = DriveType::unknown;
    bool hasRoot = false; // false when the drive's folder is missing
    // False for a drive whose folder lies outside the files this machine's Windows owns (a host
    // folder mapped to a letter): its shortcuts were made for another system, or for none.
    bool insidePrefix = true;
};

// What tells one file or folder from every other on the machine, whatever path reaches it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // The folder belongs to the host's own virtual file systems (processes, devices, run-time
    // state): nothing of the user's lives there and nothing there is walked.
    bool hostSystem = false;

    bool sameFile(const FileIdentity& other) const { return device == other.device && inode == other.inode; }
};

struct FindData {
    std::uint32_t attributes = 0;
    std::string fileName;   // the entry's name, no folder
    std::uint64_t size = 0; // 0 for folders, and in the typeOnly listing
};

// How much a listing tells about each entry. `full` gives exact attributes and sizes (one stat
// per entry); `typeOnly` gives what the folder listing itself knows (directory, link, hidden by
// a leading dot) and costs no stat.
enum class FindDetail { full, typeOnly };

using FindHandle = std::intptr_t;
inline constexpr FindHandle INVALID_FIND_HANDLE = -1;

enum class SearchOutcome {
    found,    // an entry of that name (wildcards matching) with admitted attributes exists
    notFound, // the folder was searched and holds no such entry
    failed,   // the search could not be carried out (unmappable or malformed path, I/O error)
};

enum class Sync { no, yes };

// Contract shared by every back-end:
// - Names match without regard to letter case, as on Windows; `*` and `?` in the last component
//   of a search pattern match as a Windows directory search matches them.
// - Listings include "." and ".." first for every folder but a drive root, as Windows lists them.
// - Calls never throw; failures are results (false, -1, INVALID_*, SearchOutcome::failed).
// - Lookups may be served from a per-folder cache that lives between beginOperation and the
//   matching endOperation (nestable); everything written through this interface keeps it true.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual FindHandle FindFirstFileA(std::string_view pattern, FindData* data,
                                      FindDetail detail = FindDetail::full) = 0;
    virtual bool FindNextFileA(FindHandle handle, FindData* data) = 0;
    virtual bool FindClose(FindHandle handle) = 0;

    // The existence test's search: entries matching `path` that are not folders, unless the
    // mask holds FILE_ATTRIBUTE_DIRECTORY. A hidden entry is admitted only with
    // FILE_ATTRIBUTE_HIDDEN in the mask, a system one only with FILE_ATTRIBUTE_SYSTEM.
    virtual SearchOutcome searchPath(std::string_view path, std::uint32_t attributeMask) = 0;

    virtual std::uint32_t GetFileAttributesA(std::string_view path) = 0;
    // Of a drive root ("C:\"); false when the drive is not ready or has no root.
    virtual bool GetVolumeInformationA(std::string_view rootPath, std::string* volumeName, std::uint32_t* serialNumber,
                                       std::string* fileSystemName) = 0;

    virtual bool CopyFileA(std::string_view from, std::string_view to, bool failIfExists) = 0;
    virtual bool DeleteFileA(std::string_view path) = 0;
    virtual bool CreateDirectoryA(std::string_view path) = 0;

    // Appends `line` and CR LF, creating the file when it is missing. The bytes are written as
    // given (callers encode text for the file). With Sync::yes the data is on disk on return.
    virtual bool appendLine(std::string_view path, std::string_view line, Sync sync = Sync::no) = 0;
    // Replaces the file's content atomically (temporary file beside it, then rename).
    virtual bool writeFile(std::string_view path, std::string_view bytes, Sync sync = Sync::no) = 0;
    // The file's lines without their line ends (CR LF, LF or a lone CR ends a line).
    virtual bool readLines(std::string_view path, std::vector<std::string>* lines) = 0;
    // At most maxBytes of the file; false when it cannot be read or is larger.
    virtual bool readFile(std::string_view path, std::string* bytes, std::size_t maxBytes) = 0;
    // -1 when the file is missing or cannot be read.
    virtual std::int64_t fileSize(std::string_view path) = 0;

    virtual std::string GetTempPathA() = 0;         // ends with "\"
    virtual std::string GetSystemDirectoryA() = 0;  // "C:\windows\system32"
    virtual std::string GetWindowsDirectoryA() = 0; // "C:\windows"
    // The short (8.3) form of a path, for display; "" when it cannot be had.
    virtual std::string GetShortPathNameA(std::string_view path) = 0;
    // The program's own writable folder, where backups and reports go by default; no trailing "\".
    virtual std::string programFolder() = 0;

    // The machine's drives in letter order.
    virtual std::vector<DriveInfo> drives() = 0;

    // An identifier of the file system (device) that holds the folder, so that a walk can stay on
    // one disk; 0 when it is unknown or the path is not a folder. Back-ends without the notion
    // answer 0.
    virtual std::uint64_t folderDevice(std::string_view folderPath)
    {
        (void)folderPath;
        return 0;
    }

    // The identity of the file or folder a path names, links followed; nothing when the path
    // names nothing or the back-end cannot tell. Back-ends without the notion answer nothing.
    virtual std::optional<FileIdentity> fileIdentity(std::string_view path)
    {
        (void)path;
        return std::nullopt;
    }

    virtual void beginOperation() = 0;
    virtual void endOperation() = 0;
};

// Keeps the file system's lookup cache for the length of one operation (a scan, a repair).
class FileOperationScope {
  public:
    explicit FileOperationScope(FileSystem& files) : m_files(files) { m_files.beginOperation(); }
    ~FileOperationScope() { m_files.endOperation(); }
    FileOperationScope(const FileOperationScope&) = delete;
    FileOperationScope& operator=(const FileOperationScope&) = delete;

  private:
    FileSystem& m_files;
};

} // namespace tessivar
