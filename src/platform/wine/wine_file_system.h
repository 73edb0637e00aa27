#pragma once

// Files, folders and drives of a Wine prefix, answered as Wine answers a Windows program: drive
// letters through the prefix's dosdevices links, names matched without regard to case (exact name
// first, else the first case-insensitive match in listing order), attributes derived from the Unix
// file as Wine derives them.
//
// Attributes: a folder is FILE_ATTRIBUTE_DIRECTORY, any other entry FILE_ATTRIBUTE_ARCHIVE (Wine
// marks every file so); read-only when nobody has write permission; hidden when the name starts
// with "."; FILE_ATTRIBUTE_REPARSE_POINT for a symbolic link, which the typeOnly listing reports
// without following (so without the directory bit), and the full listing with the target's
// directory bit. FILE_ATTRIBUTE_NORMAL only when no other bit applies. Nothing is ever "system".
//
// Within beginOperation()/endOperation() every folder is read once and its case-folded listing
// kept, so that a lookup costs hash probes rather than system calls; writes through this class
// drop the listings they change. Outside an operation nothing is kept between calls.

#include "platform/file_system.h"
#include "platform/wine/drives.h"
#include "platform/wine/windows_path.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tessivar::wine {

struct WineFileSystemOptions {
    // Reads HKLM\Software\Wine\Drives; without one every drive has its default type.
    DriveTypeReader driveTypes;
    // Where Wine keeps the fonts it serves as C:\windows\Fonts; found from the installed Wine when
    // not given. An empty path turns the lookup off.
    std::optional<std::filesystem::path> wineFontFolder;
    // The Unix user whose C:\users\<name>\Temp is the temporary folder; the current user when empty.
    std::string userName;
};

// Wine's font data folder: next to the installed wine program (../share/wine/fonts, also after
// following its links), else the usual distribution folders; empty when none exists.
std::filesystem::path findWineFontFolder();

class WineFileSystem final : public FileSystem {
  public:
    explicit WineFileSystem(std::filesystem::path prefix, WineFileSystemOptions options = {});
    ~WineFileSystem() override;

    FindHandle FindFirstFileA(std::string_view pattern, FindData* data, FindDetail detail = FindDetail::full) override;
    bool FindNextFileA(FindHandle handle, FindData* data) override;
    bool FindClose(FindHandle handle) override;
    SearchOutcome searchPath(std::string_view path, std::uint32_t attributeMask) override;
    std::uint32_t GetFileAttributesA(std::string_view path) override;
    bool GetVolumeInformationA(std::string_view rootPath, std::string* volumeName, std::uint32_t* serialNumber,
                               std::string* fileSystemName) override;
    bool CopyFileA(std::string_view from, std::string_view to, bool failIfExists) override;
    bool DeleteFileA(std::string_view path) override;
    bool CreateDirectoryA(std::string_view path) override;
    bool appendLine(std::string_view path, std::string_view line, Sync sync = Sync::no) override;
    bool writeFile(std::string_view path, std::string_view bytes, Sync sync = Sync::no) override;
    bool readLines(std::string_view path, std::vector<std::string>* lines) override;
    bool readFile(std::string_view path, std::string* bytes, std::size_t maxBytes) override;
    std::int64_t fileSize(std::string_view path) override;
    std::string GetTempPathA() override;
    std::string GetSystemDirectoryA() override;
    std::string GetWindowsDirectoryA() override;
    std::string GetShortPathNameA(std::string_view path) override;
    std::string programFolder() override;
    std::vector<DriveInfo> drives() override;
    std::uint64_t folderDevice(std::string_view folderPath) override;
    std::optional<FileIdentity> fileIdentity(std::string_view path) override;
    void beginOperation() override;
    void endOperation() override;

    // --- For the drive walk ---

    // The Unix path a Windows path maps to: existing components with their names on disk, a
    // missing last component as written. Nothing when the path cannot be mapped or a folder on
    // the way is missing.
    std::optional<std::filesystem::path> unixPathOf(std::string_view windowsPath);
    // The device (st_dev) of the folder a Windows path names; nothing when it is not a folder.
    std::optional<std::uint64_t> deviceOf(std::string_view windowsPath);
    // The Windows form of a Unix path: through Z: when z: maps "/", else "\\?\unix\...".
    std::string windowsPathOf(const std::filesystem::path& unixPath);

