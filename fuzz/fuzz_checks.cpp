// Every registry check on arbitrary value data and names: no crash, no hang, and the rows stay
// well formed (at most four per call, one detection each, "Yes" or nothing in DefaultOrNot, never
// an empty path).

#include "checks/checks.h"
#include "engine/scan_context.h"
#include "settings/settings_store.h"
#include "support/null_platform.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace tessivar;

namespace {

// A machine where every drive path names something that may or may not be there (decided by the
// path's own bytes), and everything else cannot be looked up.
class FuzzFiles final : public test::NullFileSystem {
  public:
    SearchOutcome searchPath(std::string_view path, std::uint32_t) override
    {
        if (path.size() < 3 || path[1] != ':' || path[2] != '\\')
            return SearchOutcome::failed;
        return path.size() % 3 == 0 ? SearchOutcome::found : SearchOutcome::notFound;
    }
    std::vector<DriveInfo> drives() override
    {
        return {DriveInfo{'C', DriveType::fixed, true}, DriveInfo{'D', DriveType::cdrom, true}};
    }
};

class SilentHost final : public Host {
  public:
    void yield() override {}
    MessageAnswer showMessageBox(MessageKind, std::string_view) override { return MessageAnswer::no; }
    bool playSoundAsync(const std::string&) override { return false; }
};

class NoSettings final : public SettingsBackend {
  public:
    std::optional<std::string> read(std::string_view) override { return std::nullopt; }
    bool write(std::string_view, std::string_view) override { return false; }
};

using Check = void (*)(ScanContext&, HKEY, const std::string&, const std::string&, std::string, const std::string&,
                       const std::string&);

const Check kChecks[] = {CheckActiveX,           CheckApplicationPath,  CheckHelpFile,      CheckSharedFile,
                         CheckStartup,           CheckUninstall,        CheckVirtualDevice, CheckFont,
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
    test::NullRegistry registry; // no keys: the program folders read as missing
    SilentHost host;
    NoSettings backend;
    SettingsStore settings(backend);
    test::FixedClock clock;
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
