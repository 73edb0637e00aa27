#include "platform/wine/reg_file.h"
#include "support/synthetic_registry.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

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

TEST(SyntheticRegistry, ALargeFileReadWhileItIsParsedReadsAsTheSameTextParsedAtOnce)
{
    // Large files are read through a mapping, or parsed while a second thread still reads them:
    // the result must not depend on where the text happened to end at any moment.
    test::TempDir temp;
    test::SyntheticRegistryOptions options;
    options.valueCount = 40000; // about 7 MB, well past the size read in the background
    const auto stats = test::writeSyntheticRegistry(temp.path() / "system.reg", options);
    ASSERT_GT(stats.bytes, 6u << 20);
    const std::string text = temp.read("system.reg");
    // The rare bytes the reading thread notes for the parser, placed on either side of where
    // the second piece it reads begins, and a line cut by that boundary.
    const std::size_t boundary = 4u << 20;
    const std::size_t lineAfter = text.find('\n', boundary + 100) + 1;
    const std::size_t lineBefore = text.rfind('\n', boundary - 100) + 1;
    std::string withReturns = text;
    withReturns.insert(text.find('\n', lineAfter), "\r");
    std::string withNul = text;
    withNul.insert(text.find('"', lineBefore), std::string(1, '\0'));
    std::string cutLine = text;
    cutLine.insert(text.rfind('\n', boundary) + 1, "\"" + std::string(300, 'x') + "\"=\"y\"\n");
    // And a comment line longer than two pieces.
    std::string longLine = text;
    longLine.insert(text.find("\n[", 1u << 20) + 1, ";" + std::string(9u << 20, 'x') + "\n");
    const std::vector<std::string> cases = {text, text + "what\n", withReturns, withNul, cutLine, longLine};
    for (const auto how : {LargeFileRead::mapWhereSafe, LargeFileRead::copy}) {
        for (const std::string& content : cases) {
            SCOPED_TRACE(testing::Message()
                         << (how == LargeFileRead::copy ? "copied " : "mapped ") << &content - cases.data());
            temp.write("system.reg", content);
            bool exists = false;
            auto loaded = RegFile::load(temp.path() / "system.reg", "system.reg", 0, &exists, how);
            ASSERT_NE(loaded, nullptr);
            EXPECT_TRUE(exists);
            auto parsed = RegFile::parse(content, "system.reg", 0);
            EXPECT_EQ(loaded->originalText(), parsed->originalText());
            EXPECT_EQ(loaded->firstProblemMessage(), parsed->firstProblemMessage());
            EXPECT_EQ(loaded->problems().size(), parsed->problems().size());
            EXPECT_EQ(loaded->serialize(RegLayout::rewriteAll), parsed->serialize(RegLayout::rewriteAll));
            EXPECT_EQ(loaded->serialize(), parsed->serialize());
        }
    }
    EXPECT_FALSE(RegFile::parse(withNul, "system.reg", 0)->problems().empty());
    bool exists = true;
    EXPECT_NE(RegFile::load(temp.path() / "absent.reg", "absent.reg", 0, &exists), nullptr);
    EXPECT_FALSE(exists);
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
