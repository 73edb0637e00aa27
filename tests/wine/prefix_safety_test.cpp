// The prefix lock, files that are not regular files, and writes that would leave the prefix.

#include "platform/wine/posix_file.h"
#include "platform/wine/prefix_file_lock.h"
#include "platform/wine/wine_file_system.h"
#include "platform/wine/wine_registry.h"
#include "support/temp_prefix.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessivar::wine {
namespace {

namespace fs = std::filesystem;
using test::TempPrefix;

constexpr const char* kUserReg = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                                 "#arch=win64\n\n[Software] 1700000000\n";

TEST(PrefixFileLock, SecondWriterWaitsItsTimeThenRefusesWithOneLine)
{
    TempPrefix prefix;
    PrefixFileLock first(prefix.path());
    PrefixFileLock second(prefix.path(), std::chrono::milliseconds(0));
    ASSERT_TRUE(first.lock(nullptr));
    ASSERT_TRUE(first.lock(nullptr)); // nested
    std::string why;
    EXPECT_FALSE(second.lock(&why));
    EXPECT_NE(why.find("Another Tessivar is changing the Wine prefix"), std::string::npos);
    EXPECT_EQ(why.find('\n'), std::string::npos);
    first.unlock();
    EXPECT_FALSE(second.lock(nullptr)); // the outer lock still holds
    first.unlock();
    EXPECT_TRUE(second.lock(nullptr));
    second.unlock();
}

TEST(PrefixFileLock, BatchOfAnotherRegistryOnThePrefixKeepsBothChanges)
{
    TempPrefix prefix;
    prefix.write("user.reg", kUserReg);
    WineRegistry a(prefix.path());
    WineRegistry b(prefix.path()); // both read the file before either wrote
    const std::uint8_t one[] = {1, 0, 0, 0};
    for (auto* registry : {&a, &b}) {
        RegistryBatch batch(*registry);
        HKEY key = 0;
        ASSERT_EQ(
            registry->RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\QA", 0, nullptr, 0, KEY_ALL_ACCESS, &key, nullptr),
            ERROR_SUCCESS);
        ASSERT_EQ(registry->RegSetValueExA(key, registry == &a ? "a" : "b", 0, REG_DWORD, one, 4), ERROR_SUCCESS);
        registry->RegCloseKey(key);
        ASSERT_TRUE(batch.commit(nullptr));
    }
    WineRegistry after(prefix.path());
    HKEY key = 0;
    ASSERT_EQ(after.RegOpenKeyA(HKEY_CURRENT_USER, "Software\\QA", &key), ERROR_SUCCESS);
    EXPECT_EQ(after.RegQueryValueExA(key, "a", nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(after.RegQueryValueExA(key, "b", nullptr, nullptr, nullptr), ERROR_SUCCESS);
    after.RegCloseKey(key);
}

TEST(WineNameLimits, LongerKeyComponentsAndValueNamesThanWineKeepsAreRefused)
{
    TempPrefix prefix;
    prefix.write("user.reg", kUserReg);
    WineRegistry registry(prefix.path());
    HKEY key = 0;
    EXPECT_EQ(registry.RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\" + std::string(256, 'k'), 0, nullptr, 0,
                                       KEY_ALL_ACCESS, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    ASSERT_EQ(registry.RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\" + std::string(255, 'k'), 0, nullptr, 0,
                                       KEY_ALL_ACCESS, &key, nullptr),
              ERROR_SUCCESS);
    const std::uint8_t data[] = {0, 0};
    EXPECT_EQ(registry.RegSetValueExA(key, std::string(16384, 'v').c_str(), 0, REG_SZ, data, 2),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(registry.RegSetValueExA(key, std::string(16383, 'v').c_str(), 0, REG_SZ, data, 2), ERROR_SUCCESS);
    registry.RegCloseKey(key);
}

TEST(RegularFiles, OnlyRegularFilesAreReadAndNothingBlocks)
{
    TempPrefix prefix;
    const fs::path folder = prefix.makeFolder("special");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folder / "zero");
    fs::create_symlink(folder / "nowhere", folder / "dangling");
    fs::create_symlink(prefix.write("special/real", "text"), folder / "link");
    struct Case {
        const char* name;
        FinalLink link;
        FileRead expected;
    };
    const Case cases[] = {
        {"fifo", FinalLink::follow, FileRead::notAFile},    {"zero", FinalLink::follow, FileRead::notAFile},
        {"dangling", FinalLink::follow, FileRead::missing}, {"link", FinalLink::refuse, FileRead::notAFile},
        {"link", FinalLink::follow, FileRead::ok},          {"real", FinalLink::follow, FileRead::ok},
    };
    for (const Case& c : cases) {
        std::string content;
        EXPECT_EQ(readRegularFile(folder / c.name, content, 1024, c.link), c.expected) << c.name;
    }
    std::string content;
    EXPECT_EQ(readRegularFile(folder / "real", content, 3), FileRead::tooLarge);
}

TEST(WineWriteTargets, NoWriteThroughAFolderLinkThatLeavesTheDrive)
{
    TempPrefix prefix;
    fs::create_directories(prefix.outside());
    fs::create_symlink(prefix.outside(), prefix.driveC() / "away");
    prefix.write("drive_c/inside/source.lnk", "shortcut");
    WineFileSystem files(prefix.path());
    EXPECT_FALSE(files.writeFile("C:\\away\\a.lnk", "copy"));
    EXPECT_FALSE(files.CopyFileA("C:\\inside\\source.lnk", "C:\\away\\b.lnk", false));
    EXPECT_FALSE(fs::exists(prefix.outside() / "b.lnk"));
    EXPECT_FALSE(fs::exists(prefix.outside() / "a.lnk"));
    EXPECT_TRUE(files.writeFile("C:\\inside\\a.lnk", "copy"));
}

} // namespace
} // namespace tessivar::wine
