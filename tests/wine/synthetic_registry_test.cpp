#include "support/synthetic_registry.h"

#include "platform/wine/reg_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tessivar::wine {
namespace {

TEST(SyntheticRegistry, IsWhatWineWouldWriteAndCreatesOnlyThePresentFiles)
{
    test::TempDir temp;
    test::SyntheticRegistryOptions options;
    options.valueCount = 2000;
    options.driveC = temp.path() / "drive_c";
    options.missingRatio = 0.5;
    const auto stats = test::writeSyntheticRegistry(temp.path() / "system.reg", options);
    EXPECT_EQ(stats.values, 2000u);
    ASSERT_GT(stats.pathValues, 100u);
    EXPECT_GT(stats.missingPaths, stats.pathValues / 4);
    EXPECT_LT(stats.missingPaths, stats.pathValues * 3 / 4);

    const std::string text = temp.read("system.reg");
    EXPECT_EQ(text.size(), stats.bytes);
    auto file = RegFile::parse(text, "system.reg", 0);
    EXPECT_TRUE(file->problems().empty()) << file->firstProblemMessage();
    EXPECT_EQ(file->serialize(RegLayout::rewriteAll), text);

    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(options.driveC))
        files += entry.is_regular_file();
    EXPECT_EQ(files, stats.pathValues - stats.missingPaths);
}

TEST(SyntheticRegistry, UsesThePathsItIsGiven)
{
    test::TempDir temp;
    test::SyntheticRegistryOptions options;
    options.valueCount = 100;
    options.pathMaker = [](std::size_t index) { return "D:\\given\\" + std::to_string(index) + ".dll"; };
    const auto stats = test::writeSyntheticRegistry(temp.path() / "system.reg", options);
    EXPECT_NE(temp.read("system.reg").find("@=\"D:\\\\given\\\\0.dll\""), std::string::npos);
    EXPECT_EQ(stats.missingPaths, 0u);
}

} // namespace
} // namespace tessivar::wine
