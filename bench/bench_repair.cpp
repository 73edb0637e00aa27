// Repair of many registry problems on a large prefix, against the least any repair must do in the
// same run: one load of the registry, one save of it, and one write of the backup file's bytes.
// Prints the ratio, then the figures judged: a fresh process for each, start and exit included.
//
// Usage: bench_repair [value count] [problem count]   (defaults 1,000,000 and 10,000)

#include "cold_process.h"
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

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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
        const std::string child =
            path.empty() ? std::string(name, nameLength) : path + "\\" + std::string(name, nameLength);
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

// The repair: load, back up and remove every problem, save. Gives the backup's path, empty when
// not all were repaired.
std::string repairAll(const fs::path& prefix, const std::vector<Found>& targets)
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
    if (outcome.repaired != static_cast<int>(targets.size())) {
        std::fprintf(stderr, "only %d of %zu repaired: %s\n", outcome.repaired, targets.size(),
                     FilesRepairedText(outcome).c_str());
        return {};
    }
    return outcome.backupPath;
}

// The least any repair must do: load, one change, save, one write of the backup file's bytes.
void baselineWork(const fs::path& prefix, const std::string& backupBytes, const fs::path& out)
{
    wine::WineRegistry registry(prefix);
    RegistryBatch batch(registry);
    HKEY key = 0;
    std::uint32_t disposition = 0;
    registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Bench", 0, nullptr, 0, KEY_ALL_ACCESS, &key, &disposition);
    registry.RegCloseKey(key);
    batch.commit(nullptr);
    std::ofstream(out, std::ios::binary) << backupBytes;
}

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// `--once repair PREFIX TARGETS` (a "key path TAB value name" a line) or `--once baseline PREFIX
// BACKUP-BYTES OUT`.
int runOnce(int argc, char** argv)
{
    const std::string work = argv[2];
    if (work == "repair" && argc > 4) {
        std::vector<Found> targets;
        std::ifstream in(argv[4]);
        for (std::string line; std::getline(in, line);) {
            const auto tab = line.find('\t');
            targets.push_back(Found{line.substr(0, tab), line.substr(tab + 1)});
        }
        return repairAll(argv[3], targets).empty() ? 1 : 0;
    }
    if (work == "baseline" && argc > 5) {
        baselineWork(argv[3], readBytes(argv[4]), argv[5]);
        return 0;
    }
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (bench::isOnce(argc, argv))
        return runOnce(argc, argv);
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

    const auto repairStart = Steady::now();
    const std::string backupPath = repairAll(prefix, targets);
    const double repairSeconds = seconds(repairStart);
    const fs::path backupFile = prefix / "drive_c" / "backup" / FileNameOfPath(backupPath);
    const std::string backupBytes = readBytes(backupFile);

    // The baseline on the same, untouched registry.
    fs::copy_file(pristine, prefix / "system.reg", fs::copy_options::overwrite_existing);
    const auto baselineStart = Steady::now();
    baselineWork(prefix, backupBytes, root / "backup-bytes");
    const double baselineSeconds = seconds(baselineStart);

    std::printf("backup file: %zu bytes\n", backupBytes.size());
    std::printf("repair:   %.3f s\n", repairSeconds);
    std::printf("baseline: %.3f s (load + save + backup bytes)\n", baselineSeconds);
    std::printf("ratio repair / baseline: %.2f\n", repairSeconds / baselineSeconds);

    const fs::path targetList = root / "targets.txt";
    {
        std::ofstream out(targetList);
        for (const auto& target : targets)
            out << target.keyPath << '\t' << target.valueName << '\n';
    }
    std::ofstream(root / "backup-bytes.in", std::ios::binary) << backupBytes;
    const auto restore = [&] {
        fs::copy_file(pristine, prefix / "system.reg", fs::copy_options::overwrite_existing);
        std::error_code ignored;
        fs::remove_all(prefix / "drive_c" / "backup", ignored);
        fs::create_directories(prefix / "drive_c" / "backup");
    };
    const bench::ColdFigure coldRepair =
        bench::runCold(bench::selfOnce("repair", {prefix.string(), targetList.string()}), 3, restore);
    const bench::ColdFigure coldBaseline =
        bench::runCold(bench::selfOnce("baseline", {prefix.string(), (root / "backup-bytes.in").string(),
                                                    (root / "backup-bytes").string()}),
                       3, restore);
    bench::printCold("repair", coldRepair, "load + save + backup bytes", coldBaseline);
    return 0;
}
