// Loading and saving a large Wine registry file, against the cheapest thing that touches the
// same bytes: splitting the file into lines (1 MiB reads + memchr), and one plain write of the
// same bytes. Prints the ratios of the elapsed times, and of the CPU times for the load (which
// reads on a second thread while it parses); peak memory is measured in a child process.
// Then the cold figures, which are the ones judged: a fresh process that opens a key the file
// does not hold (the registry's load, start and exit included; the command line's `reg query`
// too when it was built), against a fresh `wc -l` of the file; and a fresh load of the file read
// through a mapping against one that copies it.
//
// Usage: bench_registry_file [value count]   (default 1,000,000, about 170 MB)

#include "cold_process.h"
#include "platform/wine/atomic_file.h"
#include "platform/wine/reg_file.h"
#include "platform/wine/wine_registry.h"
#include "support/synthetic_registry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 7;

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// CPU seconds of every thread of this process: a load reads large files on a second thread.
double cpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

std::size_t lineSplit(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    static char buffer[1 << 20];
    std::size_t lines = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        const char* at = buffer;
        const char* end = buffer + got;
        while ((at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at))))) {
            ++lines;
            ++at;
        }
    }
    ::close(fd);
    return lines;
}

std::unique_ptr<tessivar::wine::RegFile>
load(const std::filesystem::path& path, tessivar::wine::LargeFileRead how = tessivar::wine::LargeFileRead::mapWhereSafe)
{
    bool exists = false;
    return tessivar::wine::RegFile::load(path, "system.reg", tessivar::wine::filetimeNow(), &exists, how);
}

bool saveTo(tessivar::wine::RegFile& file, const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok = file.write([fd](std::string_view piece) {
        return ::write(fd, piece.data(), piece.size()) == static_cast<ssize_t>(piece.size());
    });
    ::close(fd);
    return ok;
}

void plainWrite(const std::filesystem::path& path, std::string_view bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    (void)written;
    ::close(fd);
}

long statusKilobytes(const char* field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    }
    return -1;
}

// Run in a fresh copy of this program (so that nothing else counts): prints the peak memory a
// load adds, in bytes.
int measureLoad(const char* path)
{
    const long before = statusKilobytes("VmHWM:");
    auto file = load(path);
    const long peak = statusKilobytes("VmHWM:");
    std::printf("%ld\n", (peak - before) * 1024);
    return file ? 0 : 1;
}

long loadPeakBytes(const std::filesystem::path& path)
{
    const std::string command = "/proc/" + std::to_string(::getpid()) + "/exe --measure-load '" + path.string() + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    long added = -1;
    if (std::fscanf(pipe, "%ld", &added) != 1)
        added = -1;
    ::pclose(pipe);
    return added;
}

// The work of the cold process: what `reg query HKLM\NoSuchKey` asks of the registry.
int queryMissingKey(const char* prefix)
{
    tessivar::wine::WineRegistry registry(prefix);
    tessivar::HKEY key = 0;
    return registry.RegOpenKeyA(tessivar::HKEY_LOCAL_MACHINE, "NoSuchKey", &key) == tessivar::ERROR_SUCCESS ? 1 : 0;
}

// The work of the cold process that loads the file, mapped or copied as on a file system that may
// not be mapped.
int loadOnce(const char* how, const char* path)
{
    const auto file = load(path, std::strcmp(how, "copied") == 0 ? tessivar::wine::LargeFileRead::copy
                                                                 : tessivar::wine::LargeFileRead::mapWhereSafe);
    return file && file->headerValid() ? 0 : 1;
}

