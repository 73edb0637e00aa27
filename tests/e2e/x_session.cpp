#include "e2e/x_session.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tessivar::test {

namespace {

using namespace std::chrono_literals;

Display* display(void* handle)
{
    return static_cast<Display*>(handle);
}

std::string windowTitle(Display* d, Window w)
{
    // _NET_WM_NAME (UTF-8) first, as Qt sets it; WM_NAME otherwise.
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, netName, 0, 1024, False, utf8, &type, &format, &items, &after, &data) == Success &&
        data) {
        std::string title(reinterpret_cast<char*>(data), items);
        XFree(data);
        return title;
    }
    char* name = nullptr;
    if (XFetchName(d, w, &name) && name) {
        std::string title(name);
        XFree(name);
        return title;
    }
    return {};
}

void collectViewable(Display* d, Window w, std::vector<Window>& out)
{
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(d, children[i], &attributes) && attributes.map_state == IsViewable)
            out.push_back(children[i]);
    }
    if (children)
        XFree(children);
}

} // namespace

pid_t spawnProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                   const std::string& log)
{
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string key = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& mine : environment)
            replaced |= mine.substr(0, mine.find('=')) == key;
        if (!replaced)
            env.push_back(entry);
    }
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void stopProcess(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    if (!waitForExit(pid, 5s)) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

std::optional<int> waitForExit(pid_t pid, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (done < 0)
            return std::nullopt;
        std::this_thread::sleep_for(20ms);
    }
    return std::nullopt;
}

XSession::XSession(bool withTray) : m_wantTray(withTray)
{
    int fds[2];
    if (pipe(fds) != 0) {
        m_problem = "no pipe";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    // Nothing of the server may hold the test's output open: a runner waiting for it would wait
    // for a server left behind.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::string fd = std::to_string(fds[1]);
    const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten", "tcp", nullptr};
    if (posix_spawnp(&m_xvfb, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
        m_xvfb = -1;
        m_problem = "Xvfb could not be started";
    }
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string number;
    char c = 0;
    while (m_xvfb > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty()) {
        if (m_problem.empty())
            m_problem = "Xvfb did not say its display";
        return;
    }
    m_name = ":" + number;
    m_display = XOpenDisplay(m_name.c_str());
    if (!m_display) {
        m_problem = "cannot open " + m_name;
        return;
    }
    if (!withTray)
        return;
    m_trayer =
        spawnProcess({"trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request", "--height", "24"},
                     {"DISPLAY=" + m_name}, "/dev/null");
    // The panel is there once a viewable window of that name exists.
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!m_trayReady && std::chrono::steady_clock::now() < end) {
        std::vector<Window> top;
        collectViewable(display(m_display), DefaultRootWindow(display(m_display)), top);
        for (Window w : top)
            m_trayReady |= windowTitle(display(m_display), w) == "panel";
        std::this_thread::sleep_for(50ms);
    }
    if (!m_trayReady)
        m_problem = "trayer did not show its panel";
}

XSession::~XSession()
{
    stopProcess(m_trayer);
    if (m_display)
        XCloseDisplay(display(m_display));
    stopProcess(m_xvfb);
}

std::optional<XWindowInfo> XSession::findWindow(const std::string& title, int width, int height)
{
    Display* d = display(m_display);
    XSync(d, False);
    std::vector<Window> top;
    collectViewable(d, DefaultRootWindow(d), top);
    for (Window w : top) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d, w, &a) || a.width != width || a.height != height)
            continue;
        if (windowTitle(d, w) == title)
            return XWindowInfo{w, a.x, a.y, a.width, a.height};
    }
    return std::nullopt;
}

std::optional<XWindowInfo> XSession::waitForWindow(const std::string& title, int width, int height,
                                                   std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        if (auto found = findWindow(title, width, height))
            return found;
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
}

bool XSession::windowGone(const std::string& title, int width, int height, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        if (!findWindow(title, width, height))
            return true;
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

void XSession::requestClose(unsigned long window)
{
    Display* d = display(m_display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, window, False, NoEventMask, &event);
    XFlush(d);
}

void XSession::clickAt(int x, int y, int button)
{
    const std::string prefix = "DISPLAY=" + m_name + " xdotool ";
    const std::string near = prefix + "mousemove " + std::to_string(x - 2) + " " + std::to_string(y - 2);
    const std::string at = prefix + "mousemove " + std::to_string(x) + " " + std::to_string(y);
    [[maybe_unused]] int ignored = std::system(near.c_str());
    std::this_thread::sleep_for(100ms);
    ignored = std::system(at.c_str());
    std::this_thread::sleep_for(200ms);
    ignored = std::system((prefix + "click " + std::to_string(button)).c_str());
}

void XSession::key(const std::string& name)
{
    const std::string command = "DISPLAY=" + m_name + " xdotool key " + name;
    [[maybe_unused]] const int ignored = std::system(command.c_str());
    std::this_thread::sleep_for(200ms);
}

void XSession::screenshot(const std::string& path)
{
    const std::string command = "DISPLAY=" + m_name + " import -window root '" + path + "' 2>/dev/null";
    [[maybe_unused]] const int ignored = std::system(command.c_str());
}

void XSession::stopTray()
{
    stopProcess(m_trayer);
    m_trayer = -1;
    m_trayReady = false;
    m_wantTray = false;
}

int XSession::trayIcons()
{
    return static_cast<int>(panelIcons().size());
}

std::optional<XWindowInfo> XSession::trayIcon()
{
    const std::vector<XWindowInfo> icons = panelIcons();
    if (icons.empty())
        return std::nullopt;
    return icons.front();
}

std::vector<XWindowInfo> XSession::panelIcons()
{
    Display* d = display(m_display);
    XSync(d, False);
    std::vector<Window> top;
    collectViewable(d, DefaultRootWindow(d), top);
    std::vector<XWindowInfo> icons;
    for (Window w : top) {
        if (windowTitle(d, w) != "panel")
            continue;
        // The icons sit some levels down inside the panel; count the small viewable windows.
        std::vector<Window> pending{w};
        while (!pending.empty()) {
            const Window current = pending.back();
            pending.pop_back();
            std::vector<Window> children;
            collectViewable(d, current, children);
            for (Window child : children) {
                XWindowAttributes a{};
                Window ignored = 0;
                int x = 0;
                int y = 0;
                if (XGetWindowAttributes(d, child, &a) && a.width <= 32 && a.height <= 32 && a.width >= 16 &&
                    XTranslateCoordinates(d, child, DefaultRootWindow(d), 0, 0, &x, &y, &ignored))
                    icons.push_back(XWindowInfo{child, x, y, a.width, a.height});
                pending.push_back(child);
            }
        }
    }
    return icons;
}

bool XSession::waitForTrayIcon(std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        if (trayIcons() > 0)
            return true;
        std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

} // namespace tessivar::test
