// A scan through the main window (offscreen) against the headless scan of the same synthetic
// prefix, measured in the same run: the ratio of their CPU times, and the longest stretches the
// window's scan went without a pass through the event loop (the maximum and the 99th percentile).
// Each scan reads the registry files and lets them go after, as both programs do: the command line
// reads them in its one scan, the window for each scan, on a thread of its own.
//
//   bench_window_scan [values]    (default 1000000 values in a temporary prefix)

#include "engine/scan_context.h"
#include "engine/section_list.h"
#include "platform/wine/drives.h"
#include "platform/wine/on_demand_registry.h"
#include "platform/wine/wine_file_system.h"
#include "platform/wine/wine_registry.h"
#include "scan/scan_driver.h"
#include "settings/settings_store.h"
#include "shell/main_window.h"
#include "shell/main_window_host.h"
#include "shell/main_window_peers.h"
#include "support/memory_settings.h"
#include "support/null_platform.h"
#include "support/quiet_peers.h"
#include "support/synthetic_registry.h"
#include "support/temp_prefix.h"
#include "ui/main_window_widget.h"
#include "ui/qt_host.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using namespace tessivar;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

class CountingHost final : public Host {
  public:
    void yield() override { ++steps; }
    MessageAnswer showMessageBox(MessageKind, std::string_view) override { return MessageAnswer::no; }
    bool playSoundAsync(const std::string&) override { return false; }
    std::uint64_t steps = 0;
};

// The desktop program's host, with the time between two event-loop passes noted.
class TimedQtHost final : public Host {
  public:
    void yield() override
    {
        const long long before = m_inner.passes();
        m_inner.yield();
        if (m_inner.passes() != before)
            notePass();
    }
    MessageAnswer showMessageBox(MessageKind, std::string_view) override { return MessageAnswer::no; }
    bool playSoundAsync(const std::string&) override { return false; }
    void notePass()
    {
        const auto now = Clock::now();
        gaps.push_back(std::chrono::duration<double, std::milli>(now - m_last).count());
        m_last = now;
    }
    // From the click on: the passes of the window's start-up are not the scan's.
    void start()
    {
        gaps.clear();
        m_last = Clock::now();
    }
    std::vector<double> gaps;

  private:
    ui::QtHost m_inner;
    Clock::time_point m_last = Clock::now();
};

wine::WineFileSystemOptions optionsFor(const fs::path& prefix)
{
    wine::WineFileSystemOptions options;
    options.driveTypes = wine::cachedDriveTypeReader(prefix);
    return options;
}

wine::OnDemandRegistry::Opener openerOf(const fs::path& prefix)
{
    return [prefix] { return std::make_unique<wine::WineRegistry>(prefix); };
}

// The registry sections only: the drive entry is switched off, in both scans.
void onlyRegistrySections(test::MemorySettings& backend)
{
    backend.set("Window Shortcut C", "False");
}

// A first scan and a second one of the same window (or model): the first pays the one-time
// costs, such as drawing the scanning view's pictures for the first time.
struct Figures {
    double first = 0;
    double cpu = 0;
    double wall = 0; // of the second scan
    std::size_t problems = 0;
};

// Each scan is timed from the click to the idle window, the reading of the registry included.
Figures headlessScan(const fs::path& prefix)
{
    wine::OnDemandRegistry registry(openerOf(prefix));
    wine::WineFileSystem files(prefix, optionsFor(prefix));
    test::FixedClock clock;
    CountingHost host;
    test::MemorySettings backend;
    onlyRegistrySections(backend);
    SettingsStore settings(backend);
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
    LoadlvwRegistryvaluesScanValues(context);
    Figures figures;
    for (double* cpu : {&figures.first, &figures.cpu}) {
        const double start = cpuSeconds();
        const auto began = Clock::now();
        ImgScanNowMouseMove_Click(context);
        registry.release();
        *cpu = cpuSeconds() - start;
        figures.wall = std::chrono::duration<double>(Clock::now() - began).count();
    }
    figures.problems = model.lvwErrors.count();
    return figures;
}

