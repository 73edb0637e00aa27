#include "platform/wine/host_paths.h"
#include "support/temp_prefix.h"

#include <gtest/gtest.h>

namespace tessivar::wine {
namespace {

TEST(PrefixHostPaths, TheNarrowestDriveNamesAHostFolder)
{
    test::TempPrefix prefix;
    prefix.makeFolder("drive_c/users/me/Backups");
    const auto music = prefix.outside() / "music";
    std::filesystem::create_directories(music);
    prefix.link("m:", music.string());
    PrefixHostPaths paths(prefix.path());

    EXPECT_EQ(paths.windowsPathOfHostFolder(prefix.driveC() / "users/me/Backups"), "C:\\users\\me\\Backups");
    EXPECT_EQ(paths.windowsPathOfHostFolder(prefix.driveC()), "C:\\");
    EXPECT_EQ(paths.windowsPathOfHostFolder(music / "a b"), "M:\\a b");
    EXPECT_EQ(paths.windowsPathOfHostFolder("/usr/share"), "Z:\\usr\\share");

    prefix.link("z:", prefix.outside().string() + "/none");
    EXPECT_EQ(paths.windowsPathOfHostFolder("/usr/share"), "\\\\?\\unix\\usr\\share") << "no drive maps it";
}

} // namespace
} // namespace tessivar::wine
