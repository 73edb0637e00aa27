// Every registry check on arbitrary value data and names: no crash, no hang, and the rows stay
// well formed (at most four per call, one detection each, "Yes" or nothing in DefaultOrNot, never
// an empty path).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "checks/checks.h"
#include "engine/scan_context.h"
#include "settings/settings_store.h"

using namespace tessivar;

namespace {

// A machine where every drive path names something that may or may not be there (decided by the
// path's own bytes), and everything else cannot be looked up.
class FuzzFiles final : public FileSystem {
public:
    FindHandle FindFirstFileA(std::string_view, FindData*, FindDetail) override { return INVALID_FIND_HANDLE; }
    bool FindNextFileA(FindHandle, FindData*) override { return false; }
    bool FindClose(FindHandle) override { return false; }
    SearchOutcome searchPath(std::string_view path, std::uint32_t) override
    {
        if (path.size() < 3 || path[1] != ':' || path[2] != '\\')
            return SearchOutcome::failed;
        return path.size() % 3 == 0 ? SearchOutcome::found : SearchOutcome::notFound;
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
    std::string GetShortPathNameA(std::string_view) override { return {}; }
    std::string programFolder() override { return "C:\\Program Files\\Tessivar"; }
    std::vector<DriveInfo> drives() override
    {
        return {DriveInfo{'C', DriveType::fixed, true}, DriveInfo{'D', DriveType::cdrom, true}};
    }
    void beginOperation() override {}
    void endOperation() override {}
};

// A registry with no keys: the program folders read as missing.
class EmptyRegistry final : public Registry {
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
    LSTATUS RegSetValueExA(HKEY, const char*, std::uint32_t, std::uint32_t, const std::uint8_t*,
                           std::uint32_t) override
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
    bool canWrite(std::string*) override { return false; }
    void beginBatch() override {}
    bool endBatch(std::string*) override { return true; }
    std::string lastWriteError() const override { return {}; }
};

class SilentHost final : public Host {
public:
    void yield() override {}
    void showMessageBox(std::string& request) override { request = "NO"; }
    bool playSoundAsync(const std::string&) override { return false; }
};

class NoSettings final : public SettingsBackend {
public:
    std::optional<std::string> read(std::string_view) override { return std::nullopt; }
    bool write(std::string_view, std::string_view) override { return false; }
};

class StoppedClock final : public Clock {
public:
    LocalDateTime now() const override { return {}; }
};

using Check = void (*)(ScanContext&, HKEY, const std::string&, const std::string&, std::string, const std::string&,
                       const std::string&);

const Check kChecks[] = {CheckActiveX,       CheckApplicationPath, CheckHelpFile,          CheckSharedFile,
                         CheckStartup,       CheckUninstall,       CheckVirtualDevice,     CheckFont,
                         CheckUninstallLocation, CheckStartupDrivePaths};

const char* const kValueNames[] = {"",           "UninstallString", "QuietUninstallString", "InstallSource",
                                   "ModifyPath", "DisplayIcon",     "UninstallPath",        "gone.hlp"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string valueName = kValueNames[bytes[0] % std::size(kValueNames)];
    const std::string data(reinterpret_cast<const char*>(bytes + 1), size - 1);
    const std::string hiveName = "HKEY_LOCAL_MACHINE";
    const std::string scannerName = "Scanner";
    const std::string keyPath = (bytes[0] & 0x80) != 0 ? "CLSID\\{1}\\ProgID" : "CLSID\\{1}\\InprocServer32";

    FuzzFiles files;
    EmptyRegistry registry;
    SilentHost host;
    NoSettings backend;
    SettingsStore settings(backend);
    StoppedClock clock;
    for (Check check : kChecks) {
        ScanModel model;
        ScanContext context{registry, files, settings, clock, host, model};
        check(context, HKEY_LOCAL_MACHINE, hiveName, valueName, data, scannerName, keyPath);
        const std::size_t rows = model.lvwErrors.count();
        if (rows > 4 || model.lblProblemsFound != std::to_string(rows))
            std::abort();
        for (const ProblemEntry& row : model.lvwErrors)
            if (row.KeyValue.empty() || (!row.DefaultOrNot.empty() && row.DefaultOrNot != "Yes") ||
                row.RegistryScanners != scannerName || row.FullKeyPath != keyPath)
                std::abort();
    }
    return 0;
}
