#pragma once

// frmSetings on screen: a frameless dialog of 416×370 pixels, four option rows, OK and close,
// moved by its strip. It renders the unit, forwards every event to it and closes itself when the
// unit has unloaded.

#include "shell/settings_dialog.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace tessivar::ui {

class ClickLabel;
class SkinnedButton;
class SvgPicture;
class WindowDragger;

class SettingsDialogWindow : public QDialog {
    Q_OBJECT
  public:
    static constexpr QSize kClient{416, 370};

    explicit SettingsDialogWindow(frmSetings& unit, QWidget* parent = nullptr);
    ~SettingsDialogWindow() override;

    void render();

  private:
    struct Row {
        CheckState* box;
        QCheckBox* check;
        ClickLabel* label;
        SettingsLabel* labelState;
        QLineEdit* field = nullptr;
        SettingsTextField* fieldState = nullptr;
        SkinnedButton* browse = nullptr;
    };
    void addRow(int top, CheckState& box, const QString& checkName, ClickLabel* label, SettingsLabel& labelState,
                const QString& fieldCaption, const QString& fieldLabelName, SettingsTextField* fieldState,
                const QString& fieldName, SkinnedPair* browsePair, const QString& browseName);

    frmSetings& m_unit;
    SvgPicture* m_background;
    std::vector<Row> m_rows;
    SkinnedButton* m_ok;
    SkinnedButton* m_close;
    WindowDragger* m_dragger;
};

} // namespace tessivar::ui
