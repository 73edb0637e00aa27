#include "support/memory_settings.h"
#include "ui/notification_window.h"
#include "ui/pointer.h"
#include "ui/qt_tray_icon.h"
#include "ui/skin_label.h"
#include "ui/splash_window.h"
#include "ui/svg_picture.h"

#include <QCheckBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace tessivar::ui {
namespace {

struct PointerLog : MousePointer {
    std::vector<PointerShape> shapes;
    void setPointer(PointerShape shape) override { shapes.push_back(shape); }
};

TEST(SplashWindow, ShowsFramelessAtItsSizeAndHandsOverWhenTmrUnloadFires)
{
    PointerLog pointer;
    int mainWindowShown = 0;
    FrmSplash form(pointer, [&] { ++mainWindowShown; });
    SplashWindow window(form);
    window.load();

    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window.size(), QSize(451, 345));
    auto* picture = window.findChild<SvgPicture*>(QStringLiteral("Picture1"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), QSize(450, 338));
    auto* timer = window.findChild<QTimer*>(QStringLiteral("tmrUnload"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 2000);

    emit timer->timeout({});
    EXPECT_EQ(mainWindowShown, 1);
    EXPECT_EQ(pointer.shapes, (std::vector<PointerShape>{PointerShape::Hourglass, PointerShape::Default}));
    EXPECT_FALSE(timer->isActive());
    EXPECT_FALSE(window.isVisible());
}

class NotificationWindowTest : public ::testing::Test {
  protected:
    test::MemorySettings backend;
    SettingsStore settings{backend};
    FrmNotification form{settings};
    std::string stored() const { return backend.get("chkDoNotShowInFuture").value_or("<none>"); }
};

TEST_F(NotificationWindowTest, ItsControlsActThroughTheUnitAndOnlyTheLitOkCloses)
{
    form.Caption = "Tessivar v4.0";
    NotificationWindow window(form);
    form.Form_Load();
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tessivar v4.0"));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::FramelessWindowHint));

    auto* label = window.findChild<SkinLabel*>(QStringLiteral("Label1"));
    auto* check = window.findChild<QCheckBox*>(QStringLiteral("chkDoNotShowInFuture"));
    auto* normal = window.findChild<SvgPicture*>(QStringLiteral("ImgOKNormal"));
    auto* lit = window.findChild<SvgPicture*>(QStringLiteral("ImgOkMouseMove"));
    auto* background = window.findChild<SvgPicture*>(QStringLiteral("Picture1"));
    ASSERT_TRUE(label && check && normal && lit && background && window.findChild<QWidget*>("lblMessage"));

    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_TRUE(check->isChecked());
    EXPECT_EQ(stored(), "1");
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(stored(), "0");

    QTest::mouseClick(lit, Qt::LeftButton);
    EXPECT_TRUE(form.loaded) << "the idle OK does not close";
    test::hover(normal, QPoint(5, 5));
    EXPECT_TRUE(lit->isVisible());
    test::hover(background, QPoint(5, 5));
    EXPECT_FALSE(lit->isVisible()) << "the background puts OK back to idle";
    test::hover(normal, QPoint(6, 6));
    QTest::mouseClick(lit, Qt::LeftButton);
    EXPECT_FALSE(form.loaded);
}

TEST_F(NotificationWindowTest, ShownModallyItReturnsWhenTheTitleBarCloses)
{
    NotificationWindow window(form);
    QTimer::singleShot(0, &window, [&] { window.close(); });
    window.showModal();
    EXPECT_FALSE(form.loaded);
}

TEST(QtTrayIcon, ReportsDoubleClickAndContextAsTheMessagesTheMainWindowDecodes)
{
    const std::pair<QSystemTrayIcon::ActivationReason, int> cases[] = {
        {QSystemTrayIcon::DoubleClick, kTrayLeftDoubleClick},
        {QSystemTrayIcon::Context, kTrayRightButtonUp},
        {QSystemTrayIcon::Trigger, kTrayLeftButtonUp},
        {QSystemTrayIcon::MiddleClick, kTrayMiddleButtonUp},
        {QSystemTrayIcon::Unknown, 0}};
    for (const auto& [reason, message] : cases)
        EXPECT_EQ(trayMessageFor(reason), message) << reason;

    QtTrayIcon icon;
    std::vector<int> messages;
    icon.setMouseHandler([&](int message) { messages.push_back(message); });
    emit icon.icon().activated(QSystemTrayIcon::DoubleClick);
    emit icon.icon().activated(QSystemTrayIcon::Unknown);
    EXPECT_EQ(messages, std::vector<int>{kTrayLeftDoubleClick});
    icon.add("Tessivar v4.0");
    EXPECT_EQ(icon.icon().toolTip(), QStringLiteral("Tessivar v4.0"));
    icon.remove();
    EXPECT_FALSE(icon.icon().isVisible());
}

} // namespace
} // namespace tessivar::ui
