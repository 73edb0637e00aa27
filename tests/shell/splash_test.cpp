#include "shell/splash.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tessivar {
namespace {

struct Recorder : MousePointer {
    std::vector<std::string> events;
    void setPointer(PointerShape shape) override
    {
        events.push_back(shape == PointerShape::Hourglass ? "hourglass" : "default");
    }
};

TEST(FrmSplash, ShowsWithTheHourglassThenRestoresThePointerBeforeTheMainWindowShowsOnce)
{
    Recorder record;
    FrmSplash splash(record, [&] { record.events.push_back("main window"); });
    EXPECT_TRUE(splash.tmrUnload.Enabled);
    EXPECT_EQ(splash.tmrUnload.Interval, 2000);

    splash.Form_Load();
    EXPECT_TRUE(splash.visible);
    splash.tmrUnload_Timer();
    splash.tmrUnload_Timer(); // a tick already queued when it stopped
    EXPECT_EQ(record.events, (std::vector<std::string>{"hourglass", "default", "main window"}));
    EXPECT_FALSE(splash.tmrUnload.Enabled);
    EXPECT_FALSE(splash.visible);
    EXPECT_FALSE(splash.loaded);

    splash.Form_Load();
    EXPECT_FALSE(splash.visible) << "never shown again";
}

} // namespace
} // namespace tessivar
