// The cost of the desktop program's yield: a million calls through the Host interface, against a
// host whose yield does nothing (the command line's), measured in the same run, best of seven.

#include "ui/qt_host.h"

#include <QApplication>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace {

class NullHost final : public tessivar::Host {
  public:
    void yield() override {}
    void showMessageBox(std::string&) override {}
    bool playSoundAsync(const std::string&) override { return false; }
};

constexpr int kYields = 1'000'000;

double bestMilliseconds(tessivar::Host& host)
{
    double best = 1e300;
    for (int round = 0; round < 7; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kYields; ++i)
            host.yield();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QWidget window;
    window.resize(650, 347);
    window.show();

    NullHost null;
    tessivar::ui::QtHost qt;
    const double baseline = bestMilliseconds(null);
    const double measured = bestMilliseconds(qt);
    std::printf("1,000,000 yields: no-op host %.2f ms, Qt host %.2f ms (%.1f ns per yield, %.1f ns over the no-op), "
                "%lld event-loop passes in all rounds\n",
                baseline, measured, measured * 1e6 / kYields, (measured - baseline) * 1e6 / kYields, qt.passes());
    std::printf("ratio Qt host / no-op host: %.2f\n", baseline > 0 ? measured / baseline : 0.0);
    return 0;
}
