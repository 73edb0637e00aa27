// The drive walk with the shortcut check over a generated tree, against `find ROOT -xdev -type f`
// over the same tree in the same run, warm cache. Prints both times and their ratio, and what
// remembering every folder's identity (so that no folder is walked twice) costs: the same walk
// over a file system that tells no identities, in % of the walk. Then the figures judged: a fresh
// process walking the drive once against a fresh `find`.
//
//   bench_drive_walk [FILES [ROUNDS]]    (default 200000 files, 1% of them shortcuts, half of those
//                                         broken; 3 rounds, the best of which counts)

#include "checks/drive_walk.h"
#include "cold_process.h"
#include "engine/scan_context.h"
#include "platform/wine/wine_file_system.h"
#include "settings/settings_store.h"
#include "support/fake_host.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"
#include "support/shell_link_builder.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

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

// The Wine file system with folder identities unknown, as a back-end without them answers: the
// walk then neither asks for nor remembers any.
class WithoutIdentities final : public FileSystem {
  public:
    explicit WithoutIdentities(FileSystem& inner) : m_inner(inner) {}

    FindHandle FindFirstFileA(std::string_view pattern, FindData* data, FindDetail detail) override
    {
        return m_inner.FindFirstFileA(pattern, data, detail);
    }
    bool FindNextFileA(FindHandle handle, FindData* data) override { return m_inner.FindNextFileA(handle, data); }
    bool FindClose(FindHandle handle) override { return m_inner.FindClose(handle); }
    SearchOutcome searchPath(std::string_view path, std::uint32_t mask) override
    {
        return m_inner.searchPath(path, mask);
    }
    std::uint32_t GetFileAttributesA(std::string_view path) override { return m_inner.GetFileAttributesA(path); }
    bool GetVolumeInformationA(std::string_view root, std::string* name, std::uint32_t* serial,
                               std::string* fileSystem) override
    {
        return m_inner.GetVolumeInformationA(root, name, serial, fileSystem);
    }
    bool CopyFileA(std::string_view from, std::string_view to, bool failIfExists) override
    {
        return m_inner.CopyFileA(from, to, failIfExists);
    }
    bool DeleteFileA(std::string_view path) override { return m_inner.DeleteFileA(path); }
    bool CreateDirectoryA(std::string_view path) override { return m_inner.CreateDirectoryA(path); }
    bool appendLine(std::string_view path, std::string_view line, Sync sync) override
    {
        return m_inner.appendLine(path, line, sync);
    }
    bool writeFile(std::string_view path, std::string_view bytes, Sync sync) override
    {
        return m_inner.writeFile(path, bytes, sync);
    }
    bool readLines(std::string_view path, std::vector<std::string>* lines) override
    {
        return m_inner.readLines(path, lines);
    }
    bool readFile(std::string_view path, std::string* bytes, std::size_t maxBytes) override
    {
        return m_inner.readFile(path, bytes, maxBytes);
    }
    std::int64_t fileSize(std::string_view path) override { return m_inner.fileSize(path); }
    std::string GetTempPathA() override { return m_inner.GetTempPathA(); }
    std::string GetSystemDirectoryA() override { return m_inner.GetSystemDirectoryA(); }
    std::string GetWindowsDirectoryA() override { return m_inner.GetWindowsDirectoryA(); }
    std::string GetShortPathNameA(std::string_view path) override { return m_inner.GetShortPathNameA(path); }
    std::string programFolder() override { return m_inner.programFolder(); }
    std::vector<DriveInfo> drives() override { return m_inner.drives(); }
    std::uint64_t folderDevice(std::string_view folder) override { return m_inner.folderDevice(folder); }
    void beginOperation() override { m_inner.beginOperation(); }
    void endOperation() override { m_inner.endOperation(); }

  private:
    FileSystem& m_inner;
};

double seconds(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

// The walk and its check over a prefix, as one run of the program would do it.
std::size_t walkDriveOnce(const fs::path& prefix)
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

int main(int argc, char** argv)
{
    if (bench::isOnce(argc, argv) && argc > 3)
        return walkDriveOnce(argv[3]) > 0 ? 0 : 1;
    const int files = argc > 1 ? std::atoi(argv[1]) : 200000;
    // More rounds make the walk dominate a profile taken over the whole program.
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    test::TempDir temp;
    const fs::path prefix = temp.path() / "prefix";
    fs::create_directories(prefix / "dosdevices");
    fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
    std::printf("generating %d files...\n", files);
    makeTree(prefix / "drive_c", files);
    ::sync(); // the new tree written back before anything is timed, not during the rounds

    std::size_t recorded = 0;
    std::size_t folders = 0;
    auto walkWith = [&](bool identities) {
        wine::WineFileSystem wineFiles(prefix);
        WithoutIdentities plain(wineFiles);
        FileSystem& fileSystem = identities ? static_cast<FileSystem&>(wineFiles) : plain;
        test::NullRegistry registry;
        test::FixedClock clock;
        test::FakeHost host;
        test::MemorySettings backend;
        backend.set("txtBackup", "C:\\backups");
        SettingsStore settings(backend);
        ScanModel model;
        ScanContext context{registry, fileSystem, settings, clock, host, model};
        FileOperationScope scope(fileSystem);
        WalkDrive(context, "C:\\");
        recorded = model.lvwShortcut.count();
        if (identities)
            folders = model.lvwShortcut.walkedFolderCount();
    };
    const std::string find = "find '" + (prefix / "drive_c").string() + "' -xdev -type f > /dev/null";
    auto baseline = [&] {
        if (std::system(find.c_str()) != 0)
            std::fprintf(stderr, "find failed\n");
    };

    baseline(); // warm the cache
    walkWith(true);
    double best = 1e9;
    double bestPlain = 1e9;
    double bestFind = 1e9;
    for (int round = 0; round < rounds; ++round) {
        bestFind = std::min(bestFind, seconds(baseline));
        best = std::min(best, seconds([&] { walkWith(true); }));
        bestPlain = std::min(bestPlain, seconds([&] { walkWith(false); }));
    }
    walkWith(true);
    std::printf("broken shortcuts recorded: %zu (expected %d), folders remembered: %zu\n", recorded, files / 200,
                folders);
    std::printf("find -xdev -type f: %.3f s\n", bestFind);
    std::printf("drive walk + check: %.3f s\n", best);
    std::printf("ratio walk/find:    %.2fx\n", best / bestFind);
    std::printf("walk without folder identities: %.3f s; remembering them costs %.1f%% of the walk\n", bestPlain,
                100.0 * (best - bestPlain) / best);
    // Alternating, the best of five each, so that a stretch of a busy machine weighs on both.
    bench::ColdFigure coldFind;
    bench::ColdFigure coldWalk;
    for (int round = 0; round < 5; ++round) {
        coldFind.add(bench::runCold({"find", (prefix / "drive_c").string(), "-xdev", "-type", "f"}, 1));
        coldWalk.add(bench::runCold(bench::selfOnce("walk", {prefix.string()}), 1));
    }
    bench::printCold("drive walk + check", coldWalk, "find -xdev -type f", coldFind);
    return recorded == static_cast<std::size_t>(files / 200) ? 0 : 1;
}
