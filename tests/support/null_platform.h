#pragma once

// The smallest platform a ScanContext can stand on, for tests of code that needs only a few
// answers from the machine: a file system whose drive list and existence searches are scripted
// (everything else fails, as a machine with nothing on it would), a registry with no keys, and a
// clock fixed at one moment. TestContext bundles them with a FakeHost, MemorySettings and a model.

#include "engine/scan_context.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "settings/settings_store.h"
#include "support/fake_host.h"
#include "support/memory_settings.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::test {

class NullFileSystem : public FileSystem {
  public:
    // Scripted answers of searchPath, by the exact path asked; other paths are `searchDefault`.
    std::map<std::string, SearchOutcome, std::less<>> searchAnswers;
    SearchOutcome searchDefault = SearchOutcome::notFound;
    struct Search {
        std::string path;
        std::uint32_t attributeMask = 0;
    };
    std::vector<Search> searches;
    std::vector<DriveInfo> driveList;
    int drivesCalls = 0;

    FindHandle FindFirstFileA(std::string_view, FindData*, FindDetail) override { return INVALID_FIND_HANDLE; }
    bool FindNextFileA(FindHandle, FindData*) override { return false; }
    bool FindClose(FindHandle) override { return false; }
    SearchOutcome searchPath(std::string_view path, std::uint32_t attributeMask) override
    {
        searches.push_back(Search{std::string(path), attributeMask});
        auto found = searchAnswers.find(path);
        return found == searchAnswers.end() ? searchDefault : found->second;
    }
    std::uint32_t GetFileAttributesA(std::string_view) override { return INVALID_FILE_ATTRIBUTES; }
    bool GetVolumeInformationA(std::string_view, std::string*, std::uint32_t*, std::string*) override { return false; }
    bool CopyFileA(std::string_view, std::string_view, bool) override { return false; }
    bool DeleteFileA(std::string_view) override { return false; }
    bool CreateDirectoryA(std::string_view) override { return false; }
    bool appendLine(std::string_view, std::string_view, Sync) override { return false; }
    bool writeFile(std::string_view, std::string_view, Sync) override { return false; }
    bool readLines(std::string_view, std::vector<std::string>*) override { return false; }
    bool readFile(std::string_view, std::string*, std::size_t) override { return false; }
    std::int64_t fileSize(std::string_view) override { return -1; }
    std::string GetTempPathA() override { return "C:\\windows\\temp\\"; }
    std::string GetSystemDirectoryA() override { return "C:\\windows\\system32"; }
    std::string GetWindowsDirectoryA() override { return "C:\\windows"; }
    std::string GetShortPathNameA(std::string_view path) override { return std::string(path); }
    std::string programFolder() override { return "C:\\Program Files\\Tessivar"; }
    std::vector<DriveInfo> drives() override
    {
        ++drivesCalls;
        return driveList;
    }
    void beginOperation() override {}
    void endOperation() override {}
};

class NullRegistry : public Registry {
  public:
    LSTATUS RegOpenKeyExA(HKEY, std::string_view, std::uint32_t, std::uint32_t, HKEY*) override
    {
        return ERROR_FILE_NOT_FOUND;
    }
    LSTATUS RegOpenKeyA(HKEY, std::string_view, HKEY*) override { return ERROR_FILE_NOT_FOUND; }
    LSTATUS RegCreateKeyExA(HKEY, std::string_view, std::uint32_t, const char*, std::uint32_t, std::uint32_t, HKEY*,
                            std::uint32_t*) override
    {
        return ERROR_ACCESS_DENIED;
    }
    LSTATUS RegEnumKeyExA(HKEY, std::uint32_t, char*, std::uint32_t*, char*, std::uint32_t*) override
    {
        return ERROR_NO_MORE_ITEMS;
    }
    LSTATUS RegEnumValueA(HKEY, std::uint32_t, char*, std::uint32_t*, std::uint32_t*, std::uint8_t*,
                          std::uint32_t*) override
    {
        return ERROR_NO_MORE_ITEMS;
    }
    LSTATUS RegQueryValueExA(HKEY, const char*, std::uint32_t*, std::uint8_t*, std::uint32_t*) override
    {
        return ERROR_FILE_NOT_FOUND;
    }
    LSTATUS RegSetValueExA(HKEY, const char*, std::uint32_t, std::uint32_t, const std::uint8_t*, std::uint32_t) override
    {
        return ERROR_ACCESS_DENIED;
    }
    LSTATUS RegDeleteValueA(HKEY, const char*) override { return ERROR_ACCESS_DENIED; }
    LSTATUS RegCloseKey(HKEY) override { return ERROR_SUCCESS; }
    LSTATUS RegDeleteKeyA(HKEY, std::string_view) override { return ERROR_ACCESS_DENIED; }
    LSTATUS RegDeleteTreeA(HKEY, std::string_view) override { return ERROR_ACCESS_DENIED; }
    bool GetVersionExA(OSVERSIONINFOA*) override { return false; }
    bool isLinkKey(HKEY, std::string_view) override { return false; }
    LSTATUS queryRawValue(HKEY, std::string_view, std::uint32_t*, std::vector<std::uint8_t>*) override
    {
        return ERROR_FILE_NOT_FOUND;
    }
    LSTATUS setRawValue(HKEY, std::string_view, std::uint32_t, std::span<const std::uint8_t>) override
    {
        return ERROR_ACCESS_DENIED;
    }
    bool canWrite(std::string* why) override
    {
        if (why)
            *why = "no registry";
        return false;
    }
    void beginBatch() override {}
    bool endBatch(std::string*) override { return true; }
    std::string lastWriteError() const override { return {}; }
};

class FixedClock : public Clock {
  public:
    LocalDateTime moment{2024, 3, 9, 14, 5, 7};
    LocalDateTime now() const override { return moment; }
};

// Everything a ScanContext refers to, owned together; `context` is ready to hand down.
struct TestContext {
    NullFileSystem files;
    NullRegistry registry;
    FixedClock clock;
    FakeHost host;
    MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};

    TestContext() = default;
    TestContext(const TestContext&) = delete;
    TestContext& operator=(const TestContext&) = delete;
};

} // namespace tessivar::test
