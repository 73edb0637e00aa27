#include "platform/wine/wine_registry.h"
#include "support/temp_dir.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tessivar::wine {
namespace {

const std::string kMachineHead =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";
const std::string kUserHead =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n";
const std::string kDefaultHead =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\.Default\n\n#arch=win64\n";

std::string linkValue(const std::string& target)
{
    std::string line = "\"SymbolicLinkValue\"=hex(6):";
    for (std::size_t i = 0; i < target.size(); ++i) {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "%02x,00", static_cast<unsigned char>(target[i]));
        line += buffer;
        if (i + 1 < target.size())
            line += ',';
    }
    return line + "\n";
}

const std::string kSystem =
    kMachineHead +
    "\n[Software\\\\Classes\\\\.txt] 1700000000\n#time=1da1747c66d0000\n@=\"txtfile\"\n"
    "\n[Software\\\\Classes\\\\Both] 1700000000\n#time=1da1747c66d0000\n\"From\"=\"machine\"\n"
    "\n[Software\\\\Loop\\\\A] 1700000000\n#time=1da1747c66d0000\n#link\n" +
    linkValue("\\Registry\\Machine\\Software\\Loop\\B") +
    "\n[Software\\\\Loop\\\\B] 1700000000\n#time=1da1747c66d0000\n#link\n" +
    linkValue("\\Registry\\Machine\\Software\\Loop\\A") +
    "\n[Software\\\\Missing] 1700000000\n#time=1da1747c66d0000\n#link\n" +
    linkValue("\\Registry\\Machine\\Software\\Nowhere") +
    "\n[Software\\\\Tessivar] 1700000000\n#time=1da1747c66d0000\n\"Path\"=\"C:\\\\app.exe\"\n"
    "\"Big\"=hex:" +
    std::string("00,") +
    "01\n"
    "\n[Software\\\\Tessivar\\\\Sub] 1700000000\n#time=1da1747c66d0000\n\"x\"=dword:00000001\n"
    "\n[Software\\\\ToUser] 1700000000\n#time=1da1747c66d0000\n#link\n" +
    linkValue("\\REGISTRY\\USER\\S-1-5-21-0-0-0-1000\\Software\\Target") +
    "\n[System\\\\CurrentControlSet\\\\Hardware Profiles\\\\Current\\\\Software\\\\Fonts] 1700000000\n"
    "#time=1da1747c66d0000\n\"LogPixels\"=dword:00000060\n";

const std::string kUser = kUserHead +
                          "\n[Software\\\\Classes\\\\Both] 1700000000\n#time=1da1747c66d0000\n\"From\"=\"user\"\n"
                          "\n[Software\\\\Classes\\\\.usercls] 1700000000\n#time=1da1747c66d0000\n@=\"x\"\n"
                          "\n[Software\\\\Target] 1700000000\n#time=1da1747c66d0000\n\"Where\"=\"user.reg\"\n"
                          "\n[Software\\\\ToMachine] 1700000000\n#time=1da1747c66d0000\n#link\n" +
                          linkValue("\\Registry\\Machine\\Software\\Tessivar");

const std::string kDefault =
    kDefaultHead + "\n[Control Panel] 1700000000\n#time=1da1747c66d0000\n\"Who\"=\"default\"\n";

class WineRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        m_temp.write("prefix/system.reg", kSystem);
        m_temp.write("prefix/user.reg", kUser);
        m_temp.write("prefix/userdef.reg", kDefault);
    }
    std::filesystem::path prefix() const { return m_temp.path() / "prefix"; }
    std::string file(const std::string& name) const { return m_temp.read("prefix/" + name); }

    static std::string queryText(Registry& registry, HKEY root, const char* path, const char* name)
    {
        HKEY key = 0;
        if (registry.RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return "<no key>";
        char data[256] = {};
        std::uint32_t size = sizeof data;
        std::uint32_t type = 0;
        const LSTATUS status =
            registry.RegQueryValueExA(key, name, &type, reinterpret_cast<std::uint8_t*>(data), &size);
        registry.RegCloseKey(key);
        if (status != ERROR_SUCCESS)
            return "<no value>";
        return std::string(data, size > 0 && data[size - 1] == '\0' ? size - 1 : size);
    }

    test::TempDir m_temp;
};