Figures windowScan(const fs::path& prefix, TimedQtHost& qtHost)
{
    wine::OnDemandRegistry registry(openerOf(prefix));
    registry.setWhileReading([&qtHost] {
        QCoreApplication::processEvents();
        qtHost.notePass();
    });
    wine::WineFileSystem files(prefix, optionsFor(prefix));
    test::FixedClock clock;
    MainWindowHost host(qtHost);
    test::MemorySettings backend;
    onlyRegistrySections(backend);
    SettingsStore settings(backend);
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
    test::QuietPeers peers;
    FRMmAIN unit(context, peers, peers);
    host.attach(&unit);
    ui::MainWindowWidget window(unit, model);
    unit.Show();
    QApplication::processEvents();
    Figures figures;
    for (double* cpu : {&figures.first, &figures.cpu}) {
        const double start = cpuSeconds();
        const auto began = Clock::now();
        qtHost.start();
        unit.ImgScanNowMouseMove_Click();
        registry.release();
        qtHost.notePass(); // the stretch from the last pass to the scan's end
        figures.wall = std::chrono::duration<double>(Clock::now() - began).count();
        registry.settle(); // its work is the scan's too, though the window does not wait for it
        *cpu = cpuSeconds() - start;
    }
    figures.problems = model.lvwErrors.count();
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t valueCount = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;

    test::TempPrefix prefix;
    fs::remove(prefix.path() / "dosdevices" / "z:"); // the whole Unix tree plays no part here
    test::SyntheticRegistryOptions options;
    options.valueCount = valueCount;
    options.driveC = prefix.driveC();
    const auto generated = test::writeSyntheticRegistry(prefix.path() / "system.reg", options);
    if (generated.bytes == 0) {
        std::fprintf(stderr, "bench_window_scan: could not write the synthetic registry\n");
        return 2;
    }
    std::printf("synthetic prefix: %zu values, %.1f MB\n", generated.values,
                static_cast<double>(generated.bytes) / 1e6);

    // Best of two each, alternating, so that neither gets the kernel's caches for free.
    double headless = 1e300;
    double windowed = 1e300;
    double headlessFirst = 1e300;
    double headlessWall = 1e300;
    double windowedWall = 1e300;
    double windowedFirst = 1e300;
    std::vector<double> gaps;
    std::size_t problems = 0;
    for (int round = 0; round < 2; ++round) {
        const Figures h = headlessScan(prefix.path());
        TimedQtHost qtHost;
        const Figures w = windowScan(prefix.path(), qtHost);
        headless = std::min(headless, h.cpu);
        headlessFirst = std::min(headlessFirst, h.first);
        headlessWall = std::min(headlessWall, h.wall);
        windowedWall = std::min(windowedWall, w.wall);
        windowedFirst = std::min(windowedFirst, w.first);
        if (w.cpu < windowed) {
            windowed = w.cpu;
            gaps = qtHost.gaps;
        }
        problems = w.problems;
        if (h.problems != w.problems)
            std::printf("round %d: the scans disagree: %zu against %zu problems\n", round, h.problems, w.problems);
    }
    const auto worst = std::max_element(gaps.begin(), gaps.end());
    if (worst != gaps.end())
        std::printf("the longest stretch ends at pass %td of %zu\n", worst - gaps.begin() + 1, gaps.size());
    std::sort(gaps.begin(), gaps.end());
    const double longest = gaps.empty() ? 0 : gaps.back();
    const double p99 = gaps.empty() ? 0 : gaps[std::min(gaps.size() - 1, gaps.size() * 99 / 100)];
    std::printf("problems found: %zu\n", problems);
    std::printf("first scans: headless %.3f s CPU, through a new window %.3f s CPU (%.3f)\n", headlessFirst,
                windowedFirst, windowedFirst / headlessFirst);
    std::printf("second scans: headless scan: %.3f s CPU; through the window: %.3f s CPU\n", headless, windowed);
    std::printf("ratio window / headless: %.3f CPU (target <= 1.05); elapsed %.3f s against %.3f s: %.3f\n",
                windowed / headless, windowedWall, headlessWall, windowedWall / headlessWall);
    std::printf("event-loop passes: %zu; longest stretch without one: %.1f ms, 99th percentile %.1f ms "
                "(target <= 50 ms)\n",
                gaps.size(), longest, p99);
    return 0;
}
