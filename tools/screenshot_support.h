#pragma once

// What the screenshot shots share: saving a window's picture, a settings store that lives in
// memory, and the list the shots are registered in.

#include "platform/settings_backend.h"
#include "shell/mouse_pointer.h"

#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <string>

class QWidget;

namespace tessivar::screenshots {

class ScratchSettings : public SettingsBackend {
  public:
    std::optional<std::string> read(std::string_view key) override;
    bool write(std::string_view key, std::string_view value) override;

  private:
    std::map<std::string, std::string> m_values;
};

struct NoPointer : MousePointer {
    void setPointer(PointerShape) override {}
};

// Shows `window` if it is not shown yet, lets it paint, and writes it to FOLDER/NAME.png.
bool save(QWidget& window, const QString& folder, const QString& name);

using Shot = std::function<bool(const QString& folder)>;
using Shots = std::map<QString, Shot>;

// The splash, the notification and the sheet of every skin picture.
void addSkinShots(Shots& shots);
// The main window through a scan and a repair of a prefix made for the purpose, and the windows
// it opens: settings, backup manager, tray menu, each kind of message box.
void addDesktopShots(Shots& shots);

} // namespace tessivar::screenshots
