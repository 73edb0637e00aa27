#include "platform/wine/settings_file.h"
#include "platform/wine/settings_text.h"
#include "support/temp_dir.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessivar::wine {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kApp = "Tessivar v4.0";

class SettingsFileTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    fs::path file = dir.path() / "config" / "tessivar" / "settings.ini";
    SettingsFile store{file, kApp};

    std::vector<fs::path> asideFiles() const
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(file.parent_path()))
            if (entry.path().filename().string().starts_with("settings.ini.corrupt-"))
                found.push_back(entry.path());
        std::sort(found.begin(), found.end());
        return found;
    }
    std::string fileText() const { return dir.read("config/tessivar/settings.ini"); }
};

TEST_F(SettingsFileTest, MissingFileReadsAsMissingKeysAndFirstWriteCreatesIt)
{
    EXPECT_EQ(store.read("chkMakeBackUp"), std::nullopt);
    EXPECT_FALSE(fs::exists(file)) << "a read never creates the file";
    ASSERT_TRUE(store.write("chkMakeBackUp", "1"));
    EXPECT_EQ(store.read("chkMakeBackUp"), "1");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u) << "settings are the user's own";
}

TEST_F(SettingsFileTest, KeysCompareWithoutCaseAndKeepTheirFirstSpelling)
{
    ASSERT_TRUE(store.write("txtBackUp", "C:\\one"));
    ASSERT_TRUE(store.write("txtBackup", "C:\\two"));
    ASSERT_TRUE(store.write("TXTBACKUP", "C:\\three"));
    EXPECT_EQ(store.read("txtbackup"), "C:\\three");
    EXPECT_NE(fileText().find("txtBackUp=C:\\\\three\n"), std::string::npos) << fileText();
    EXPECT_EQ(fileText().find("txtBackup="), std::string::npos);
}

TEST_F(SettingsFileTest, ValuesComeBackExactly)
{
    std::string allBytes;
    for (int c = 0; c < 256; ++c)
        allBytes += static_cast<char>(c);
    const std::string values[] = {"",
                                  "   ",
                                  "  lead and trail  ",
                                  "a=b==c",
                                  "line1\nline2\r\nline3\r",
                                  "C:\\Program Files\\x\\",
                                  "\\x41 is not an escape in the value",
                                  "Gr\xC3\xBC\xC3\x9F"
                                  "e \xE2\x82\xAC",
                                  "[Tessivar v4.0/Settings]",
                                  "; not a comment",
                                  std::string("nul\0inside", 10),
                                  allBytes};
    int n = 0;
    for (const auto& value : values) {
        const std::string key = "key" + std::to_string(n++);
        ASSERT_TRUE(store.write(key, value));
    }
    n = 0;
    for (const auto& value : values)
        EXPECT_EQ(store.read("key" + std::to_string(n++)), value) << "value #" << n - 1;
}

TEST_F(SettingsFileTest, KeysWithAwkwardBytesComeBackToo)
{
    const std::string keys[] = {"Window Shortcut C", "a=b", "[x]", ";semi", "#hash", " blank ", "tab\tkey",
                                "\xC3\xA9t\xC3\xA9"};
    for (const auto& key : keys)
        ASSERT_TRUE(store.write(key, "v:" + key)) << key;
    for (const auto& key : keys)
        EXPECT_EQ(store.read(key), "v:" + key) << key;
}

TEST_F(SettingsFileTest, OtherSectionsOfTheFileAreKept)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "[Other App/Settings]\nchkPlaySound=7\n[Tessivar v4.0/Settings]\nchkPlaySound=1\n";
    EXPECT_EQ(store.read("chkPlaySound"), "1");
    ASSERT_TRUE(store.write("chkPlaySound", "0"));
    SettingsFile other(file, "Other App");
    EXPECT_EQ(other.read("chkPlaySound"), "7");
    EXPECT_EQ(store.read("chkPlaySound"), "0");
}

TEST_F(SettingsFileTest, HandWrittenFileWithCommentsAndCrLfIsRead)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "; made by hand\r\n\r\n# another comment\r\n[Tessivar v4.0/Settings]\r\n"
                           "txtLogFile=D:\\\\logs\r\nchkMakeLogFile=0\r\nchkmakelogfile=1\r\n";
    EXPECT_EQ(store.read("txtLogFile"), "D:\\logs");
    EXPECT_EQ(store.read("chkMakeLogFile"), "1") << "a repeated key: the later value wins";
}