    const std::filesystem::path& prefix() const { return m_prefix; }
    const std::filesystem::path& wineFontFolder() const { return m_fontFolder; }

  private:
    struct Entry {
        std::string name;
        unsigned char type = 0; // DT_* of the folder listing
    };
    struct Listing {
        int error = 0; // errno of opening the folder; 0 when it was read
        dev_t device = 0;
        ino_t inode = 0;
        std::vector<Entry> entries;
        // Built after a few lookups: a walk lists thousands of folders and looks up a name or two
        // in each, which plain scans answer for less than folding every name.
        std::size_t lookups = 0;
        bool indexed = false;
        std::unordered_map<std::string, std::uint32_t> folded; // first entry per folded name
        std::unordered_set<std::string> ambiguous;             // folded names held by several entries
    };
    enum class State { found, missing, failed };
    struct Folder {
        State state = State::failed;
        std::string unixPath;
    };
    struct Target {
        State state = State::failed;
        std::string folder;   // the Unix folder that holds (or would hold) the entry
        std::string unixPath; // the entry's Unix path; for a missing entry, the name as written
        std::string name;     // the name on disk, or as written
        unsigned char type = 0;
        bool isRoot = false;
        bool namesFolder = false; // the text ended in "\\"
    };
    // What a search found, before the attribute mask is applied.
    struct SearchSummary {
        bool failed = false;
        bool visibleFile = false;
        bool hiddenFile = false;
        bool visibleFolder = false;
        bool hiddenFolder = false;
    };
    struct FindState {
        std::vector<FindData> results;
        std::size_t next = 0;
    };
    // Outside an operation, what one call learnt is forgotten when it returns.
    class CallScope {
      public:
        explicit CallScope(WineFileSystem& files) : m_files(files) {}
        ~CallScope()
        {
            if (m_files.m_depth == 0)
                m_files.clearCaches();
        }
        CallScope(const CallScope&) = delete;
        CallScope& operator=(const CallScope&) = delete;

      private:
        WineFileSystem& m_files;
    };

    Listing& listing(const std::string& unixFolder);
    static void index(Listing& list);
    std::optional<std::string> driveRootPath(const WindowsPath& path);
    Folder resolveFolder(const WindowsPath& path, std::size_t componentCount);
    State findEntry(const std::string& unixFolder, const std::string& name, Entry* entry);
    Target resolveTarget(std::string_view windowsPath, Wildcards wildcards = Wildcards::rejected);
    Target resolveTarget(const WindowsPath& path);
    bool isFontFolder(const WindowsPath& path, std::size_t componentCount) const;
    bool isWineRegisteredFont(const WindowsPath& path) const;
    bool entryIsFolder(const std::string& unixPath, unsigned char type) const;
    SearchSummary summarise(std::string_view text);
    void afterWrite(const std::string& unixFolder);
    // False when the folder a write goes to is reached through a link that leaves its drive.
    bool staysOnItsDrive(std::string_view windowsPath, const std::string& unixFolder);
    static std::string join(const std::string& folder, const std::string& name);
    static std::uint32_t attributesOf(const std::string& unixPath, const std::string& name, bool isRoot,
                                      std::uint64_t* size);
    void clearCaches();
    DriveType typeOfDrive(char lowerLetter);

    std::filesystem::path m_prefix;
    WineFileSystemOptions m_options;
    std::filesystem::path m_fontFolder;
    int m_depth = 0;
    std::unordered_map<std::string, std::unique_ptr<Listing>> m_listings;
    std::vector<Entry> m_scratch;     // the names of the folder being listed
    std::vector<char> m_direntBuffer; // what the system gives of them
    std::size_t m_cachedEntries = 0;
    std::unordered_map<std::string, Folder> m_folders;
    std::array<std::optional<std::optional<std::string>>, 26> m_driveRoots;
    // The drive list, read once per operation: the checks ask for it for every value.
    std::optional<std::vector<DriveInfo>> m_drives;
    std::string m_memoText;
    std::optional<SearchSummary> m_memo;
    std::map<FindHandle, FindState> m_finds;
    FindHandle m_nextHandle = 1;
};

} // namespace tessivar::wine
