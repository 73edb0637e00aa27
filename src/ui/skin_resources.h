#pragma once

// The skin's pictures live in a Qt resource compiled into tessivar_ui. A resource of a static
// library is registered only when someone asks for it, so every program that shows a window calls
// loadSkinResources() once before the first picture is drawn.

#include <QIcon>
#include <QString>

namespace tessivar::ui {

void loadSkinResources();

// The resource path of the picture `name` (without ".svg"), e.g. ":/skin/main_background.svg".
QString skinPicture(const QString& name);

// The program's icon (window, task bar, tray), drawn from the scalable picture at every size.
QIcon applicationIcon();

} // namespace tessivar::ui
