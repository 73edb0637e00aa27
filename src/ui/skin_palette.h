#pragma once

// The skin's colours for what the widgets draw themselves (labels, lists, check boxes); the
// pictures use the same values (skin/README.md).

#include <QColor>

namespace tessivar::ui::palette {

inline constexpr QRgb kWindow = 0x151C2C;
inline constexpr QRgb kPanel = 0x1C2538;
inline constexpr QRgb kRaised = 0x253049;
inline constexpr QRgb kEdge = 0x33405C;
inline constexpr QRgb kDivider = 0x2A3650;
inline constexpr QRgb kInset = 0x121927;
inline constexpr QRgb kAccent = 0x4F8EF7;
inline constexpr QRgb kAccentLight = 0x79AAFF;
inline constexpr QRgb kAccentDeep = 0x2F6BD8;
inline constexpr QRgb kAlert = 0xF0645A;
inline constexpr QRgb kText = 0xFFFFFF;
inline constexpr QRgb kTextSoft = 0xE0E0E0;
inline constexpr QRgb kTextMuted = 0x8D9BB5;

inline QColor colour(QRgb rgb)
{
    return QColor::fromRgb(rgb);
}

} // namespace tessivar::ui::palette
