#include "ui/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QSocketNotifier>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tessivar::ui {

namespace {

constexpr char kRequest[] = "show\n";
// Later starts come one at a time; more open connections than this are not waited for.
constexpr std::size_t kMaxClients = 8;

// The socket's address, or false when its path is too long for one.
bool socketAddress(const QString& folder, sockaddr_un* address)
{
    const QByteArray path = QFile::encodeName(QDir(folder).filePath(QStringLiteral("tessivar.socket")));
    *address = {};
    address->sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return true;
}

} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent) : QObject(parent), m_folder(folder) {}

SingleInstance::~SingleInstance()
{
    for (const auto& [client, notifier] : m_clients)
        ::close(client);
    m_clients.clear();
    m_listening.reset();
    if (m_listener >= 0) {
        ::close(m_listener);
        sockaddr_un address{};
        if (socketAddress(m_folder, &address))
            ::unlink(address.sun_path);
    }
}

QString SingleInstance::defaultFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    const QString own = QDir::temp().filePath(QStringLiteral("tessivar-%1").arg(getuid()));
    QDir().mkpath(own);
    QFile::setPermissions(own, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return own;
}

bool SingleInstance::claim()
{
    m_lock = std::make_unique<QLockFile>(QDir(m_folder).filePath(QStringLiteral("tessivar.lock")));
    // Held for the program's life; stale only when its process is gone, never by age.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() == QLockFile::LockFailedError)
            return false;
        // The folder cannot hold a lock (read-only, gone): refusing to start would lock the user
        // out of the program for a fault of the machine, so this start runs unguarded.
        return true;
    }
    listen();
    return true;
}

// Without a socket the program still runs; a later start then finds the lock taken, cannot
// reach this one and exits all the same.
void SingleInstance::listen()
{
    sockaddr_un address{};
    if (!socketAddress(m_folder, &address))
        return;
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener < 0)
        return;
    // A socket left behind by a program that ended without cleaning up would refuse the bind;
    // the lock says that program is gone. The socket is for this user alone.
    ::unlink(address.sun_path);
    const mode_t mask = ::umask(0077);
    const bool bound = ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::umask(mask);
    if (!bound || ::listen(listener, static_cast<int>(kMaxClients)) != 0) {
        ::close(listener);
        return;
    }
    m_listener = listener;
    m_listening = std::make_unique<QSocketNotifier>(listener, QSocketNotifier::Read);
    connect(m_listening.get(), &QSocketNotifier::activated, this, [this] { acceptAll(); });
}

void SingleInstance::acceptAll()
{
    for (;;) {
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (client < 0)
            return;
        if (m_clients.size() >= kMaxClients) {
            ::close(client);
            continue;
        }
        auto notifier = std::make_unique<QSocketNotifier>(client, QSocketNotifier::Read);
        connect(notifier.get(), &QSocketNotifier::activated, this, [this, client] { readFrom(client); });
        m_clients.emplace(client, std::move(notifier));
    }
}

void SingleInstance::readFrom(int client)
{
    char buffer[64];
    const ssize_t got = ::read(client, buffer, sizeof buffer);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    // One request per connection: the later start writes it and hangs up.
    const bool asked =
        got > 0 && std::string_view(buffer, static_cast<std::size_t>(got)).find("show") != std::string_view::npos;
    drop(client);
    if (asked)
        emit activationRequested();
}

void SingleInstance::drop(int client)
{
    const auto it = m_clients.find(client);
    if (it == m_clients.end())
        return;
    it->second->setEnabled(false);
    // The notifier may be the one whose signal is running: it goes when control is back in the loop.
    it->second.release()->deleteLater();
    m_clients.erase(it);
    ::close(client);
}

bool SingleInstance::activateRunning(int timeoutMilliseconds)
{
    sockaddr_un address{};
    if (!socketAddress(m_folder, &address))
        return false;
    // The running program may have taken the lock a moment ago and not be listening yet.
    const QDeadlineTimer deadline(timeoutMilliseconds);
    while (!deadline.hasExpired()) {
        const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (socket < 0)
            return false;
        if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            const auto length = static_cast<ssize_t>(sizeof kRequest - 1);
            const bool sent = ::send(socket, kRequest, sizeof kRequest - 1, MSG_NOSIGNAL) == length;
            ::close(socket);
            return sent;
        }
        ::close(socket);
        QThread::msleep(static_cast<unsigned long>(std::clamp<qint64>(deadline.remainingTime(), 1, 50)));
    }
    return false;
}

} // namespace tessivar::ui
