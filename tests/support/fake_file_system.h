#pragma once

// An in-memory FileSystem with Windows semantics, for tests of the core: files and folders by
// Windows path, matched without regard to case; attributes; wildcard searches; a drive list with
// types; and ways to make a path's search or a write fail.
//
// A new instance holds drive C (fixed) with the folders "C:\windows", "C:\windows\system32",
// "C:\windows\temp" and the program folder "C:\Program Files\Tessivar".

#include "platform/file_system.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::test {

class FakeFileSystem : public FileSystem {
  public:
    FakeFileSystem();

    // --- Setting the scene -------------------------------------------------------------------
    // Adds (or replaces) a drive; a drive with a root gets its root folder.
    void addDrive(char letter, DriveType type, bool hasRoot = true);
    void removeDrive(char letter);
    // The drive's folder lies outside the prefix (a host folder).
    void setOutsidePrefix(char letter);
    // Creates the file and every missing folder above it; replaces an existing file.
    // Attributes 0 make an ordinary (archive) file.
    void addFile(std::string_view path, std::string_view content = {}, std::uint32_t attributes = 0);
    // Creates the folder and every missing folder above it. FILE_ATTRIBUTE_DIRECTORY is implied.
    void addFolder(std::string_view path, std::uint32_t attributes = 0);
    // Changes an existing entry's attributes (the directory bit of a folder is kept); false when
    // there is no such entry.
    bool setAttributes(std::string_view path, std::uint32_t attributes);
    // Removes a file, or a folder with all it holds; false when there is no such entry.
    bool remove(std::string_view path);

    // Every search and listing of `path`, or of anything beneath it, fails (SearchOutcome::failed,
    // INVALID_FIND_HANDLE, INVALID_FILE_ATTRIBUTES) as an unreadable device would.
    void makeSearchFail(std::string_view path);
    // Every write to `path`, or to anything beneath it, fails as a full or read-only disk would:
    // append, write, copy to, delete, create folder.
    void makeWriteFail(std::string_view path);
    void clearFailures();

    void setSystemDirectory(std::string path) { m_systemDirectory = std::move(path); }
    void setWindowsDirectory(std::string path) { m_windowsDirectory = std::move(path); }
    void setTempPath(std::string path) { m_tempPath = std::move(path); }
    void setProgramFolder(std::string path) { m_programFolder = std::move(path); }
    void setShortName(std::string_view path, std::string shortName);
    void setVolumeName(char letter, std::string name);

    // --- Looking at the result ---------------------------------------------------------------
    bool exists(std::string_view path) const;
    bool isFolder(std::string_view path) const;
    // The file's content, or nullopt when there is no such file.
    std::optional<std::string> content(std::string_view path) const;
    // The names (as created) of a folder's entries, in listing order; no "." or "..".
    std::vector<std::string> entries(std::string_view folder) const;

    // Find handles opened and not yet closed.
    int openFindHandles() const { return static_cast<int>(m_handles.size()); }
    // Every path handed to searchPath, in order, as given (while recordSearches is true).
    const std::vector<std::string>& searchedPaths() const { return m_searchedPaths; }
    bool recordSearches = true;
    void clearSearchedPaths() { m_searchedPaths.clear(); }
    // Depth of beginOperation/endOperation nesting; a negative value means an unmatched end.
    int operationDepth() const { return m_operationDepth; }
    int operationsBegun() const { return m_operationsBegun; }

    // --- FileSystem --------------------------------------------------------------------------
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
    std::string GetTempPathA() override { return m_tempPath; }
    std::string GetSystemDirectoryA() override { return m_systemDirectory; }
    std::string GetWindowsDirectoryA() override { return m_windowsDirectory; }
    std::string GetShortPathNameA(std::string_view path) override;
    std::string programFolder() override { return m_programFolder; }
    std::vector<DriveInfo> drives() override;
    // Each drive is a device of its own; a file written anew (addFile, a copy) is a new file.
    std::optional<FileIdentity> fileIdentity(std::string_view path) override;
    void beginOperation() override;
    void endOperation() override;

    // True when `name` matches the Windows wildcard `mask` (`*`, `?`), without regard to case.
    static bool wildcardMatch(std::string_view mask, std::string_view name);

  private:
    struct Node {
        std::string name; // last component as created; "C:" for a root
        bool folder = false;
        std::uint32_t attributes = 0;
        std::string content;
        std::uint64_t inode = 0; // given at the first question, or when the file is written
    };
    // A path split for lookup: the upper-case key of the whole path and of its folder, and the
    // last component as given. `valid` is false for what Windows would reject.
    struct Parsed {
        bool valid = false;
        std::string key;                // "C:\WINDOWS\SYSTEM32"; "C:" for a root
        std::string parentKey;          // "" for a root
        std::string last;               // last component as given; "" for a root
        std::vector<std::string> parts; // components below the root, as given
        bool root = false;
    };
    struct Search {
        std::vector<FindData> found;
        std::size_t next = 0;
    };

    Parsed parse(std::string_view path, bool wildcardsInLast) const;
    bool driveUsable(char letter) const;
    bool searchFails(const std::string& key) const;
    bool writeFails(const std::string& key) const;
    Node* find(const std::string& key);
    const Node* find(const std::string& key) const;
    bool parentIsFolder(const Parsed& parsed) const;
    void makeFolders(const Parsed& parsed);
    std::vector<const Node*> children(const std::string& folderKey) const;
    FindData describe(const Node& node, FindDetail detail) const;

    std::map<std::string, Node> m_nodes; // by upper-case key
    std::map<char, DriveInfo> m_drives;
    std::map<char, std::string> m_volumeNames;
    std::map<std::string, std::string> m_shortNames;
    std::set<std::string> m_failingSearches;
    std::set<std::string> m_failingWrites;
    std::map<FindHandle, Search> m_handles;
    FindHandle m_nextHandle = 1;
    std::uint64_t m_lastInode = 0;
    std::vector<std::string> m_searchedPaths;
    int m_operationDepth = 0;
    int m_operationsBegun = 0;
    std::string m_systemDirectory = "C:\\windows\\system32";
    std::string m_windowsDirectory = "C:\\windows";
    std::string m_tempPath = "C:\\windows\\temp\\";
    std::string m_programFolder = "C:\\Program Files\\Tessivar";
};

} // namespace tessivar::test
