// What the desktop program costs a user beside the least a Qt program with a window and a tray
// icon costs, on a private X server with a tray host: the time from start to the first window on
// the screen (the splash; the baseline's window), and the resident memory while it waits in the
// tray after a scan of the test prefix (the baseline: once its window and icon are up).
//
//   bench_desktop_footprint      (needs Xvfb, trayer, xdotool and TESSIVAR_TEST_WINEPREFIX)

#include "e2e/desktop_user.h"
#include "e2e/x_session.h"
#include "support/temp_prefix.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tessivar;
using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kTitle = "Tessivar v4.0";

// A user of our own, who makes no backups.
struct World : test::DesktopUser {
    World(const fs::path& testPrefix, const std::string& display) : DesktopUser(testPrefix, display)
    {
        setting("chkMakeBackUp", "0");
    }
};

long residentKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

// Milliseconds from the start of the program to a viewable window of that title and size; a
// negative number when it did not come within ten seconds.
double startToWindow(test::XSession& x, const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     const std::string& title, int width, int height, pid_t* started)
{
    const auto begin = Clock::now();
    *started = test::spawnProcess(argv, env, "/dev/null");
    while (Clock::now() - begin < 10s) {
        if (x.findWindow(title, width, height))
            return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        std::this_thread::sleep_for(1ms);
    }
    return -1;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto end = Clock::now() + timeout;
    do {
        if (condition())
            return true;
        std::this_thread::sleep_for(50ms);
    } while (Clock::now() < end);
    return false;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main()
{
    const auto testPrefix = test::testWinePrefix();
    if (!testPrefix) {
        std::printf("bench_desktop_footprint: skipped, TESSIVAR_TEST_WINEPREFIX names no prefix\n");
        return 0;
    }
    test::XSession x(true);
    if (!x.ready()) {
        std::printf("bench_desktop_footprint: skipped, no X server with a tray: %s\n", x.problem().c_str());
        return 0;
    }

    // Start to the first frame, alternating, five rounds each; the median of each.
    std::vector<double> baseline;
    std::vector<double> splash;
    for (int round = 0; round < 5; ++round) {
        pid_t pid = -1;
        const double minimal = startToWindow(
            x, {MINIMAL_PROGRAM}, {"DISPLAY=" + x.displayName(), "QT_QPA_PLATFORM=xcb"}, "minimal", 650, 347, &pid);
        test::stopProcess(pid);
        World world(*testPrefix, x.displayName());
        const double ours = startToWindow(x, {TESSIVAR_APP}, world.environment, kTitle, 451, 345, &pid);
        test::stopProcess(pid);
        if (minimal < 0 || ours < 0) {
            std::printf("bench_desktop_footprint: a window did not come\n");
            return 1;
        }
        baseline.push_back(minimal);
        splash.push_back(ours);
    }
    std::printf("start to the first frame: baseline %.1f ms, the splash %.1f ms: %.2f (target <= 1.5)\n",
                median(baseline), median(splash), median(splash) / median(baseline));

    // Resident memory: the baseline once its window and icon are up, ours in the tray after a scan.
    pid_t minimal = -1;
    startToWindow(x, {MINIMAL_PROGRAM}, {"DISPLAY=" + x.displayName(), "QT_QPA_PLATFORM=xcb"}, "minimal", 650, 347,
                  &minimal);
    x.waitForTrayIcon(10s);
    std::this_thread::sleep_for(1s);
    const long baselineKb = residentKilobytes(minimal);
    test::stopProcess(minimal);
    waitFor([&] { return x.trayIcons() == 0; }, 10s);

    World world(*testPrefix, x.displayName());
    pid_t app = -1;
    startToWindow(x, {TESSIVAR_APP}, world.environment, kTitle, 451, 345, &app);
    const auto main = x.waitForWindow(kTitle, 650, 347, 20s);
    if (!main) {
        test::stopProcess(app);
        std::printf("bench_desktop_footprint: the main window did not come\n");
        return 1;
    }
    x.clickAt(main->x + 249 + 36, main->y + 72 + 36); // Scan Now
    const bool scanned = waitFor([&] { return fs::exists(world.report); }, 120s);
    x.requestClose(main->id);
    const auto notification = x.waitForWindow(kTitle, 447, 164, 10s);
    if (notification)
        x.clickAt(notification->x + 327 + 53, notification->y + 126 + 15); // its OK
    const bool inTray = x.windowGone(kTitle, 650, 347, 10s) && x.waitForTrayIcon(10s);
    std::this_thread::sleep_for(2s);
    const long oursKb = residentKilobytes(app);
    test::stopProcess(app);
    if (!scanned || !inTray) {
        std::printf("bench_desktop_footprint: the scan or the move into the tray did not happen\n");
        return 1;
    }
    std::printf("resident memory: baseline %ld kB, in the tray after a scan %ld kB: %.2f (target <= 1.5)\n", baselineKb,
                oursKb, static_cast<double>(oursKb) / static_cast<double>(baselineKb));
    return 0;
}
