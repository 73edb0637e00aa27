// Existence tests through the Wine file layer against plain stat() of the same Unix paths.
//
// A generated tree under a temporary prefix; 100,000 distinct Windows paths, half of them
// missing, each written in a mixed letter case. The layer is timed inside one operation after a
// first pass has listed every folder once; stat() is timed over the exact Unix spelling of the
// same paths in the same run. Prints both and their ratio (best of several rounds); then the
// figures judged, of a fresh process each that reads the probes and tests them once.

#include "cold_process.h"
#include "engine/path_utils.h"
#include "platform/wine/wine_file_system.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr int kTopFolders = 50;
constexpr int kSubFolders = 20;
constexpr int kFilesPerFolder = 50; // 50,000 files in all
constexpr int kRounds = 5;

struct Probe {
    std::string windowsPath; // mixed letter case
    std::string unixPath;    // as on disk
    bool exists;
};

std::string mixCase(const std::string& text, std::mt19937& random)
{
    std::string out = text;
    for (char& c : out)
        if (std::isalpha(static_cast<unsigned char>(c)) && (random() & 1))
            c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
    return out;
}

template <typename Work> double bestSeconds(Work work)
{
    double best = 1e30;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// One fresh process's worth: the probes (one "0/1 windows-path|unix-path" a line) tested once,
// through the layer or with stat(). Exits 0 when every answer is right.
int testOnce(const std::string& how, const std::filesystem::path& prefix, const std::filesystem::path& list)
{
    std::ifstream in(list);
    std::vector<Probe> probes;
    for (std::string line; std::getline(in, line);) {
        const auto bar = line.find('|');
        probes.push_back({line.substr(2, bar - 2), line.substr(bar + 1), line[0] == '1'});
    }
    std::size_t wrong = 0;
    if (how == "layer") {
        tessivar::wine::WineFileSystem files(prefix,
                                             tessivar::wine::WineFileSystemOptions{{}, std::filesystem::path(), {}});
        files.beginOperation();
        for (const auto& probe : probes)
            wrong += tessivar::FileIsPresent(files, probe.windowsPath) != probe.exists ? 1 : 0;
        files.endOperation();
    } else {
        struct stat info {};
        for (const auto& probe : probes)
            wrong += (::stat(probe.unixPath.c_str(), &info) == 0 && S_ISREG(info.st_mode)) != probe.exists ? 1 : 0;
    }
    return wrong == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (tessivar::bench::isOnce(argc, argv) && argc > 4)
        return testOnce(argv[2], argv[3], argv[4]);

    std::string pattern = (std::filesystem::temp_directory_path() / "tessivar-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    const std::filesystem::path root = pattern;
    const std::filesystem::path prefix = root / "prefix";
    std::filesystem::create_directories(prefix / "dosdevices");
    std::filesystem::create_directories(prefix / "drive_c" / "windows" / "system32");
    std::filesystem::create_symlink("../drive_c", prefix / "dosdevices" / "c:");

    std::mt19937 random(20240309);
    std::vector<Probe> probes;
    for (int top = 0; top < kTopFolders; ++top) {
        for (int sub = 0; sub < kSubFolders; ++sub) {
            const std::string relative =
                "Program Files/Vendor " + std::to_string(top) + "/Product." + std::to_string(sub);
            const std::filesystem::path folder = prefix / "drive_c" / relative;
            std::filesystem::create_directories(folder);
            for (int file = 0; file < kFilesPerFolder; ++file) {
                const std::string present = "Module" + std::to_string(file) + ".dll";
                const std::string missing = "Module" + std::to_string(file) + ".ocx";
                std::ofstream(folder / present) << 'x';
                std::string windowsFolder = "C:\\" + relative;
                std::replace(windowsFolder.begin(), windowsFolder.end(), '/', '\\');
                probes.push_back({mixCase(windowsFolder + "\\" + present, random), (folder / present).string(), true});
                probes.push_back({mixCase(windowsFolder + "\\" + missing, random), (folder / missing).string(), false});
            }
        }
    }
    std::shuffle(probes.begin(), probes.end(), random);

    tessivar::wine::WineFileSystem files(prefix,
                                         tessivar::wine::WineFileSystemOptions{{}, std::filesystem::path(), {}});
    files.beginOperation();
    std::size_t wrong = 0;
    for (const auto& probe : probes) // the first pass lists every folder once
        wrong += tessivar::FileIsPresent(files, probe.windowsPath) != probe.exists ? 1 : 0;

    std::size_t layerFound = 0;
    const double layer = bestSeconds([&] {
        layerFound = 0;
        for (const auto& probe : probes)
            layerFound += tessivar::FileIsPresent(files, probe.windowsPath) ? 1 : 0;
    });
    files.endOperation();

    std::size_t statFound = 0;
    const double plain = bestSeconds([&] {
        statFound = 0;
        struct stat info {};
        for (const auto& probe : probes)
            statFound += ::stat(probe.unixPath.c_str(), &info) == 0 && S_ISREG(info.st_mode) ? 1 : 0;
    });

    std::printf("existence tests: %zu distinct paths, %zu present\n", probes.size(), statFound);
    std::printf("through the layer (FileIsPresent): %.1f ns per path\n", layer * 1e9 / double(probes.size()));
    std::printf("plain stat():                      %.1f ns per path\n", plain * 1e9 / double(probes.size()));
    std::printf("ratio layer / stat: %.2f\n", layer / plain);
    {
        const std::filesystem::path list = root / "probes.txt";
        std::ofstream out(list);
        for (const auto& probe : probes)
            out << (probe.exists ? '1' : '0') << ' ' << probe.windowsPath << '|' << probe.unixPath << '\n';
        out.close();
        using namespace tessivar::bench;
        printCold("existence tests through the layer", runCold(selfOnce("layer", {prefix.string(), list.string()})),
                  "plain stat()", runCold(selfOnce("stat", {prefix.string(), list.string()})));
    }
    if (wrong != 0 || layerFound != statFound)
        std::printf("MISMATCH: %zu wrong answers, %zu vs %zu present\n", wrong, layerFound, statFound);

    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return wrong == 0 && layerFound == statFound ? 0 : 2;
}