struct DamagedCase {
    const char* name;
    std::string content;
};

class SettingsFileDamaged : public SettingsFileTest, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(SettingsFileDamaged, ReadersGetDefaultsAndTheNextWriteKeepsTheFileAside)
{
    fs::create_directories(file.parent_path());
    {
        std::ofstream out(file, std::ios::binary);
        out << GetParam().content;
    }
    EXPECT_EQ(store.read("chkMakeBackUp"), std::nullopt);
    EXPECT_TRUE(asideFiles().empty()) << "a read changes nothing";

    ASSERT_TRUE(store.write("chkMakeBackUp", "0"));
    EXPECT_EQ(store.read("chkMakeBackUp"), "0");
    const auto aside = asideFiles();
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(aside[0].filename(), "settings.ini.corrupt-1");
    std::ifstream in(aside[0], std::ios::binary);
    const std::string kept((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, GetParam().content) << "the damaged file is kept byte for byte";

    // Only the damaged file is moved aside; the good one written now is simply updated.
    ASSERT_TRUE(store.write("chkPlaySound", "1"));
    EXPECT_EQ(asideFiles().size(), 1u);
    EXPECT_EQ(store.read("chkMakeBackUp"), "0");
}

INSTANTIATE_TEST_SUITE_P(
    Files, SettingsFileDamaged,
    ::testing::Values(DamagedCase{"EntryBeforeHeader", "chkMakeBackUp=1\n"},
                      DamagedCase{"LineWithoutEquals", "[Tessivar v4.0/Settings]\njust words\n"},
                      DamagedCase{"BadEscape", "[Tessivar v4.0/Settings]\nchkMakeBackUp=\\q\n"},
                      DamagedCase{"TruncatedHexEscape", "[Tessivar v4.0/Settings]\nchkMakeBackUp=\\x4\n"},
                      DamagedCase{"UnclosedHeader", "[Tessivar v4.0/Settings\nchkMakeBackUp=1\n"},
                      DamagedCase{"EmptyKey", "[Tessivar v4.0/Settings]\n=1\n"},
                      DamagedCase{"Binary", std::string("\x7F"
                                                        "ELF\0\x01\x02\n\xFF",
                                                        9)},
                      DamagedCase{"TooLarge", "[Tessivar v4.0/Settings]\n" + std::string(kMaxSettingsFileSize, 'a')}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

// Reads parse the file only when it changed; a change is seen whether the file is replaced, or
// rewritten in place to the same size: at another time, or at a time too recent to be trusted
// (here one not yet past, which no later change could move on either).
TEST_F(SettingsFileTest, ReadSeesEveryChangeOfTheFile)
{
    // The same bytes but for the one-digit value, written over the file's own.
    const auto writeInPlace = [&](char value) {
        std::string text = fileText();
        text[text.find("chkPlaySound=") + 13] = value;
        std::ofstream(file, std::ios::in | std::ios::out | std::ios::binary) << text;
    };
    ASSERT_TRUE(store.write("chkPlaySound", "1"));
    const auto longAgo = fs::last_write_time(file) - std::chrono::hours(1);
    fs::last_write_time(file, longAgo);
    EXPECT_EQ(store.read("chkPlaySound"), "1");
    SettingsFile other{file, kApp};
    ASSERT_TRUE(other.write("chkPlaySound", "2")); // replaced: another file
    EXPECT_EQ(store.read("chkPlaySound"), "2");
    fs::last_write_time(file, longAgo);
    EXPECT_EQ(store.read("chkPlaySound"), "2");
    writeInPlace('3');
    fs::last_write_time(file, longAgo + std::chrono::seconds(1));
    EXPECT_EQ(store.read("chkPlaySound"), "3");
    const auto recent = fs::file_time_type::clock::now() + std::chrono::minutes(1);
    fs::last_write_time(file, recent);
    EXPECT_EQ(store.read("chkPlaySound"), "3");
    writeInPlace('4');
    fs::last_write_time(file, recent);
    EXPECT_EQ(store.read("chkPlaySound"), "4");
}

TEST_F(SettingsFileTest, SecondDamagedFileGetsTheNextFreeName)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file.string() + ".corrupt-1") << "older";
    std::ofstream(file) << "garbage\n";
    ASSERT_TRUE(store.write("k", "v"));
    ASSERT_EQ(asideFiles().size(), 2u);
    EXPECT_EQ(dir.read("config/tessivar/settings.ini.corrupt-1"), "older");
    EXPECT_EQ(dir.read("config/tessivar/settings.ini.corrupt-2"), "garbage\n");
}

TEST_F(SettingsFileTest, WriteThatWouldMakeTheFileUnreadableIsRefused)
{
    ASSERT_TRUE(store.write("chkMakeBackUp", "0"));
    EXPECT_FALSE(store.write("huge", std::string(kMaxSettingsFileSize, 'x')));
    EXPECT_EQ(store.read("chkMakeBackUp"), "0") << "the earlier keys stay readable";
    EXPECT_EQ(store.read("huge"), std::nullopt);
    EXPECT_TRUE(asideFiles().empty());
}

TEST_F(SettingsFileTest, WriteWithoutItsLockIsRefusedAndLeavesTheFile)
{
    ASSERT_TRUE(store.write("a", "1"));
    // Something that is not a file where the lock should be: the lock cannot be had.
    fs::create_directory(file.string() + ".lock.tmp");
    fs::remove(file.string() + ".lock");
    fs::rename(file.string() + ".lock.tmp", file.string() + ".lock");
    EXPECT_FALSE(store.write("a", "2"));
    EXPECT_EQ(store.read("a"), "1");
}

TEST(SettingsFileFolder, WriteIsRefusedWhenTheFolderCannotBeMade)
{
    test::TempDir dir;
    dir.write("config/tessivar", "a file where the folder should be");
    SettingsFile store(dir.path() / "config" / "tessivar" / "settings.ini", kApp);
    EXPECT_FALSE(store.write("a", "1"));
    EXPECT_EQ(store.read("a"), std::nullopt);
    EXPECT_EQ(dir.read("config/tessivar"), "a file where the folder should be");
}

TEST(SettingsFileFolder, NoPathMeansNoStore)
{
    SettingsFile store(fs::path(), kApp);
    EXPECT_FALSE(store.write("a", "1"));
    EXPECT_EQ(store.read("a"), std::nullopt);
}

TEST_F(SettingsFileTest, TwoStoresOnOneFileInterleavedLoseNothing)
{
    SettingsFile second(file, kApp);
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(store.write("first" + std::to_string(i), std::to_string(i)));
        ASSERT_TRUE(second.write("second" + std::to_string(i), std::to_string(i)));
    }
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(second.read("first" + std::to_string(i)), std::to_string(i));
        EXPECT_EQ(store.read("second" + std::to_string(i)), std::to_string(i));
    }
}

