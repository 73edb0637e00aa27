#pragma once

// The desktop services that Qt provides: the folder chooser and the screen's size with the panel
// along its bottom edge.

#include "platform/desktop_services.h"

#include <QPointer>
#include <QWidget>

namespace tessivar::ui {

class QtFolderPicker : public FolderPicker {
  public:
    // `owner` is the window the chooser is modal to; it may be changed while the program runs.
    explicit QtFolderPicker(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    std::optional<std::filesystem::path> chooseFolder(std::string_view title) override;

  private:
    QPointer<QWidget> m_owner;
};

class QtScreenInfo : public ScreenInfo {
  public:
    // The primary screen; the panel is what its available area leaves free at the bottom.
    ScreenMetrics primaryScreen() override;
};

} // namespace tessivar::ui
