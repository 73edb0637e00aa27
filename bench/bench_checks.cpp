// What the registry checks cost on top of the existence tests they make. Both runs go over the
// same values on the same in-memory machine: the baseline makes one existence test per value, the
// checks run the check of the value's section. Printed as a ratio, and as values per second;
// then the figures judged, of a fresh process each that builds the same machine and runs once.

#include "checks/checks.h"
#include "cold_process.h"
#include "engine/path_utils.h"
#include "engine/scan_context.h"
#include "support/fake_file_system.h"
#include "support/fake_registry.h"
#include "support/null_platform.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace tessivar;
using namespace tessivar::test;

namespace {

using Check = void (*)(ScanContext&, HKEY, const std::string&, const std::string&, std::string, const std::string&,
                       const std::string&);

struct Value {
    Check check;
    std::string name;
    std::string data;
    std::string probe; // the path the baseline tests
};

std::vector<Value> makeValues(FakeFileSystem& files, int count)
{
    std::vector<Value> values;
    values.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        const bool present = i % 2 == 0;
        const std::string file = std::string("C:\\Program Files\\App") + std::to_string(i % 97) + "\\file" + n + ".dll";
        if (present)
            files.addFile(file);
        switch (i % 8) {
        case 0:
            values.push_back({CheckActiveX, "", "\"" + file + "\"", file});
            break;
        case 1:
            values.push_back({CheckApplicationPath, "Path", file, file});
            break;
        case 2:
            values.push_back({CheckStartup, "App" + n, "\"" + file + "\" /background", file});
            break;
        case 3:
            values.push_back({CheckUninstall, "DisplayIcon", file + ",0", file});
            break;
        case 4:
            values.push_back({CheckUninstall, "UninstallString", "rundll32.exe " + file + ",Remove", file});
            break;
        case 5:
            values.push_back({CheckSharedFile, "Path", file, file});
            break;
        case 6:
            values.push_back({CheckActiveX, "ThreadingModel", "Apartment", "C:\\windows\\system32\\Apartment"});
            break;
        default:
            values.push_back({CheckFont, "Font " + n, "font" + n + ".ttf", "C:\\windows\\Fonts\\font" + n + ".ttf"});
        }
    }
    return values;
}

template <class Work> double seconds(Work work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    constexpr int kValues = 100000;
    const bool once = bench::isOnce(argc, argv);
    const bool onceBaseline = once && std::string(argv[2]) == "baseline";
    const int kRounds = once ? 1 : 3;
    FakeFileSystem files;
    files.recordSearches = false;
    FakeRegistry registry;
    FixedClock clock;
    FakeHost host;
    MemorySettings backend;
    SettingsStore settings{backend};
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
    const std::vector<Value> values = makeValues(files, kValues);
    const std::string hiveName = "HKEY_LOCAL_MACHINE";
    const std::string scanner = "Scanner";
    const std::string keyPath = "SOFTWARE\\Key";

    double baseline = 1e300;
    double checks = 1e300;
    std::size_t missingCount = 0;
    for (int round = 0; round < kRounds; ++round) {
        missingCount = 0;
        if (!once || onceBaseline) {
            baseline = std::min(baseline, seconds([&] {
                                    for (const Value& value : values)
                                        missingCount += FileOrFolderIsPresent(files, value.probe) ? 0 : 1;
                                }));
        }
        if (onceBaseline)
            return missingCount > 0 ? 0 : 1;
        model.lvwErrors.clear();
        checks = std::min(checks, seconds([&] {
                              for (const Value& value : values)
                                  value.check(context, HKEY_LOCAL_MACHINE, hiveName, value.name, value.data, scanner,
                                              keyPath);
                          }));
    }
    if (once)
        return model.lvwErrors.count() > 0 ? 0 : 1;
    std::printf("values: %d, missing by the baseline: %zu, rows found by the checks: %zu\n", kValues, missingCount,
                model.lvwErrors.count());
    std::printf("baseline (one existence test per value): %.3f s, %.0f values/s\n", baseline, kValues / baseline);
    std::printf("checks: %.3f s, %.0f values/s\n", checks, kValues / checks);
    std::printf("ratio checks / baseline: %.2f\n", checks / baseline);
    bench::printCold("machine + checks", bench::runCold(bench::selfOnce("checks")), "machine + existence tests",
                     bench::runCold(bench::selfOnce("baseline")));
    return 0;
}