TEST_F(SettingsFileTest, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kKeys = 200;
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = ::fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            SettingsFile own(file, kApp);
            int failures = 0;
            for (int i = 0; i < kKeys; ++i)
                failures += own.write("p" + std::to_string(child) + "k" + std::to_string(i), std::to_string(i)) ? 0 : 1;
            ::_exit(failures == 0 ? 0 : 1);
        }
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int child = 0; child < 2; ++child)
        for (int i = 0; i < kKeys; ++i)
            EXPECT_EQ(store.read("p" + std::to_string(child) + "k" + std::to_string(i)), std::to_string(i));
    for (const auto& entry : fs::directory_iterator(file.parent_path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << "no temporary file left";
}

TEST(SettingsFilePath, FollowsXdgConfigHomeThenHome)
{
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const char* savedHome = std::getenv("HOME");
    const std::string xdg = savedXdg ? savedXdg : "";
    const std::string home = savedHome ? savedHome : "";

    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(SettingsFile::defaultPath(), fs::path("/cfg/tessivar/settings.ini"));
    ::setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    EXPECT_EQ(SettingsFile::defaultPath(), fs::path("/home/someone/.config/tessivar/settings.ini"));
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsFile::defaultPath(), fs::path("/home/someone/.config/tessivar/settings.ini"));
    ::unsetenv("HOME");
    EXPECT_EQ(SettingsFile::defaultPath(), fs::path());

    if (savedXdg)
        ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    if (savedHome)
        ::setenv("HOME", home.c_str(), 1);
}

TEST(SettingsText, ParserIsLinearOnManyShortLines)
{
    // Many distinct sections and keys: a quadratic lookup would take minutes here.
    std::string text;
    for (int i = 0; text.size() < kMaxSettingsFileSize - 64; ++i)
        text += (i % 2 ? "[s" : "k") + std::to_string(i) + (i % 2 ? "]\n" : "=1\n");
    text = "[first]\n" + text;
    EXPECT_TRUE(ParseSettingsText(text).has_value());
}

} // namespace
} // namespace tessivar::wine
