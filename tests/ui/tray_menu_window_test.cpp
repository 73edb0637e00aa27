#include "support/fake_desktop.h"
#include "ui/click_label.h"
#include "ui/pointer.h"
#include "ui/timer_runner.h"
#include "ui/tray_menu_window.h"

#include <QTest>
#include <gtest/gtest.h>

namespace tessivar::ui {
namespace {

template <typename T> T* child(QWidget& window, const char* name)
{
    return window.findChild<T*>(QLatin1String(name));
}

class NoMainWindow : public TrayMenuOwner {
  public:
    std::vector<std::string> calls;
    void showNormal() override { calls.emplace_back("show"); }
    bool isVisible() const override { return false; }
    bool ImgScanNowNormalEnabled() const override { return true; }
    void RefreshThePicControls() override {}
    void LoadlvwRegistryvaluesScanValues() override {}
    void ImgScanNowMouseMove_Click() override { calls.emplace_back("scan"); }
    void startTmrSettings() override {}
    void HideToTray() override {}
    void RemoveIcon() override { calls.emplace_back("removeIcon"); }
    void endProgram() override {}
    MessageAnswer showMessageBox(MessageKind) override { return MessageAnswer::no; }
};

class NoPointer : public MousePointer {
  public:
    void setPointer(PointerShape) override {}
};

TEST(TrayMenuWindow, RisesAtTheBottomRightByItsTimersAndSinksAwayAfterAnEntry)
{
    NoMainWindow main;
    test::FakeScreen screen;
    NoPointer pointer;
    frmMenuPopUp unit(main, screen, pointer);
    TrayMenuWindow window(unit);
    EXPECT_FALSE(window.isVisible());
    unit.showFromTray();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.size(), QSize(137, 136));
    QTRY_VERIFY(unit.TmrEnablePopDown.Enabled);
    EXPECT_EQ(window.pos(), QPoint(869, 596)); // 13038.9 and 8941 twips
    ASSERT_TRUE(window.timers()->timer(QStringLiteral("TmrEnablePopDown")));

    auto* scan = child<ClickLabel>(window, "MenuScan");
    ASSERT_TRUE(scan);
    test::hover(scan, QPoint(10, 10));
    EXPECT_TRUE(unit.MenuScan.emphasised);
    EXPECT_TRUE(scan->font().bold() && scan->font().underline());
    QTest::mouseClick(scan, Qt::LeftButton);
    EXPECT_EQ(main.calls, (std::vector<std::string>{"show", "removeIcon", "scan"}));
    QTRY_VERIFY(!window.isVisible());
    EXPECT_FALSE(unit.Loaded);
}

} // namespace
} // namespace tessivar::ui