void printColdFigures(const std::filesystem::path& folder, const std::filesystem::path& source, std::size_t bytes)
{
    using namespace tessivar::bench;
    const ColdFigure wc = runCold({"wc", "-l", source.string()});
    const ColdFigure mapped = runCold(selfOnce("load", {"mapped", source.string()}));
    const ColdFigure copied = runCold(selfOnce("load", {"copied", source.string()}));
    std::printf("cold process, load of the file read through a mapping: %.3f s, %.1f MB resident, %.2fx wc -l\n",
                mapped.seconds, mapped.residentMegabytes, mapped.seconds / wc.seconds);
    std::printf("cold process, load of the file copied (as where it may not be mapped): %.3f s, %.1f MB resident, "
                "%.2fx wc -l; the mapping saves %.0f%%\n",
                copied.seconds, copied.residentMegabytes, copied.seconds / wc.seconds,
                100.0 * (copied.seconds - mapped.seconds) / copied.seconds);
    const ColdFigure query = runCold(selfOnce("query", {folder.string()}));
    const double fileMegabytes = static_cast<double>(bytes) / (1024.0 * 1024.0);
    printCold("open of a missing key", query, "wc -l of the file", wc);
    std::printf("cold resident memory: %.2fx the file (target <= 1.5)\n", query.residentMegabytes / fileMegabytes);
#ifdef TESSIVAR_CLI_PROGRAM
    ::setenv("WINEPREFIX", folder.c_str(), 1);
    const ColdFigure cli = runCold({TESSIVAR_CLI_PROGRAM, "reg", "query", "HKLM\\NoSuchKey"});
    std::printf("cold process, tessivar-cli reg query HKLM\\NoSuchKey: %.3f s, %.1f MB resident, %.2fx wc -l "
                "(target <= 5), %.2fx the file's size in memory (target <= 1.5)\n",
                cli.seconds, cli.residentMegabytes, cli.seconds / wc.seconds, cli.residentMegabytes / fileMegabytes);
#endif
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && std::strcmp(argv[1], "--measure-load") == 0)
        return measureLoad(argv[2]);
    if (tessivar::bench::isOnce(argc, argv) && argc > 4 && std::strcmp(argv[2], "load") == 0)
        return loadOnce(argv[3], argv[4]);
    if (tessivar::bench::isOnce(argc, argv) && argc > 3)
        return queryMissingKey(argv[3]);
    const std::size_t values = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    std::string folderPattern = (std::filesystem::temp_directory_path() / "tessivar-bench-XXXXXX").string();
    if (!::mkdtemp(folderPattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::filesystem::path folder = folderPattern;
    const std::filesystem::path source = folder / "system.reg";

    tessivar::test::SyntheticRegistryOptions options;
    options.valueCount = values;
    const auto stats = tessivar::test::writeSyntheticRegistry(source, options);
    std::printf("synthetic file: %zu values, %zu keys, %.1f MB\n", stats.values, stats.keys, stats.bytes / 1e6);

    double split = 1e9, loaded = 1e9, serialized = 1e9, plain = 1e9, atomicSave = 1e9;
    double splitCpu = 1e9, loadedCpu = 1e9;
    // The generated file is written out first, so that the kernel writing it back does not take
    // a processor away from the loads; the loads all come before the saves for the same reason.
    ::sync();
    std::size_t lines = lineSplit(source); // warms the page cache for both
    bool identical = false;
    for (int round = 0; round < kRounds; ++round) {
        auto start = Clock::now();
        double cpuStart = cpuSeconds();
        lines = lineSplit(source);
        split = std::min(split, seconds(start));
        splitCpu = std::min(splitCpu, cpuSeconds() - cpuStart);

        start = Clock::now();
        cpuStart = cpuSeconds();
        auto file = load(source);
        loaded = std::min(loaded, seconds(start));
        loadedCpu = std::min(loadedCpu, cpuSeconds() - cpuStart);
    }
    auto file = load(source);
    for (int round = 0; round < kRounds; ++round) {
        auto start = Clock::now();
        saveTo(*file, folder / "saved.reg");
        serialized = std::min(serialized, seconds(start));

        start = Clock::now();
        plainWrite(folder / "plain.reg", file->originalText());
        plain = std::min(plain, seconds(start));

        start = Clock::now();
        tessivar::wine::replaceFileAtomically(
            folder / "atomic.reg", [&file](const tessivar::wine::ContentSink& sink) { return file->write(sink); });
        atomicSave = std::min(atomicSave, seconds(start));
    }
    {
        bool exists = false;
        auto saved = tessivar::wine::RegTextBuffer::readFile(folder / "saved.reg", &exists);
        auto original = tessivar::wine::RegTextBuffer::readFile(source, &exists);
        identical = saved && original && saved->view() == original->view();
    }
    const long peak = loadPeakBytes(source);

    std::printf("line split: %.3f s, %.3f s CPU (%zu lines)\n", split, splitCpu, lines);
    std::printf("load:       %.3f s   ratio %.2f (target <= 3)\n", loaded, loaded / split);
    std::printf("load CPU:   %.3f s   ratio %.2f of the line split's CPU time\n", loadedCpu, loadedCpu / splitCpu);
    std::printf("peak memory of load: %.1f MB   ratio %.2f of the file size (target <= 1.5)\n", peak / 1e6,
                static_cast<double>(peak) / static_cast<double>(stats.bytes));
    std::printf("plain write: %.3f s\n", plain);
    std::printf("save untouched tree: %.3f s   ratio %.2f (target <= 3)%s\n", serialized, serialized / plain,
                identical ? "" : "   OUTPUT DIFFERS FROM INPUT");
    std::printf("atomic save incl. fsync: %.3f s   ratio %.2f of the plain write\n", atomicSave, atomicSave / plain);
    std::filesystem::remove(folder / "saved.reg");
    std::filesystem::remove(folder / "plain.reg");
    std::filesystem::remove(folder / "atomic.reg");
    printColdFigures(folder, source, stats.bytes);

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return identical ? 0 : 1;
}
