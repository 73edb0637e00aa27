#pragma once

// One program per user. The first start takes a lock in the user's runtime folder and listens
// there on a Unix socket; a later start finds the lock taken, asks the running program to show
// its window and exits, so that two programs never scan or repair the same files at once.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <map>
#include <memory>

class QSocketNotifier;

namespace tessivar::ui {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // `folder` holds the lock and the socket: $XDG_RUNTIME_DIR, else a folder of this user under
    // the temporary folder (see defaultFolder).
    explicit SingleInstance(const QString& folder = defaultFolder(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is now the user's program; it then hears later starts. False when
    // another program of this user holds the lock (or the folder cannot be used at all, in which
    // case this process runs alone rather than not at all: see the note in the source).
    bool claim();

    // Asks the running program to show its window. True when it took the request.
    bool activateRunning(int timeoutMilliseconds = 3000);

    static QString defaultFolder();

  signals:
    // A later start asked for the window: show it as the tray menu's "Maximize" does.
    void activationRequested();

  private:
    void listen();
    void acceptAll();
    void readFrom(int client);
    void drop(int client);

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    int m_listener = -1;
    std::unique_ptr<QSocketNotifier> m_listening;
    std::map<int, std::unique_ptr<QSocketNotifier>> m_clients;
};

} // namespace tessivar::ui
