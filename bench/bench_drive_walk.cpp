// The drive walk with the shortcut check over a generated tree, against `find ROOT -xdev -type f`
// over the same tree in the same run, warm cache. Prints both times and their ratio, then the
// figures judged: a fresh process walking the drive once against a fresh `find`.
//
//   bench_drive_walk [FILES [ROUNDS]]    (default 200000 files, 1% of them shortcuts, half of those
//                                         broken; 3 rounds, the best of which counts)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "checks/drive_walk.h"
#include "engine/scan_context.h"
#include "platform/wine/wine_file_system.h"
#include "settings/settings_store.h"
#include "support/fake_host.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"
#include "support/shell_link_builder.h"
#include "support/temp_dir.h"

#include "cold_process.h"

namespace fs = std::filesystem;
using namespace tessivar;

namespace {

constexpr int kFilesPerFolder = 100;

std::string linkTo(const std::string& target)
{
    test::LinkDesign design;
    design.idListPath = target;
    design.localBasePath = target;
    return test::BuildShellLink(design);
}

// Folders of kFilesPerFolder files, ten folders to a parent; every hundredth file a shortcut,
// every other shortcut pointing at a file that is not there.
void makeTree(const fs::path& driveC, int files)
{
    fs::create_directories(driveC / "targets");
    std::ofstream(driveC / "targets" / "present.exe") << "x";
    const std::string present = linkTo("C:\\targets\\present.exe");
    const std::string broken = linkTo("C:\\targets\\gone.exe");
    for (int i = 0; i < files; ++i) {
        const int folder = i / kFilesPerFolder;
        const fs::path dir = driveC / "tree" / ("g" + std::to_string(folder / 10)) / ("f" + std::to_string(folder));
        if (i % kFilesPerFolder == 0)
            fs::create_directories(dir);
        if (i % 100 == 0)
            std::ofstream(dir / ("s" + std::to_string(i) + ".lnk"), std::ios::binary)
                << ((i / 100) % 2 ? broken : present);
        else
            std::ofstream(dir / ("file" + std::to_string(i) + ".dat")) << "data";
    }
}

double seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The walk and its check over a prefix, as one run of the program would do it.
std::size_t walkDrive(const fs::path& prefix)
{
    wine::WineFileSystem fileSystem(prefix);
    test::NullRegistry registry;
    test::FixedClock clock;
    test::FakeHost host;
    test::MemorySettings backend;
    SettingsStore settings(backend);
    ScanModel model;
    ScanContext context{registry, fileSystem, settings, clock, host, model};
    FileOperationScope scope(fileSystem);
    WalkDrive(context, "C:\\");
    return model.lvwShortcut.count();
}

} // namespace

int main(int argc, char** argv)
{
    if (bench::isOnce(argc, argv) && argc > 3)
        return walkDrive(argv[3]) > 0 ? 0 : 1;
    const int files = argc > 1 ? std::atoi(argv[1]) : 200000;
    // More rounds make the walk dominate a profile taken over the whole program.
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    test::TempDir temp;
    const fs::path prefix = temp.path() / "prefix";
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    std::printf("generating %d files...\n", files);
    makeTree(prefix / "drive_c", files);

    std::size_t recorded = 0;
    auto walk = [&] { recorded = walkDrive(prefix); };
    const std::string find = "find '" + (prefix / "drive_c").string() + "' -xdev -type f > /dev/null";
    auto baseline = [&] {
        if (std::system(find.c_str()) != 0)
            std::fprintf(stderr, "find failed\n");
    };

    baseline(); // warm the cache
    walk();
    double best = 1e9;
    double bestFind = 1e9;
    for (int round = 0; round < rounds; ++round) {
        bestFind = std::min(bestFind, seconds(baseline));
        best = std::min(best, seconds(walk));
    }
    std::printf("broken shortcuts recorded: %zu (expected %d)\n", recorded, files / 200);
    std::printf("find -xdev -type f: %.3f s\n", bestFind);
    std::printf("drive walk + check: %.3f s\n", best);
    std::printf("ratio walk/find:    %.2fx\n", best / bestFind);
    const bench::ColdFigure coldFind = bench::runCold({"find", (prefix / "drive_c").string(), "-xdev", "-type", "f"});
    const bench::ColdFigure coldWalk = bench::runCold(bench::selfOnce("walk", {prefix.string()}));
    bench::printCold("drive walk + check", coldWalk, "find -xdev -type f", coldFind);
    return recorded == static_cast<std::size_t>(files / 200) ? 0 : 1;
}
