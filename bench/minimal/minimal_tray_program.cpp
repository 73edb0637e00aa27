// The baseline of the desktop footprint bench: the least a Qt Widgets program with one window and
// a tray icon costs, built and linked as the desktop program is.

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("minimal"));
    window.setFixedSize(650, 347);
    window.show();
    QPixmap picture(22, 22);
    picture.fill(Qt::darkBlue);
    QSystemTrayIcon tray{QIcon(picture)};
    tray.show();
    return app.exec();
}
