#include "ui/skin_style.h"

#include "ui/skin_resources.h"

namespace tessivar::ui {

QString checkBoxStyle()
{
    loadSkinResources();
    return QStringLiteral("QCheckBox { color: #E0E0E0; spacing: 6px; }"
                          "QCheckBox::indicator { width: 16px; height: 16px; }"
                          "QCheckBox::indicator:unchecked { image: url(:/skin/check_off.svg); }"
                          "QCheckBox::indicator:checked { image: url(:/skin/check_on.svg); }"
                          "QCheckBox::indicator:indeterminate { image: url(:/skin/check_mixed.svg); }");
}

Qt::CheckState qtCheckState(CheckState state)
{
    switch (state) {
    case CheckState::checked:
        return Qt::Checked;
    case CheckState::grayed:
        return Qt::PartiallyChecked;
    case CheckState::unchecked:
        break;
    }
    return Qt::Unchecked;
}

} // namespace tessivar::ui