TEST_F(WineRegistryTest, HivesMapToTheirFilesAsWineComposesThem)
{
    WineRegistry registry(prefix());
    EXPECT_EQ(queryText(registry, HKEY_LOCAL_MACHINE, "Software\\Tessivar", "Path"), "C:\\app.exe");
    EXPECT_EQ(queryText(registry, HKEY_CURRENT_USER, "Software\\Target", "Where"), "user.reg");
    EXPECT_EQ(queryText(registry, HKEY_USERS, "S-1-5-21-0-0-0-1000\\Software\\Target", "Where"), "user.reg");
    EXPECT_EQ(queryText(registry, HKEY_USERS, ".DEFAULT\\Control Panel", "Who"), "default");
    EXPECT_EQ(queryText(registry, HKEY_CLASSES_ROOT, ".txt", nullptr), "txtfile");
    // Wine does not merge the user's classes into HKCR.
    EXPECT_EQ(queryText(registry, HKEY_CLASSES_ROOT, "Both", "From"), "machine");
    EXPECT_EQ(queryText(registry, HKEY_CLASSES_ROOT, ".usercls", nullptr), "<no key>");
    HKEY fonts = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_CURRENT_CONFIG, "Software\\Fonts", 0, KEY_READ, &fonts), ERROR_SUCCESS);
    std::uint32_t dpi = 0;
    std::uint32_t size = sizeof dpi;
    EXPECT_EQ(registry.RegQueryValueExA(fonts, "LogPixels", nullptr, reinterpret_cast<std::uint8_t*>(&dpi), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(dpi, 0x60u);
    registry.RegCloseKey(fonts);
    EXPECT_EQ(queryText(registry, HKEY_DYN_DATA, "Anything", "x"), "<no key>");

    char name[256];
    std::uint32_t length = sizeof name;
    std::vector<std::string> users;
    for (std::uint32_t i = 0;
         length = sizeof name, registry.RegEnumKeyExA(HKEY_USERS, i, name, &length, nullptr, nullptr) == ERROR_SUCCESS;
         ++i)
        users.emplace_back(name, length);
    EXPECT_EQ(users, (std::vector<std::string>{".Default", "S-1-5-21-0-0-0-1000"}));
}

TEST_F(WineRegistryTest, LinksAreFollowedAcrossFilesAndBrokenOnesAreNotFound)
{
    WineRegistry registry(prefix());
    EXPECT_EQ(queryText(registry, HKEY_CURRENT_USER, "Software\\ToMachine", "Path"), "C:\\app.exe");
    EXPECT_EQ(queryText(registry, HKEY_CURRENT_USER, "software\\tomachine\\SUB", "none"), "<no value>");
    EXPECT_EQ(queryText(registry, HKEY_LOCAL_MACHINE, "Software\\ToUser", "Where"), "user.reg");
    HKEY key = 0;
    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Loop\\A", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Missing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "\\Software", 0, KEY_READ, &key), 161);

    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_FALSE(registry.isLinkKey(key, "loop"));
    EXPECT_TRUE(registry.isLinkKey(key, "MISSING"));
    EXPECT_TRUE(registry.isLinkKey(key, "ToUser"));
    EXPECT_FALSE(registry.isLinkKey(key, "Tessivar"));
    EXPECT_FALSE(registry.isLinkKey(key, "Absent"));
    registry.RegCloseKey(key);
}

TEST_F(WineRegistryTest, WriteThroughALinkLandsInTheTargetFile)
{
    WineRegistry registry(prefix());
    HKEY key = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ToMachine", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const char data[] = "through";
    ASSERT_EQ(registry.RegSetValueExA(key, "Via", 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(data), sizeof data),
              ERROR_SUCCESS);
    registry.RegCloseKey(key);
    EXPECT_NE(file("system.reg").find("\"Via\"=\"through\""), std::string::npos);
    EXPECT_EQ(file("user.reg"), kUser);
}

TEST_F(WineRegistryTest, DeletingALinkDeletesTheLinkNotItsTarget)
{
    WineRegistry registry(prefix());
    ASSERT_EQ(registry.RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\ToMachine"), ERROR_SUCCESS);
    EXPECT_EQ(file("system.reg"), kSystem);
    EXPECT_EQ(file("user.reg").find("ToMachine"), std::string::npos);
    EXPECT_EQ(queryText(registry, HKEY_LOCAL_MACHINE, "Software\\Tessivar", "Path"), "C:\\app.exe");
}

TEST_F(WineRegistryTest, BuffersThatAreTooSmallAskForMoreAndNamesAreUtf8)
{
    WineRegistry registry(prefix());
    HKEY key = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(registry.RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Caf\xc3\xa9", 0, nullptr, 0, KEY_ALL_ACCESS, &key,
                                       &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const char text[] = "\xe4\xb8\xad";
    ASSERT_EQ(registry.RegSetValueExA(key, "N\xc3\xa4me", 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(text),
                                      sizeof text),
              ERROR_SUCCESS);
    // Stored as UTF-16 with its terminator, as Wine stores it.
    std::uint32_t type = 0;
    std::vector<std::uint8_t> raw;
    ASSERT_EQ(registry.queryRawValue(key, "n\xc3\x84me", &type, &raw), ERROR_SUCCESS);
    EXPECT_EQ(raw, (std::vector<std::uint8_t>{0x2d, 0x4e, 0, 0}));

    char name[256];
    std::uint32_t nameLength = 3;
    std::uint8_t data[256];
    std::uint32_t size = 2;
    EXPECT_EQ(registry.RegEnumValueA(key, 0, name, &nameLength, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(nameLength, 6u);
    nameLength = sizeof name;
    EXPECT_EQ(registry.RegEnumValueA(key, 0, name, &nameLength, &type, data, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    size = sizeof data;
    ASSERT_EQ(registry.RegEnumValueA(key, 0, name, &nameLength, &type, data, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, nameLength), "N\xc3\xa4me");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), std::string(text, sizeof text));
    EXPECT_EQ(registry.RegEnumValueA(key, 1, name, &nameLength, &type, data, &size), ERROR_NO_MORE_ITEMS);
    registry.RegCloseKey(key);

    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key), ERROR_SUCCESS);
    nameLength = 4;
    EXPECT_EQ(registry.RegEnumKeyExA(key, 0, name, &nameLength, nullptr, nullptr), ERROR_MORE_DATA);
    EXPECT_EQ(nameLength, 6u);
    nameLength = sizeof name;
    ASSERT_EQ(registry.RegEnumKeyExA(key, 0, name, &nameLength, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, nameLength), "Caf\xc3\xa9");
    registry.RegCloseKey(key);
    EXPECT_NE(file("user.reg").find("[Software\\\\Caf\\xe9] "), std::string::npos);
    EXPECT_NE(file("user.reg").find("\"N\\xe4me\"=\"\\x4e2d\"\n"), std::string::npos);
}

TEST_F(WineRegistryTest, LoneSurrogateNamesAndRawDataSurviveExactly)
{
    WineRegistry registry(prefix());
    const std::string loneName = "a\xed\xb0\x80"; // WTF-8 of U+DC00
    HKEY key = 0;
    ASSERT_EQ(registry.RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\" + loneName, 0, nullptr, 0, KEY_ALL_ACCESS, &key,
                                       nullptr),
              ERROR_SUCCESS);
    const std::vector<std::uint8_t> odd{0x41, 0x00, 0x00, 0xd8, 0x7f};
    ASSERT_EQ(registry.setRawValue(key, loneName, REG_SZ, odd), ERROR_SUCCESS);
    registry.RegCloseKey(key);

    WineRegistry reread(prefix());
    ASSERT_EQ(reread.RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\" + loneName, 0, KEY_READ, &key), ERROR_SUCCESS);
    std::uint32_t type = 0;
    std::vector<std::uint8_t> raw;
    ASSERT_EQ(reread.queryRawValue(key, loneName, &type, &raw), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(raw, odd);
    char name[256];
    std::uint32_t length = sizeof name;
    ASSERT_EQ(reread.RegEnumValueA(key, 0, name, &length, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, length), loneName);
}

TEST_F(WineRegistryTest, HandlesOfDeletedKeysSayDeletedAndOthersSurviveSaves)
{
    WineRegistry registry(prefix());
    HKEY sub = 0;
    HKEY parent = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tessivar\\Sub", 0, KEY_ALL_ACCESS, &sub),
              ERROR_SUCCESS);
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tessivar", 0, KEY_ALL_ACCESS, &parent),
              ERROR_SUCCESS);
    EXPECT_EQ(registry.RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Tessivar"), ERROR_ACCESS_DENIED); // has a subkey
    ASSERT_EQ(registry.RegDeleteKeyA(parent, "Sub"), ERROR_SUCCESS);
    std::uint32_t size = 0;
    EXPECT_EQ(registry.RegQueryValueExA(sub, "x", nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_EQ(registry.RegQueryValueExA(parent, "Path", nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(registry.RegCloseKey(sub), ERROR_SUCCESS);
    EXPECT_EQ(registry.RegCloseKey(sub), ERROR_INVALID_HANDLE);
    EXPECT_EQ(registry.RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    // The parent lost its last subkey but keeps its section.
    EXPECT_NE(file("system.reg").find("[Software\\\\Tessivar] "), std::string::npos);

    ASSERT_EQ(registry.RegDeleteTreeA(parent, ""), ERROR_SUCCESS);
    EXPECT_EQ(registry.RegQueryValueExA(parent, "Path", nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(registry.RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Tessivar"), ERROR_SUCCESS);
    EXPECT_EQ(registry.RegQueryValueExA(parent, "Path", nullptr, nullptr, &size), ERROR_KEY_DELETED);
}

TEST_F(WineRegistryTest, OneValueChangeRewritesOnlyThatValueAndItsKeyTimes)
{
    WineRegistry registry(prefix());
    HKEY key = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tessivar\\Sub", 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    const std::uint32_t two = 2;
    ASSERT_EQ(registry.RegSetValueExA(key, "x", 0, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&two), 4),
              ERROR_SUCCESS);
    registry.RegCloseKey(key);
    const std::string after = file("system.reg");
    const std::string oldSection =
        "[Software\\\\Tessivar\\\\Sub] 1700000000\n#time=1da1747c66d0000\n\"x\"=dword:00000001\n";
    const std::size_t at = kSystem.find(oldSection);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(after.substr(0, at), kSystem.substr(0, at));
    const std::string rest = kSystem.substr(at + oldSection.size());
    EXPECT_EQ(after.substr(after.size() - rest.size()), rest);
    const std::string changed = after.substr(at, after.size() - rest.size() - at);
    EXPECT_NE(changed.find("\"x\"=dword:00000002\n"), std::string::npos) << changed;
    EXPECT_EQ(changed.find("1700000000"), std::string::npos) << changed;
}

TEST_F(WineRegistryTest, ABatchSavesOnceWhenTheOutermostBatchEnds)
{
    WineRegistry registry(prefix());
    const ino_t before = std::filesystem::status(prefix() / "system.reg").type() == std::filesystem::file_type::regular
                             ? [this] { struct stat s {}; ::stat((prefix() / "system.reg").c_str(), &s); return s.st_ino; }()
                             : 0;
    registry.beginBatch();
    registry.beginBatch();
    HKEY key = 0;
    ASSERT_EQ(
        registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Batch", 0, nullptr, 0, KEY_ALL_ACCESS, &key, nullptr),
        ERROR_SUCCESS);
    for (int i = 0; i < 200; ++i) {
        const std::string name = "v" + std::to_string(i);
        ASSERT_EQ(registry.RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const std::uint8_t*>("x"), 2),
                  ERROR_SUCCESS);
    }
    EXPECT_TRUE(registry.endBatch(nullptr));
    EXPECT_EQ(file("system.reg"), kSystem);
    std::string why;
    EXPECT_TRUE(registry.endBatch(&why)) << why;
    const std::string saved = file("system.reg");
    EXPECT_NE(saved.find("\"v199\"=\"x\""), std::string::npos);
    struct stat after {};
    ::stat((prefix() / "system.reg").c_str(), &after);
    EXPECT_NE(after.st_ino, before);
    EXPECT_EQ(file("user.reg"), kUser);
    registry.RegCloseKey(key);
}

TEST_F(WineRegistryTest, MissingFilesAreEmptyHivesAndAreCreatedOnWrite)
{
    std::filesystem::remove(prefix() / "userdef.reg");
    WineRegistry registry(prefix());
    HKEY key = 0;
    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_USERS, ".Default\\Control Panel", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(registry.RegCreateKeyExA(HKEY_USERS, ".Default\\New", 0, nullptr, 0, KEY_ALL_ACCESS, &key, nullptr),
              ERROR_SUCCESS);
    registry.RegCloseKey(key);
    const std::string made = file("userdef.reg");
    EXPECT_EQ(made.rfind(kDefaultHead + "\n[New] ", 0), 0u) << made;
}

TEST(WineRegistryPrefix, MissingPrefixReadsEmptyAndRefusesWrites)
{
    test::TempDir temp;
    WineRegistry registry(temp.path() / "absent");
    EXPECT_FALSE(registry.prefixExists());
    HKEY key = 0;
    EXPECT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, &key, nullptr),
              ERROR_ACCESS_DENIED);
    std::string why;
    EXPECT_FALSE(registry.canWrite(&why));
    EXPECT_NE(why.find("does not exist"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(temp.path() / "absent"));
}

TEST_F(WineRegistryTest, VersionComesFromThePrefixOrDefaultsToWindows10)
{
    WineRegistry plain(prefix());
    OSVERSIONINFOA info{};
    EXPECT_FALSE(plain.GetVersionExA(&info));
    info.dwOSVersionInfoSize = sizeof info;
    std::memset(info.szCSDVersion, ' ', sizeof info.szCSDVersion);
    ASSERT_TRUE(plain.GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, 2u);
    EXPECT_EQ(info.dwMajorVersion, 10u);
    EXPECT_EQ(info.dwBuildNumber, 19045u);
    EXPECT_STREQ(info.szCSDVersion, "");

    m_temp.write("prefix/system.reg", kMachineHead +
                                          "\n[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] 1\n"
                                          "\"CSDVersion\"=\"Service Pack 1\"\n\"CurrentBuildNumber\"=\"7601\"\n"
                                          "\"CurrentVersion\"=\"6.1\"\n");
    WineRegistry seven(prefix());
    ASSERT_TRUE(seven.GetVersionExA(&info));
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
    EXPECT_EQ(info.dwBuildNumber, 7601u);
    EXPECT_STREQ(info.szCSDVersion, "Service Pack 1");
}

} // namespace
} // namespace tessivar::wine
