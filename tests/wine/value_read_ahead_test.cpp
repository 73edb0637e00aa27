// Values may be decoded on a second thread while a walk reads them: what the walk reads, and what
// a change right after the request leaves behind, must not depend on how far that thread got.

#include "platform/wine/reg_file.h"
#include "platform/wine/wine_registry.h"
#include "support/synthetic_registry.h"
#include "support/temp_dir.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace tessivar::wine {
namespace {

// Every value below `path` as "path|name|type|data" lines, in the order a depth-first walk reads them.
void collect(WineRegistry& registry, HKEY hive, const std::string& path, std::vector<std::string>& out)
{
    HKEY key = 0;
    if (registry.RegOpenKeyExA(hive, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (std::uint32_t i = 0;; ++i) {
        char name[256];
        std::uint32_t length = sizeof name;
        std::uint8_t data[2048];
        std::uint32_t size = sizeof data;
        std::uint32_t type = 0;
        if (registry.RegEnumValueA(key, i, name, &length, &type, data, &size) != ERROR_SUCCESS)
            break;
        out.push_back(path + "|" + std::string(name, length) + "|" + std::to_string(type) + "|" +
                      std::string(reinterpret_cast<const char*>(data), size));
    }
    for (std::uint32_t i = 0;; ++i) {
        char name[256];
        std::uint32_t length = sizeof name;
        if (registry.RegEnumKeyExA(key, i, name, &length, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (!registry.isLinkKey(key, std::string_view(name, length)))
            collect(registry, hive, path + "\\" + std::string(name, length), out);
    }
    registry.RegCloseKey(key);
}

class ValueReadAheadTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        test::SyntheticRegistryOptions options;
        options.valueCount = 20000;
        std::filesystem::create_directories(prefix());
        ASSERT_GT(test::writeSyntheticRegistry(m_temp.path() / "prefix" / "system.reg", options).bytes, 0u);
    }
    std::filesystem::path prefix() const { return m_temp.path() / "prefix"; }
    test::TempDir m_temp;
};

TEST_F(ValueReadAheadTest, AWalkReadsTheSameValuesWithOrWithoutIt)
{
    std::vector<std::string> plain;
    {
        WineRegistry registry(prefix());
        collect(registry, HKEY_LOCAL_MACHINE, "Software", plain);
    }
    ASSERT_GT(plain.size(), 10000u);
    // The same subtree asked for twice, through HKCR as well, and keys that do not exist.
    WineRegistry registry(prefix());
    registry.readAheadValues(HKEY_LOCAL_MACHINE, "Software", true);
    registry.readAheadValues(HKEY_CLASSES_ROOT, "CLSID", true);
    registry.readAheadValues(HKEY_LOCAL_MACHINE, "Software\\Classes", false);
    registry.readAheadValues(HKEY_LOCAL_MACHINE, "No\\Such\\Key", true);
    registry.readAheadValues(HKEY_USERS, "", true);
    std::vector<std::string> ahead;
    collect(registry, HKEY_LOCAL_MACHINE, "Software", ahead);
    EXPECT_EQ(ahead, plain);
}

std::string readText(WineRegistry& registry, const char* path, const char* name)
{
    HKEY key = 0;
    if (registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "(no key)";
    char data[512] = {};
    std::uint32_t size = sizeof data - 1;
    const LSTATUS status = registry.RegQueryValueExA(key, name, nullptr, reinterpret_cast<std::uint8_t*>(data), &size);
    registry.RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(data) : "(no value)";
}

// Each change is made while the second thread is busy with the tree it changes, and saved at once
// (the file is read back into a new tree afterwards).
TEST_F(ValueReadAheadTest, ChangesMadeWhileItRunsAreAllThere)
{
    const std::vector<std::function<void(WineRegistry&)>> changes = {
        [](WineRegistry& r) {
            HKEY key = 0;
            ASSERT_EQ(r.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Zz\\New", 0, nullptr, 0, KEY_ALL_ACCESS, &key,
                                        nullptr),
                      ERROR_SUCCESS);
            const std::string text = "C:\\set.exe";
            ASSERT_EQ(r.RegSetValueExA(key, "Added", 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                                       static_cast<std::uint32_t>(text.size() + 1)),
                      ERROR_SUCCESS);
            r.RegCloseKey(key);
        },
        [](WineRegistry& r) {
            ASSERT_EQ(r.RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID"), ERROR_SUCCESS);
        },
    };
    for (int round = 0; round < 3; ++round) {
        test::TempDir copy;
        std::filesystem::copy(prefix(), copy.path() / "prefix", std::filesystem::copy_options::recursive);
        WineRegistry registry(copy.path() / "prefix");
        for (const auto& change : changes) {
            registry.readAheadValues(HKEY_LOCAL_MACHINE, "Software", true);
            if (round > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(round));
            change(registry);
        }
        EXPECT_EQ(readText(registry, "Software\\Zz\\New", "Added"), "C:\\set.exe");
        EXPECT_EQ(readText(registry, "Software\\Classes\\CLSID", ""), "(no key)");
        WineRegistry reread(copy.path() / "prefix");
        EXPECT_EQ(readText(reread, "Software\\Zz\\New", "Added"), "C:\\set.exe");
        EXPECT_EQ(readText(reread, "Software\\Classes\\CLSID", ""), "(no key)");
    }
}

TEST_F(ValueReadAheadTest, KeysDecodedByTwoThreadsAtOnceHoldTheirValuesOnce)
{
    const std::string text = m_temp.read("prefix/system.reg");
    auto reference = RegFile::parse(text, "system.reg", 0);
    auto shared = RegFile::parse(text, "system.reg", 0);
    std::vector<std::pair<RegKey*, RegKey*>> keys; // (shared, reference), depth first
    std::vector<std::pair<RegKey*, RegKey*>> pending = {{&shared->root(), &reference->root()}};
    while (!pending.empty()) {
        const auto [key, twin] = pending.back();
        pending.pop_back();
        keys.push_back({key, twin});
        ASSERT_EQ(key->childCount(), twin->childCount());
        for (std::size_t i = 0; i < key->childCount(); ++i)
            pending.push_back({key->child(i), twin->child(i)});
    }
    std::thread other([&keys] {
        for (auto it = keys.rbegin(); it != keys.rend(); ++it)
            it->first->values();
    });
    for (const auto& [key, twin] : keys)
        key->values();
    other.join();
    for (const auto& [key, twin] : keys) {
        ASSERT_EQ(key->values().size(), twin->values().size());
        for (std::size_t i = 0; i < key->values().size(); ++i) {
            EXPECT_EQ(key->values()[i].name, twin->values()[i].name);
            EXPECT_EQ(key->values()[i].data, twin->values()[i].data);
        }
    }
}

} // namespace
} // namespace tessivar::wine
