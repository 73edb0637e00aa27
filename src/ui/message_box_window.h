#pragma once

// The message box on screen: a window without a title bar that renders FrmMessagebox, drags by its
// strip and grip, and answers through the unit's shared text.

#include "engine/message_kind.h"
#include "shell/message_box.h"

#include <QDialog>
#include <string_view>

class QLabel;

namespace tessivar::ui {

class SkinnedButton;

class MessageBoxWindow : public QDialog {
    Q_OBJECT
  public:
    explicit MessageBoxWindow(FrmMessagebox& form, QWidget* parent = nullptr);

    // Loads the unit and shows the box modally; returns when it has closed.
    void showModal();

    // What the desktop program's host calls: a fresh box of that kind, modal over `owner`.
    static MessageAnswer ask(MessageKind kind, std::string_view outcomeText, QWidget* owner);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void render();

    FrmMessagebox& m_form;
    QLabel* m_message;
    SkinnedButton* m_ok;
    SkinnedButton* m_cancel;
};

} // namespace tessivar::ui
