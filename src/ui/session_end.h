#pragma once

// The desktop session ending (logging out, shutting down) ends the program and never holds the
// session up: the session manager's request to commit data is answered at once, and so are the
// termination signals the session sends its processes. Whoever owns a running scan listens to
// sessionEnding() to cancel it and take the tray icon away; then the event loops end.

#include <QObject>

class QGuiApplication;
class QSocketNotifier;

namespace tessivar::ui {

class SessionEnd : public QObject {
    Q_OBJECT
  public:
    explicit SessionEnd(QGuiApplication& application, QObject* parent = nullptr);
    ~SessionEnd() override;

    // True once the session is ending: a close request of the main window is then let through.
    bool ending() const { return m_ending; }

  public slots:
    // What a session end or a termination signal runs: once, whatever asks first.
    void endSession();

  signals:
    void sessionEnding();

  private:
    bool m_ending = false;
    QSocketNotifier* m_signals = nullptr;
};

} // namespace tessivar::ui
