#pragma once

// A private X server (Xvfb) for the end-to-end tests, with an optional tray host (trayer), and
// what the tests do on it: find a top-level window by title and size, send it the close request a
// window manager would send, click at a point, and find an icon in the tray.

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tessivar::test {

struct XWindowInfo {
    unsigned long id = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class XSession {
  public:
    // Starts Xvfb on a free display (and trayer when asked); check ready() afterwards.
    explicit XSession(bool withTray);
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool ready() const { return m_display != nullptr && (!m_wantTray || m_trayReady); }
    const std::string& displayName() const { return m_name; }
    // Why ready() is false.
    const std::string& problem() const { return m_problem; }

    // A viewable top-level window whose title is exactly `title` and whose size is width×height.
    std::optional<XWindowInfo> findWindow(const std::string& title, int width, int height);
    // Polls findWindow until it answers or `timeout` passes.
    std::optional<XWindowInfo> waitForWindow(const std::string& title, int width, int height,
                                             std::chrono::milliseconds timeout);
    // Whether any window of that title and size is viewable.
    bool windowGone(const std::string& title, int width, int height, std::chrono::milliseconds timeout);
    // WM_DELETE_WINDOW, as the close button of a title bar sends it.
    void requestClose(unsigned long window);
    // Moves the pointer over (x, y) of the screen (in two steps, so that the window sees a move
    // over the point) and clicks that button there (1 left, 3 right).
    void clickAt(int x, int y, int button = 1);
    // Types one key (an xdotool key name) into the window that has the focus.
    void key(const std::string& name);
    // The number of viewable icons inside the tray host's panel.
    int trayIcons();
    bool waitForTrayIcon(std::chrono::milliseconds timeout);
    // The first icon in the panel, in screen coordinates.
    std::optional<XWindowInfo> trayIcon();
    // The whole screen into a PNG file (ImageMagick's import), to make a failure readable.
    void screenshot(const std::string& path);
    // Ends the tray host: from then on there is no notification area.
    void stopTray();

  private:
    std::vector<XWindowInfo> panelIcons();

    void* m_display = nullptr; // Display*
    std::string m_name;
    std::string m_problem;
    bool m_wantTray = false;
    bool m_trayReady = false;
    pid_t m_xvfb = -1;
    pid_t m_trayer = -1;
};

// Starts `argv` with `environment` added to this process's, its output into `log`; -1 on failure.
pid_t spawnProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   const std::string& log);
// Ends a process this test started and waits for it.
void stopProcess(pid_t pid);
// Waits up to `timeout` for the process to end by itself; its exit code, or nullopt.
std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds timeout);

} // namespace tessivar::test
