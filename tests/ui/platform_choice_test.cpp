#include "ui/platform_choice.h"

#include <gtest/gtest.h>
#include <map>

namespace tessivar::ui {
namespace {

TEST(PlatformChoice, PrefersXWaylandAndNeverOverridesTheUser)
{
    using Env = std::map<std::string, std::string>;
    const std::pair<Env, std::string> cases[] = {
        {{{"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, "xcb"},
        {{{"XDG_SESSION_TYPE", "wayland"}, {"DISPLAY", ":1"}}, "xcb"},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, ""},
        {{{"DISPLAY", ":0"}}, ""},
        {{}, ""},
        {{{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-0"}, {"DISPLAY", ":0"}}, ""},
    };
    for (const auto& [env, expected] : cases) {
        const auto read = [&env = env](const char* name) {
            const auto it = env.find(name);
            return it == env.end() ? std::string() : it->second;
        };
        EXPECT_EQ(chooseQtPlatform(read), expected) << env.size();
    }
}

} // namespace
} // namespace tessivar::ui
