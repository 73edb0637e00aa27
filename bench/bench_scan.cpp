// The headless scan of the eleven registry sections on a large synthetic prefix, against a
// baseline measured in the same run: loading the registry plus one existence test per value the
// scan hands to a check. Prints the ratio and the walk's rate, then the figures judged: a fresh
// process for the scan and one for the baseline, start and exit included.
//
//   bench_scan [values] [prefix]    (default 1000000 values in a temporary prefix)
// With a prefix folder that already holds a system.reg, that prefix is scanned as it is (to
// profile the scan without the generation).

#include "cli/cli_host.h"
#include "cold_process.h"
#include "engine/catalogue.h"
#include "engine/path_utils.h"
#include "engine/registry_ops.h"
#include "engine/scan_context.h"
#include "platform/wine/drives.h"
#include "platform/wine/wine_file_system.h"
#include "platform/wine/wine_registry.h"
#include "scan/scan_driver.h"
#include "settings/settings_store.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"
#include "support/synthetic_registry.h"
#include "support/temp_prefix.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using namespace tessivar;
namespace fs = std::filesystem;
using Stopwatch = std::chrono::steady_clock;

double secondsSince(Stopwatch::time_point start)
{
    return std::chrono::duration<double>(Stopwatch::now() - start).count();
}

// CPU seconds (user and system) this process used so far; the machine is shared, so the CPU
// time is the steadier figure.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Counts the host's steps: one per key and per value walked.
class CountingHost final : public Host {
  public:
    void yield() override { ++steps; }
    MessageAnswer showMessageBox(MessageKind, std::string_view) override { return MessageAnswer::no; }
    bool playSoundAsync(const std::string&) override { return false; }
    std::uint64_t steps = 0;
};

// The same file system with its drive list asked for once: shows what the scan would cost if the
// back-end kept the list for the length of an operation (the ActiveX check asks for it per value).
class DriveListOnce final : public FileSystem {
  public:
    explicit DriveListOnce(FileSystem& inner) : m(inner) {}
    FindHandle FindFirstFileA(std::string_view p, FindData* d, FindDetail x) override
    {
        return m.FindFirstFileA(p, d, x);
    }
    bool FindNextFileA(FindHandle h, FindData* d) override { return m.FindNextFileA(h, d); }
    bool FindClose(FindHandle h) override { return m.FindClose(h); }
    SearchOutcome searchPath(std::string_view p, std::uint32_t a) override { return m.searchPath(p, a); }
    std::uint32_t GetFileAttributesA(std::string_view p) override { return m.GetFileAttributesA(p); }
    bool GetVolumeInformationA(std::string_view r, std::string* v, std::uint32_t* s, std::string* f) override
    {
        return m.GetVolumeInformationA(r, v, s, f);
    }
    bool CopyFileA(std::string_view a, std::string_view b, bool f) override { return m.CopyFileA(a, b, f); }
    bool DeleteFileA(std::string_view p) override { return m.DeleteFileA(p); }
    bool CreateDirectoryA(std::string_view p) override { return m.CreateDirectoryA(p); }
    bool appendLine(std::string_view p, std::string_view l, Sync y) override { return m.appendLine(p, l, y); }
    bool writeFile(std::string_view p, std::string_view b, Sync y) override { return m.writeFile(p, b, y); }
    bool readLines(std::string_view p, std::vector<std::string>* l) override { return m.readLines(p, l); }
    bool readFile(std::string_view p, std::string* b, std::size_t n) override { return m.readFile(p, b, n); }
    std::int64_t fileSize(std::string_view p) override { return m.fileSize(p); }
    std::string GetTempPathA() override { return m.GetTempPathA(); }
    std::string GetSystemDirectoryA() override { return m.GetSystemDirectoryA(); }
    std::string GetWindowsDirectoryA() override { return m.GetWindowsDirectoryA(); }
    std::string GetShortPathNameA(std::string_view p) override { return m.GetShortPathNameA(p); }
    std::string programFolder() override { return m.programFolder(); }
    std::vector<DriveInfo> drives() override
    {
        if (!m_drives)
            m_drives = m.drives();
        return *m_drives;
    }
    void beginOperation() override { m.beginOperation(); }
    void endOperation() override { m.endOperation(); }

  private:
    FileSystem& m;
    std::optional<std::vector<DriveInfo>> m_drives;
};

// One headless scan of the eleven registry sections; CPU seconds, walk steps and rows.
struct ScanFigures {
    double wall = 0;
    double cpu = 0;
    std::uint64_t steps = 0;
    std::size_t problems = 0;
};

wine::WineFileSystemOptions optionsFor(Registry& registry)
{
    wine::WineFileSystemOptions options;
    options.driveTypes = wine::driveTypeReaderFor(registry);
    return options;
}

