#include "support/fake_registry.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tessivar::test {
namespace {

constexpr std::string_view kApp = "Software\\Tessivar\\App";

std::vector<std::uint8_t> bytesOf(std::string_view text)
{
    return {text.begin(), text.end()};
}

TEST(FakeRegistry, NamesIgnoreCaseAndKeepTheirSpelling)
{
    FakeRegistry reg;
    reg.setString(HKEY_LOCAL_MACHINE, "Software\\MixedCase", "ValueName", "x");
    reg.setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\MIXEDCASE", "VALUENAME", "y");
    reg.setString(HKEY_LOCAL_MACHINE, "software\\\xC3\x89T\xC3\x89", "n", "z"); // ÉTÉ
    EXPECT_EQ(reg.subkeyNames(HKEY_LOCAL_MACHINE, "Software"),
              (std::vector<std::string>{"Classes", "MixedCase", "\xC3\x89T\xC3\x89"}));
    EXPECT_EQ(reg.valueNames(HKEY_LOCAL_MACHINE, "software\\mixedcase"), std::vector<std::string>{"ValueName"});
    EXPECT_EQ(reg.valueText(HKEY_LOCAL_MACHINE, "Software\\MixedCase", "valuename"), std::string("y\0", 2));
    EXPECT_TRUE(reg.keyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\\xC3\xA9t\xC3\xA9")); // été
}

TEST(FakeRegistry, EnumeratesInInsertionOrderThenNoMoreItems)
{
    FakeRegistry reg;
    reg.makeKey(HKEY_CURRENT_USER, "Root\\b");
    reg.makeKey(HKEY_CURRENT_USER, "Root\\A");
    reg.setString(HKEY_CURRENT_USER, "Root", "z", "1");
    reg.setDword(HKEY_CURRENT_USER, "Root", "", 7);
    HKEY key = 0;
    ASSERT_EQ(reg.RegOpenKeyA(HKEY_CURRENT_USER, "Root", &key), ERROR_SUCCESS);
    char name[255];
    std::uint32_t length = sizeof name;
    ASSERT_EQ(reg.RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, length), "b");
    length = sizeof name;
    ASSERT_EQ(reg.RegEnumKeyExA(key, 1, name, &length, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name), "A");
    length = sizeof name;
    EXPECT_EQ(reg.RegEnumKeyExA(key, 2, name, &length, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

    std::uint8_t data[255];
    std::uint32_t type = 0;
    std::uint32_t size = sizeof data;
    length = sizeof name;
    ASSERT_EQ(reg.RegEnumValueA(key, 0, name, &length, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, length), "z");
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 2u); // "1" and its zero, as UTF-8
    length = sizeof name;
    size = sizeof data;
    ASSERT_EQ(reg.RegEnumValueA(key, 1, name, &length, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(type, REG_DWORD);
    length = sizeof name;
    EXPECT_EQ(reg.RegEnumValueA(key, 2, name, &length, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(reg.RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

// A name of 255 bytes needs 256 with its zero: it no longer fits the walkers' buffer.
TEST(FakeRegistry, NamesAndDataThatDoNotFitReportMoreData)
{
    FakeRegistry reg;
    const std::string fits(254, 'k');
    const std::string tooLong(255, 'k');
    reg.makeKey(HKEY_LOCAL_MACHINE, "L\\" + tooLong);
    reg.setString(HKEY_LOCAL_MACHINE, "L", tooLong, "x");
    reg.setString(HKEY_LOCAL_MACHINE, "L", "big", std::string(255, 'd')); // 256 bytes with the zero
    reg.setString(HKEY_LOCAL_MACHINE, "L", fits, std::string(254, 'd'));
    HKEY key = 0;
    ASSERT_EQ(reg.RegOpenKeyA(HKEY_LOCAL_MACHINE, "L", &key), ERROR_SUCCESS);
    char name[255];
    std::uint8_t data[255];
    std::uint32_t length = 255;
    EXPECT_EQ(reg.RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr), ERROR_MORE_DATA);
    length = 255;
    std::uint32_t size = 255;
    EXPECT_EQ(reg.RegEnumValueA(key, 0, name, &length, nullptr, data, &size), ERROR_MORE_DATA);
    length = 255;
    size = 255;
    EXPECT_EQ(reg.RegEnumValueA(key, 1, name, &length, nullptr, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 256u);
    length = 255;
    size = 255;
    EXPECT_EQ(reg.RegEnumValueA(key, 2, name, &length, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(length, 254u);
    EXPECT_EQ(size, 255u);

    std::uint32_t type = 0;
    size = 10;
    EXPECT_EQ(reg.RegQueryValueExA(key, "big", &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 256u);
    size = 0;
    EXPECT_EQ(reg.RegQueryValueExA(key, "big", &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 256u);
    reg.RegCloseKey(key);
}

TEST(FakeRegistry, StringsCrossAsUtf8AndAreStoredAsUtf16)
{
    FakeRegistry reg;
    HKEY key = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(reg.RegCreateKeyExA(HKEY_CURRENT_USER, kApp, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &key,
                                  &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const std::string text("caf\xC3\xA9\0", 6);
    ASSERT_EQ(reg.RegSetValueExA(key, "s", 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.data()), 6),
              ERROR_SUCCESS);
    std::uint32_t type = 0;
    std::vector<std::uint8_t> raw;
    ASSERT_EQ(reg.queryRawValue(key, "S", &type, &raw), ERROR_SUCCESS);
    EXPECT_EQ(raw, (std::vector<std::uint8_t>{'c', 0, 'a', 0, 'f', 0, 0xE9, 0, 0, 0}));
    std::uint8_t data[16];
    std::uint32_t size = sizeof data;
    ASSERT_EQ(reg.RegQueryValueExA(key, "s", &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), text);

    const std::vector<std::uint8_t> bin{1, 2, 3};
    ASSERT_EQ(reg.setRawValue(key, "b", REG_BINARY, bin), ERROR_SUCCESS);
    EXPECT_EQ(reg.valueBytes(HKEY_CURRENT_USER, kApp, "b"), bin);
    EXPECT_EQ(reg.RegDeleteValueA(key, "B"), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegDeleteValueA(key, "B"), ERROR_FILE_NOT_FOUND);
    reg.RegCloseKey(key);
}

// HKCR, HKCU and HKCC are views of other keys, as Wine composes them.
TEST(FakeRegistry, PredefinedViewsShareTheirData)
{
    FakeRegistry reg;
    reg.setString(HKEY_CLASSES_ROOT, ".txt", "", "txtfile");
    EXPECT_TRUE(reg.valueExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt", ""));
    reg.setString(HKEY_USERS, "S-1-5-21-0-0-0-1000\\Environment", "TEMP", "x");
    EXPECT_TRUE(reg.valueExists(HKEY_CURRENT_USER, "Environment", "temp"));
    reg.setString(HKEY_CURRENT_CONFIG, "Software\\Fonts", "LogPixels", "96");
    EXPECT_TRUE(reg.keyExists(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Hardware Profiles\\Current\\Software"));
    EXPECT_FALSE(reg.keyExists(HKEY_CURRENT_USER, "Software\\Classes\\.txt"));
}

TEST(FakeRegistry, LinksAreFollowedAndToldApart)
{
    FakeRegistry reg;
    reg.setString(HKEY_LOCAL_MACHINE, "Software\\Real\\Sub", "v", "1");
    reg.makeLink(HKEY_LOCAL_MACHINE, "Software\\Alias", HKEY_LOCAL_MACHINE, "Software\\Real");
    reg.makeLink(HKEY_LOCAL_MACHINE, "Software\\LoopA", HKEY_LOCAL_MACHINE, "Software\\LoopB");
    reg.makeLink(HKEY_LOCAL_MACHINE, "Software\\LoopB", HKEY_LOCAL_MACHINE, "Software\\LoopA");
    reg.makeLink(HKEY_LOCAL_MACHINE, "Software\\Dangling", HKEY_LOCAL_MACHINE, "Software\\Nowhere");

    HKEY key = 0;
    ASSERT_EQ(reg.RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Alias\\Sub", &key), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegQueryValueExA(key, "v", nullptr, nullptr, nullptr), ERROR_SUCCESS);
    reg.RegCloseKey(key);
    EXPECT_EQ(reg.RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\LoopA", &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg.RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Dangling", &key), ERROR_FILE_NOT_FOUND);

    ASSERT_EQ(reg.RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software", &key), ERROR_SUCCESS);
    EXPECT_TRUE(reg.isLinkKey(key, "alias"));
    EXPECT_FALSE(reg.isLinkKey(key, "Real"));
    // Deleting a link removes the link, never what it points at.
    EXPECT_EQ(reg.RegDeleteTreeA(key, "Alias"), ERROR_SUCCESS);
    EXPECT_TRUE(reg.valueExists(HKEY_LOCAL_MACHINE, "Software\\Real\\Sub", "v"));
    reg.RegCloseKey(key);
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

TEST(FakeRegistry, HandlesCarryTheirAccess)
{
    FakeRegistry reg;
    reg.setString(HKEY_LOCAL_MACHINE, "Software\\Locked", "v", "1");
    reg.denyFullAccess(HKEY_LOCAL_MACHINE, "Software\\Locked");
    HKEY key = 0;
    EXPECT_EQ(reg.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Locked", 0, KEY_ALL_ACCESS, &key), ERROR_ACCESS_DENIED);
    ASSERT_EQ(reg.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Locked", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegSetValueExA(key, "w", 0, REG_BINARY, nullptr, 0), ERROR_ACCESS_DENIED);
    reg.RegCloseKey(key);
    // RegOpenKeyA takes what it can get, like MAXIMUM_ALLOWED.
    ASSERT_EQ(reg.RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\Locked", &key), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegQueryValueExA(key, "v", nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegDeleteValueA(key, "v"), ERROR_ACCESS_DENIED);
    reg.RegCloseKey(key);

    ASSERT_EQ(reg.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ENUMERATE_SUB_KEYS, &key), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegQueryValueExA(key, "x", nullptr, nullptr, nullptr), ERROR_ACCESS_DENIED);
    reg.RegCloseKey(key);
    EXPECT_EQ(reg.RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(reg.RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
}

TEST(FakeRegistry, AHandleOfADeletedKeyReportsKeyDeleted)
{
    FakeRegistry reg;
    reg.setString(HKEY_CURRENT_USER, "Gone\\Child", "v", "1");
    HKEY child = 0;
    ASSERT_EQ(reg.RegOpenKeyA(HKEY_CURRENT_USER, "Gone\\Child", &child), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegDeleteKeyA(HKEY_CURRENT_USER, "Gone"), ERROR_ACCESS_DENIED); // has a subkey
    EXPECT_EQ(reg.RegDeleteTreeA(HKEY_CURRENT_USER, "Gone"), ERROR_SUCCESS);
    EXPECT_EQ(reg.RegQueryValueExA(child, "v", nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(reg.RegCloseKey(child), ERROR_SUCCESS);
    EXPECT_FALSE(reg.keyExists(HKEY_CURRENT_USER, "Gone"));
}

TEST(FakeRegistry, RefusedWritesChangeNothing)
{
    FakeRegistry reg;
    reg.setString(HKEY_CURRENT_USER, "K", "v", "1");
    reg.refuseWrites("Wine is running");
    std::string why;
    EXPECT_FALSE(reg.canWrite(&why));
    EXPECT_EQ(why, "Wine is running");
    HKEY key = 0;
    EXPECT_EQ(reg.RegCreateKeyExA(HKEY_CURRENT_USER, "New", 0, nullptr, 0, KEY_ALL_ACCESS, &key, nullptr),
              ERROR_ACCESS_DENIED);
    ASSERT_EQ(reg.RegOpenKeyA(HKEY_CURRENT_USER, "K", &key), ERROR_SUCCESS);
    const auto data = bytesOf("2");
    EXPECT_EQ(reg.RegSetValueExA(key, "v", 0, REG_SZ, data.data(), 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg.RegDeleteValueA(key, "v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg.RegDeleteTreeA(HKEY_CURRENT_USER, "K"), ERROR_ACCESS_DENIED);
    reg.RegCloseKey(key);
    EXPECT_EQ(reg.valueText(HKEY_CURRENT_USER, "K", "v"), std::string("1\0", 2));
    EXPECT_FALSE(reg.keyExists(HKEY_CURRENT_USER, "New"));
    EXPECT_EQ(reg.changeCount(), 0u);
    EXPECT_EQ(reg.lastWriteError(), "Wine is running");
}

TEST(FakeRegistry, BatchesSaveOnceAtTheOutermostEnd)
{
    FakeRegistry reg;
    reg.makeKey(HKEY_CURRENT_USER, "K");
    HKEY key = 0;
    ASSERT_EQ(reg.RegOpenKeyA(HKEY_CURRENT_USER, "K", &key), ERROR_SUCCESS);
    const auto data = bytesOf("x");
    {
        RegistryBatch outer(reg);
        {
            RegistryBatch inner(reg);
            for (int i = 0; i < 10; ++i)
                reg.RegSetValueExA(key, std::to_string(i).c_str(), 0, REG_BINARY, data.data(), 1);
        }
        EXPECT_EQ(reg.saveCount(), 0u);
    }
    EXPECT_EQ(reg.saveCount(), 1u);
    reg.RegSetValueExA(key, "single", 0, REG_BINARY, data.data(), 1);
    EXPECT_EQ(reg.saveCount(), 2u);

    reg.failSaves("disk full");
    RegistryBatch batch(reg);
    reg.RegSetValueExA(key, "more", 0, REG_BINARY, data.data(), 1);
    std::string why;
    EXPECT_FALSE(batch.commit(&why));
    EXPECT_EQ(why, "disk full");
    reg.RegCloseKey(key);
}

TEST(FakeRegistry, VersionNeedsTheRecordSize)
{
    FakeRegistry reg;
    OSVERSIONINFOA info;
    EXPECT_FALSE(reg.GetVersionExA(&info)); // size not set
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(reg.GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
    reg.setPlatformId(1);
    ASSERT_TRUE(reg.GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, 1u);
    reg.failGetVersion(true);
    EXPECT_FALSE(reg.GetVersionExA(&info));
}

} // namespace
} // namespace tessivar::test
