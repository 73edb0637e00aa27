#include "shell/tray.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tessivar {
namespace {

struct FakeTrayIcon : TrayIconPlatform {
    std::vector<std::string> calls;
    MouseHandler handler;
    bool available = true;
    bool isAvailable() const override { return available; }
    void add(std::string_view tip) override { calls.push_back("add " + std::string(tip)); }
    void modify(std::string_view tip) override { calls.push_back("modify " + std::string(tip)); }
    void remove() override { calls.push_back("remove"); }
    void setMouseHandler(MouseHandler h) override { handler = std::move(h); }
};

struct FakeWindow : TrayWindow {
    std::string title = "Tessivar v4.0";
    std::vector<float> xs;
    std::string Caption() const override { return title; }
    void Form_MouseMove(int, int, float X, float) override { xs.push_back(X); }
};

TEST(ClsTray, ShowChangeAndRemoveFollowTheCallsAndTheTipOnlyChangesWhileShown)
{
    FakeTrayIcon icon;
    FakeWindow window;
    clsTray tray(icon);
    EXPECT_FALSE(tray.bRunningInTray);

    tray.ChangeToolTip(window, "ignored");
    tray.ShowIcon(window);
    EXPECT_TRUE(tray.bRunningInTray);
    tray.ChangeToolTip(window, "Tessivar v4.0");
    tray.RemoveIcon(window);
    EXPECT_FALSE(tray.bRunningInTray);
    tray.ChangeToolTip(window, "ignored again");
    EXPECT_EQ(icon.calls, (std::vector<std::string>{"add Tessivar v4.0", "modify Tessivar v4.0", "remove"}));
}

TEST(ClsTray, TheIconsMouseMessagesReachTheWindowAsXTimesFifteenOnlyWhileShown)
{
    FakeTrayIcon icon;
    FakeWindow window;
    clsTray tray(icon);
    icon.handler(kTrayLeftDoubleClick);
    EXPECT_TRUE(window.xs.empty());

    tray.ShowIcon(window);
    for (const int message : {kTrayLeftDoubleClick, kTrayRightButtonUp, kTrayLeftButtonUp})
        icon.handler(message);
    EXPECT_EQ(window.xs, (std::vector<float>{7725, 7755, 7710}));

    tray.RemoveIcon(window);
    icon.handler(kTrayRightButtonUp);
    EXPECT_EQ(window.xs.size(), 3u);
}

TEST(ClsTray, TheTipKeepsSixtyThreeBytesWithoutSplittingACharacter)
{
    const std::string ascii(80, 'a');
    EXPECT_EQ(TrayTip(ascii), std::string(63, 'a'));
    const std::string accented = std::string(62, 'a') + "\xC3\xA9" + "b"; // é straddles the limit
    EXPECT_EQ(TrayTip(accented), std::string(62, 'a'));
    EXPECT_EQ(TrayTip("Tessivar v4.0"), "Tessivar v4.0");
}

} // namespace
} // namespace tessivar
