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

} // namespace tessivar::ui
