#pragma once

// Where the controls of each window sit, in pixels of the window's client area (or of the view
// for the two views), matching the drawings of the skin. Sizes of pictures are those of the SVG.

#include <QRect>

namespace tessivar::ui::layout {

// Main window, 650×347.
namespace main {
inline constexpr QSize kClient{650, 347};
inline constexpr QRect kSelectAll{22, 22, 18, 18}; // chkSelectlistviewItems
inline constexpr QRect kImage1{44, 18, 24, 24};
inline constexpr QRect kLabel2{74, 19, 140, 22};
inline constexpr QRect kSectionList{19, 57, 198, 272}; // lvwRegistryvaluesScan, inside its slot
inline constexpr QRect kViews{235, 58, 403, 277};      // PicScanning and PicResults
inline constexpr QRect kScanNow{249, 72, 72, 72};
inline constexpr QRect kRestore{249, 160, 72, 72};
inline constexpr QRect kSettings{249, 248, 72, 72};
inline constexpr QRect kScanText{333, 80, 150, 56}; // lblScanText; the other two hints follow
inline constexpr QRect kBackUpText{333, 168, 150, 56};
inline constexpr QRect kSettingsText{333, 256, 150, 56};
inline constexpr QRect kHelpPic{538, 90, 56, 56};
inline constexpr QRect kHelp{510, 152, 112, 24};
inline constexpr QRect kSupportPic{538, 216, 56, 56};
inline constexpr QRect kSupport{510, 278, 112, 24};
} // namespace main

// The scanning view, 403×277, in the view's coordinates.
namespace scanning {
inline constexpr QRect kBug{20, 60, 24, 24};
inline constexpr QRect kStatus{52, 61, 330, 22};
inline constexpr QRect kMainProgress{59, 96, 285, 20};
inline constexpr QRect kRegistryScan{72, 139, 306, 18};
inline constexpr QRect kRegistryFilesScan{72, 163, 306, 18};
inline constexpr QRect kLabel3{28, 209, 150, 18};
inline constexpr QRect kProblemsFound{176, 209, 52, 18};
inline constexpr QRect kCancel{267, 227, 120, 34};
} // namespace scanning

// The results view, 403×277, in the view's coordinates.
namespace results {
inline constexpr QRect kSummary{14, 40, 375, 81};  // lvwRegistryProblems
inline constexpr QRect kDetails{14, 128, 375, 95}; // lvwRegistryErrorsDetail
inline constexpr QRect kDeleting{16, 231, 160, 16};
inline constexpr QRect kDeleteProgress{16, 251, 160, 12};
inline constexpr QRect kRepair{177, 231, 104, 34};
inline constexpr QRect kReturn{287, 231, 104, 34};
} // namespace results

// Message box, 448×119.
namespace messagebox {
inline constexpr QSize kClient{448, 119};
inline constexpr QRect kStrip{0, 0, 448, 26}; // ImgToolBarOrlenda
inline constexpr QRect kGrip{8, 5, 16, 16};   // ImgFormMove
inline constexpr QRect kMessage{58, 38, 376, 36};
inline constexpr QRect kOk{113, 80, 106, 30};
inline constexpr QRect kCancel{229, 80, 106, 30};
inline constexpr int kOkAloneX = 171; // 2565 twips
} // namespace messagebox

// Notification, 447×164.
namespace notification {
inline constexpr QSize kClient{447, 164};
inline constexpr QRect kPicture2{18, 18, 48, 48};
inline constexpr QRect kMessage{80, 16, 352, 84};
inline constexpr QRect kStrip{0, 118, 447, 46}; // ImgToolBarOrlenda
inline constexpr QRect kCheckBox{16, 133, 18, 18};
inline constexpr QRect kLabel1{38, 132, 260, 20};
inline constexpr QRect kOk{327, 126, 106, 30};
} // namespace notification

// Splash, 451×345, its picture 450×338 at the top left.
namespace splash {
inline constexpr QSize kClient{451, 345};
inline constexpr QRect kPicture{0, 0, 450, 338};
} // namespace splash

} // namespace tessivar::ui::layout
