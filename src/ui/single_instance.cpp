#include "ui/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalSocket>
#include <QThread>
#include <unistd.h>

namespace tessivar::ui {

namespace {

constexpr char kRequest[] = "show\n";

QString socketPath(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("tessivar.socket"));
}

} // namespace

SingleInstance::SingleInstance(const QString& folder, QObject* parent) : QObject(parent), m_folder(folder)
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("show"))
                    emit activationRequested();
            });
        }
    });
}

SingleInstance::~SingleInstance()
{
    m_server.close();
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
    // A socket left behind by a program that ended without cleaning up would refuse to listen.
    QLocalServer::removeServer(socketPath(m_folder));
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(socketPath(m_folder));
    return true;
}

bool SingleInstance::activateRunning(int timeoutMilliseconds)
{
    // The running program may have taken the lock a moment ago and not be listening yet.
    const QDeadlineTimer deadline(timeoutMilliseconds);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(socketPath(m_folder));
        if (socket.waitForConnected(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
            socket.write(kRequest);
            const bool sent =
                socket.waitForBytesWritten(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
            socket.disconnectFromServer();
            return sent;
        }
        QThread::msleep(50);
    }
    return false;
}

} // namespace tessivar::ui