// The data of every value the scan dispatches: the values below the walks of sections 2 to 10.
void collect(Registry& registry, HKEY hive, const std::string& path, bool subtree, bool values,
             std::vector<std::string>& out)
{
    HKEY key = 0;
    if (registry.RegOpenKeyA(hive, path, &key) != ERROR_SUCCESS)
        return;
    if (values) {
        for (std::uint32_t i = 0;; ++i) {
            char name[256];
            std::uint32_t length = 255;
            std::uint8_t data[256];
            std::uint32_t size = 255;
            if (registry.RegEnumValueA(key, i, name, &length, nullptr, data, &size) != ERROR_SUCCESS)
                break;
            out.push_back(ReadValueAsText(registry, key, std::string_view(name, length)));
        }
    }
    if (subtree) {
        for (std::uint32_t i = 0;; ++i) {
            char name[256];
            std::uint32_t length = 255;
            if (registry.RegEnumKeyExA(key, i, name, &length, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            if (!registry.isLinkKey(key, std::string_view(name, length)))
                collect(registry, hive, path + "\\" + std::string(name, length), true, true, out);
        }
    }
    registry.RegCloseKey(key);
}

ScanFigures runScan(const fs::path& prefix, bool driveListOnce, wine::LookupMemos memos = {})
{
    const auto start = Stopwatch::now();
    const double cpuStart = cpuSeconds();
    wine::WineRegistry registry(prefix, memos);
    wine::WineFileSystem wineFiles(prefix, optionsFor(registry));
    DriveListOnce once(wineFiles);
    FileSystem& files = driveListOnce ? static_cast<FileSystem&>(once) : wineFiles;
    test::FixedClock clock;
    CountingHost host;
    test::MemorySettings backend;
    SettingsStore settings(backend);
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
    for (const ScanSection& section : FixedScanSections())
        model.lvwRegistryvaluesScan.append({section.ListText, section.SmallIcon, true, false});
    ImgScanNowMouseMove_Click(context);
    return {secondsSince(start), cpuSeconds() - cpuStart, host.steps, model.lvwErrors.count()};
}

// The baseline's work: the registry loaded, then one existence test per dispatched value.
std::size_t baselineWork(const fs::path& prefix, const std::vector<std::string>& dispatched)
{
    std::size_t present = 0;
    wine::WineRegistry registry(prefix);
    HKEY key = 0;
    if (registry.RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE", &key) == ERROR_SUCCESS)
        registry.RegCloseKey(key);
    wine::WineFileSystem files(prefix, optionsFor(registry));
    FileOperationScope operation(files);
    for (const std::string& data : dispatched)
        present += FileOrFolderIsPresent(files, CleanPathText(data)) ? 1 : 0;
    return present;
}

// `--once scan PREFIX` or `--once baseline PREFIX LIST` (the dispatched data, one a line).
int runOnce(int argc, char** argv)
{
    const std::string work = argv[2];
    if (work == "scan" && argc > 3)
        return runScan(argv[3], false).steps > 0 ? 0 : 1;
    if (work == "baseline" && argc > 4) {
        std::vector<std::string> dispatched;
        std::ifstream in(argv[4]);
        for (std::string line; std::getline(in, line);)
            dispatched.push_back(line);
        baselineWork(argv[3], dispatched);
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

    test::TempPrefix temporary;
    const fs::path prefixPath = argc > 2 ? fs::path(argv[2]) : temporary.path();
    if (!fs::exists(prefixPath / "system.reg")) {
        fs::create_directories(prefixPath / "dosdevices");
        fs::create_directories(prefixPath / "drive_c" / "windows" / "system32");
        if (!fs::exists(fs::symlink_status(prefixPath / "dosdevices" / "c:")))
            fs::create_directory_symlink("../drive_c", prefixPath / "dosdevices" / "c:");
        // Drive Z: (the whole Unix tree) plays no part in a registry scan.
        fs::remove(prefixPath / "dosdevices" / "z:");
        test::SyntheticRegistryOptions options;
        options.valueCount = valueCount;
        options.driveC = prefixPath / "drive_c";
        options.missingRatio = 0.5;
        const auto generated = test::writeSyntheticRegistry(prefixPath / "system.reg", options);
        if (generated.bytes == 0) {
            std::fprintf(stderr, "bench_scan: could not write the synthetic registry\n");
            return 2;
        }
        std::printf("synthetic prefix: %zu values in %zu keys, %.1f MB; %zu paths, %zu missing\n", generated.values,
                    generated.keys, static_cast<double>(generated.bytes) / 1e6, generated.pathValues,
                    generated.missingPaths);
    }
    struct {
        fs::path p;
        const fs::path& path() const { return p; }
    } prefix{prefixPath};

    // What the scan will dispatch, gathered beforehand (not timed).
    std::vector<std::string> dispatched;
    {
        wine::WineRegistry registry(prefix.path());
        for (const ScanSection& section : FixedScanSections()) {
            if (section.ScannerName.empty() || !section.counted)
                continue;
            for (const SectionWalk& walk : section.Walks)
                collect(registry, walk.hive, walk.keyPath, walk.kind == WalkKind::SubkeyTree,
                        walk.kind == WalkKind::KeyValues, dispatched);
        }
    }

    // Baseline: load the registry, then one existence test per dispatched value. Measured twice,
    // keeping the better figure: the first pass also brings the prefix's folders into the
    // kernel's caches, which the scans after it would otherwise get for free.
    std::size_t present = 0;
    double baseline = 1e9;
    double baselineCpu = 1e9;
    for (int pass = 0; pass < 2; ++pass) {
        present = 0;
        const auto baselineStart = Stopwatch::now();
        const double baselineCpuStart = cpuSeconds();
        present = baselineWork(prefix.path(), dispatched);
        baseline = std::min(baseline, secondsSince(baselineStart));
        baselineCpu = std::min(baselineCpu, cpuSeconds() - baselineCpuStart);
    }

    const ScanFigures scanFigures = runScan(prefix.path(), false);
    const ScanFigures onceFigures = runScan(prefix.path(), true);
    // The back-end's memos of the last lookups, against the plain lookups: all of them off, then
    // each one alone.
    struct MemoCase {
        const char* name;
        wine::LookupMemos memos;
        double cpu = 1e9;
    };
    std::vector<MemoCase> memoCases = {{"all kept", {}},
                                       {"none", {false, false, false, false}},
                                       {"no handle memo", {false, true, true, true}},
                                       {"no value memo", {true, false, true, true}},
                                       {"no narrowed-data memo", {true, true, false, true}},
                                       {"no subkey memo", {true, true, true, false}}};
    for (int pass = 0; pass < 3; ++pass) {
        for (MemoCase& memoCase : memoCases)
            memoCase.cpu = std::min(memoCase.cpu, runScan(prefix.path(), false, memoCase.memos).cpu);
    }
    const double scan = scanFigures.wall;
    const double scanCpu = scanFigures.cpu;
    std::printf("dispatched values: %zu (%zu present in the baseline's test)\n", dispatched.size(), present);
    std::printf("problems recorded: %zu\n", scanFigures.problems);
    std::printf("baseline (load + one existence test per dispatched value): %.3f s\n", baseline);
    std::printf("scan of the eleven registry sections:                      %.3f s\n", scan);
    std::printf("ratio scan / baseline: %.2f wall, %.2f CPU (%.3f s / %.3f s) (target <= 2)\n", scan / baseline,
                scanCpu / baselineCpu, scanCpu, baselineCpu);
    std::printf("walk steps (keys and values, every section): %llu, %.0f per second\n",
                static_cast<unsigned long long>(scanFigures.steps), static_cast<double>(scanFigures.steps) / scan);
    std::printf("values dispatched per second: %.0f\n", static_cast<double>(dispatched.size()) / scan);
    std::printf("diagnostic, drive list asked for once: %.2f CPU ratio (%.3f s), %zu problems\n",
                onceFigures.cpu / baselineCpu, onceFigures.cpu, onceFigures.problems);

    for (const MemoCase& memoCase : memoCases) {
        std::printf("lookup memos, %-22s scan %.3f s CPU: %+.1f%% against all kept (a memo stays at >= 5%%)\n",
                    (std::string(memoCase.name) + ":").c_str(), memoCase.cpu,
                    100.0 * (memoCase.cpu - memoCases[0].cpu) / memoCases[0].cpu);
    }

    // What the command line's host costs: as many yields as the scan made, through the interface.
    CliHost cliHost;
    Host* volatile host = &cliHost;
    const double yieldCpuStart = cpuSeconds();
    for (std::uint64_t i = 0; i < scanFigures.steps; ++i)
        host->yield();
    const double yieldCpu = cpuSeconds() - yieldCpuStart;
    std::printf("the command line host's yields: %.4f s CPU, %.2f%% of the scan\n", yieldCpu,
                100.0 * yieldCpu / scanCpu);

    // Data holding a line break would split in the list; the scan's own data has none.
    const fs::path list = prefix.path() / "dispatched.txt";
    {
        std::ofstream out(list);
        for (const std::string& data : dispatched)
            out << data << '\n';
    }
    const bench::ColdFigure coldScan = bench::runCold(bench::selfOnce("scan", {prefix.path().string()}));
    const bench::ColdFigure coldBaseline =
        bench::runCold(bench::selfOnce("baseline", {prefix.path().string(), list.string()}));
    fs::remove(list);
    bench::printCold("scan of the eleven sections", coldScan, "load + one existence test per dispatched value",
                     coldBaseline);
    return 0;
}
