#include "ui/session_end.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace tessivar::ui {

namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

SessionEnd::SessionEnd(QGuiApplication& application, QObject* parent) : QObject(parent)
{
    connect(&application, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        // Never manager.cancel(): the program has nothing unsaved that is worth holding up a
        // logout for (settings are stored at each change, repairs save as they go).
        manager.setRestartHint(QSessionManager::RestartNever);
        endSession();
    });

    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    m_signals = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_signals, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(g_signalPipe[0], &byte, 1);
        endSession();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        sigaction(signal, &action, nullptr);
}

SessionEnd::~SessionEnd()
{
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        std::signal(signal, SIG_DFL);
}

void SessionEnd::endSession()
{
    if (m_ending)
        return;
    m_ending = true;
    emit sessionEnding();
    // Queued, so that the session manager's request returns before the loops end. exit() ends
    // every running event loop, modal dialogs' included, without asking the windows: the main
    // window would refuse a close, as it does for the user.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

} // namespace tessivar::ui
