// Repair of many registry problems on a large prefix, against the least any repair must do in the
// same run: one load of the registry, one save of it, and one write of the backup file's bytes.
// Prints the ratio.
//
// Usage: bench_repair [value count] [problem count]   (defaults 1,000,000 and 10,000)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/scan_context.h"
#include "platform/wine/wine_file_system.h"
#include "platform/wine/wine_registry.h"
#include "results/backup_format.h"
#include "results/repair.h"
#include "settings/settings_store.h"
#include "support/fake_host.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"
#include "support/synthetic_registry.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace tessivar;
using Steady = std::chrono::steady_clock;

double seconds(Steady::time_point since)
{
    return std::chrono::duration<double>(Steady::now() - since).count();
}

struct Found {
    std::string keyPath;
    std::string valueName;
};

// The first `wanted` named string values of HKLM, depth first.
void collect(Registry& registry, HKEY key, const std::string& path, std::size_t wanted, std::vector<Found>& found)
{
    char name[1024];
    for (std::uint32_t i = 0; found.size() < wanted; ++i) {
        std::uint32_t nameLength = sizeof name;
        std::uint32_t type = 0;
        if (registry.RegEnumValueA(key, i, name, &nameLength, &type, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (type == REG_SZ && nameLength > 0)
            found.push_back(Found{path, std::string(name, nameLength)});
    }
    for (std::uint32_t i = 0; found.size() < wanted; ++i) {
        std::uint32_t nameLength = sizeof name;
        if (registry.RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        const std::string child = path.empty() ? std::string(name, nameLength) : path + "\\" + std::string(name, nameLength);
        HKEY sub = 0;
        if (registry.RegOpenKeyExA(key, std::string_view(name, nameLength), 0, KEY_READ, &sub) != ERROR_SUCCESS)
            continue;
        collect(registry, sub, child, wanted, found);
        registry.RegCloseKey(sub);
    }
}

wine::WineFileSystemOptions fileOptions()
{
    wine::WineFileSystemOptions options;
    options.wineFontFolder = fs::path();
    return options;
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t valueCount = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    const std::size_t problemCount = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 10000;

    test::TempDir scratch;
    const fs::path root = scratch.path();
    const fs::path prefix = root / "prefix";
    fs::create_directories(prefix / "dosdevices");
    fs::create_directories(prefix / "drive_c" / "backup");
    fs::create_symlink("../drive_c", prefix / "dosdevices" / "c:");
    test::SyntheticRegistryOptions options;
    options.valueCount = valueCount;
    const auto stats = test::writeSyntheticRegistry(prefix / "system.reg", options);
    if (stats.bytes == 0) {
        std::fputs("could not write the synthetic registry\n", stderr);
        return 1;
    }
    const fs::path pristine = root / "system.reg.pristine";
    fs::copy_file(prefix / "system.reg", pristine);

    std::vector<Found> targets;
    {
        wine::WineRegistry registry(prefix);
        collect(registry, HKEY_LOCAL_MACHINE, "", problemCount, targets);
    }
    std::printf("registry: %zu values, %.1f MB; problems: %zu\n", stats.values, static_cast<double>(stats.bytes) / 1e6,
                targets.size());

    // The repair: load, back up and remove every problem, save.
    std::string backupPath;
    const auto repairStart = Steady::now();
    {
        wine::WineRegistry registry(prefix);
        wine::WineFileSystem files(prefix, fileOptions());
        test::FixedClock clock;
        test::FakeHost host;
        test::MemorySettings backend;
        backend.set("txtBackup", "C:\\backup");
        SettingsStore settings(backend);
        ScanModel model;
        for (const auto& target : targets) {
            model.lvwErrors.append(ProblemEntry{hiveHandleText(HKEY_LOCAL_MACHINE), target.valueName,
                                                "C:\\Missing\\file.exe", "Application Paths", target.keyPath,
                                                "HKEY_LOCAL_MACHINE", ""});
        }
        model.lvwRegistryProblems.rows.append("Invalid Software Locations");
        ScanContext context{registry, files, settings, clock, host, model};
        const auto outcome = RepairAll(context);
        backupPath = outcome.backupPath;
        if (outcome.repaired != static_cast<int>(targets.size()))
            std::fprintf(stderr, "only %d of %zu repaired: %s\n", outcome.repaired, targets.size(),
                         model.filesRepairedText.c_str());
    }
    const double repairSeconds = seconds(repairStart);
    const fs::path backupFile = prefix / "drive_c" / "backup" / FileNameOfPath(backupPath);
    std::string backupBytes;
    {
        std::ifstream in(backupFile, std::ios::binary);
        backupBytes.assign(std::istreambuf_iterator<char>(in), {});
    }

    // The baseline on the same, untouched registry: load, one change, save, one write of the
    // backup file's bytes.
    fs::copy_file(pristine, prefix / "system.reg", fs::copy_options::overwrite_existing);
    const auto baselineStart = Steady::now();
    {
        wine::WineRegistry registry(prefix);
        RegistryBatch batch(registry);
        HKEY key = 0;
        std::uint32_t disposition = 0;
        registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Bench", 0, nullptr, 0, KEY_ALL_ACCESS, &key,
                                 &disposition);
        registry.RegCloseKey(key);
        batch.commit(nullptr);
        std::ofstream out(root / "backup-bytes", std::ios::binary);
        out << backupBytes;
    }
    const double baselineSeconds = seconds(baselineStart);

    std::printf("backup file: %zu bytes\n", backupBytes.size());
    std::printf("repair:   %.3f s\n", repairSeconds);
    std::printf("baseline: %.3f s (load + save + backup bytes)\n", baselineSeconds);
    std::printf("ratio repair / baseline: %.2f\n", repairSeconds / baselineSeconds);
    return 0;
}
