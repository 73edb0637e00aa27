// WineRegistry against Wine itself, on a copy of a real prefix: both read the same keys, values,
// types and data, and a value added here is what Wine then sees, with nothing else changed.

#include "platform/wine/reg_text.h"
#include "platform/wine/wine_registry.h"
#include "support/temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace tessivar::wine {
namespace {

struct SeenValue {
    std::string type;
    std::string data;
    bool operator==(const SeenValue&) const = default;
};
using SeenKeys = std::map<std::string, std::map<std::string, SeenValue>>;

std::string run(const std::string& command)
{
    std::string output;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, got);
        ::pclose(pipe);
    }
    return output;
}

class WineInteropTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        const char* source = std::getenv("TESSIVAR_TEST_WINEPREFIX");
        if (!source || !*source)
            GTEST_SKIP() << "TESSIVAR_TEST_WINEPREFIX is not set: no Wine prefix to compare with";
        if (run("command -v wine").empty() || run("command -v wineserver").empty())
            GTEST_SKIP() << "Wine is not installed";
        std::filesystem::copy(source, prefix(),
                              std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
    }

    std::filesystem::path prefix() const { return m_temp.path() / "prefix"; }

    std::string wine(const std::string& arguments, const std::filesystem::path& where)
    {
        const std::string env = "WINEPREFIX='" + where.string() + "' WINEDEBUG=-all ";
        std::string output = run(env + "wine " + arguments + " 2>/dev/null");
        run(env + "wineserver -k 2>/dev/null; " + env + "wineserver -w 2>/dev/null");
        return output;
    }

    // Parses the listing of `reg query ... /s`.
    static SeenKeys parseQuery(const std::string& output)
    {
        SeenKeys keys;
        std::istringstream lines(output);
        std::string line;
        std::string current;
        while (std::getline(lines, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.rfind("HKEY_", 0) == 0) {
                current = line;
                keys[current];
            } else if (line.rfind("    ", 0) == 0 && !current.empty()) {
                const std::size_t typeAt = line.find("    REG_", 4);
                if (typeAt == std::string::npos)
                    continue;
                const std::string name = line.substr(4, typeAt - 4);
                const std::size_t dataAt = line.find("    ", typeAt + 4);
                const std::string type =
                    line.substr(typeAt + 4, dataAt == std::string::npos ? std::string::npos : dataAt - typeAt - 4);
                const std::string data = dataAt == std::string::npos ? "" : line.substr(dataAt + 4);
                keys[current][name] = SeenValue{type, data};
            }
        }
        return keys;
    }

    // The same listing made from WineRegistry, in reg.exe's notation.
    static void collect(WineRegistry& registry, HKEY root, const std::string& rootName, const std::string& path,
                        SeenKeys& keys)
    {
        HKEY key = 0;
        if (registry.RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return;
        const std::string full = rootName + "\\" + path;
        auto& values = keys[full];
        char name[16384];
        for (std::uint32_t i = 0;; ++i) {
            std::uint32_t length = sizeof name;
            std::uint32_t type = 0;
            std::vector<std::uint8_t> raw;
            if (registry.RegEnumValueA(key, i, name, &length, &type, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            const std::string valueName(name, length);
            registry.queryRawValue(key, valueName, &type, &raw);
            values[valueName.empty() ? "(Default)" : valueName] = describe(type, raw);
        }
        std::vector<std::string> children;
        for (std::uint32_t i = 0;; ++i) {
            std::uint32_t length = sizeof name;
            if (registry.RegEnumKeyExA(key, i, name, &length, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            children.emplace_back(name, length);
        }
        registry.RegCloseKey(key);
        for (const auto& child : children)
            collect(registry, root, rootName, path + "\\" + child, keys);
    }

    static SeenValue describe(std::uint32_t type, const std::vector<std::uint8_t>& raw)
    {
        static const std::map<std::uint32_t, std::string> kNames{
            {0, "REG_NONE"},  {1, "REG_SZ"},       {2, "REG_EXPAND_SZ"}, {3, "REG_BINARY"},
            {4, "REG_DWORD"}, {7, "REG_MULTI_SZ"}, {11, "REG_QWORD"}};
        const auto found = kNames.find(type);
        SeenValue seen{found == kNames.end() ? "other" : found->second, {}};
        const std::string bytes(raw.begin(), raw.end());
        char buffer[32];
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            const std::string text = utf16ToUtf8(bytesToUtf16(bytes));
            seen.data = text.substr(0, text.find('\0'));
        } else if (type == REG_MULTI_SZ) {
            std::string text = utf16ToUtf8(bytesToUtf16(bytes));
            while (text.size() >= 2 && text.compare(text.size() - 2, 2, std::string(2, '\0')) == 0)
                text.resize(text.size() - 1);
            if (!text.empty() && text.back() == '\0')
                text.pop_back();
            for (char c : text)
                seen.data += c ? std::string(1, c) : std::string("\\0");
        } else if (type == REG_DWORD && raw.size() == 4) {
            std::snprintf(buffer, sizeof buffer, "0x%x",
                          raw[0] | (raw[1] << 8) | (raw[2] << 16) | (static_cast<unsigned>(raw[3]) << 24));
            seen.data = buffer;
        } else {
            for (std::uint8_t b : raw) {
                std::snprintf(buffer, sizeof buffer, "%02X", b);
                seen.data += buffer;
            }
        }
        return seen;
    }

    test::TempDir m_temp;
};

bool isAscii(const std::string& text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

TEST_F(WineInteropTest, ReadsTheSameKeysValuesTypesAndDataAsWineRegQuery)
{
    struct Root {
        HKEY key;
        const char* name;
        const char* path;
    };
    for (const Root& root :
         {Root{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "Software\\Microsoft\\Windows\\CurrentVersion"},
          Root{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "Software\\Classes\\CLSID"},
          Root{HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "Software\\Microsoft"}}) {
        SCOPED_TRACE(root.path);
        SeenKeys ours;
        {
            WineRegistry registry(prefix());
            collect(registry, root.key, root.name, root.path, ours);
        }
        const SeenKeys theirs =
            parseQuery(wine(std::string("reg query '") + root.name + "\\" + root.path + "' /s", prefix()));
        ASSERT_GT(theirs.size(), 5u) << "wine reg query gave no listing";
        std::size_t compared = 0;
        for (const auto& [key, values] : theirs) {
            if (!isAscii(key))
                continue;
            const auto mine = ours.find(key);
            ASSERT_NE(mine, ours.end()) << key;
            for (const auto& [name, value] : values) {
                if (!isAscii(name) || !isAscii(value.data) || value.type == "other")
                    continue;
                const auto found = mine->second.find(name);
                ASSERT_NE(found, mine->second.end()) << key << " " << name;
                EXPECT_EQ(found->second.type, value.type) << key << " " << name;
                EXPECT_EQ(found->second.data, value.data) << key << " " << name;
                ++compared;
            }
            EXPECT_EQ(mine->second.size(), values.size()) << key;
        }
        EXPECT_GT(compared, 0u);
        // reg.exe leaves out the name of a key that has no values of its own.
        for (const auto& [key, values] : ours)
            EXPECT_TRUE(!isAscii(key) || values.empty() || theirs.count(key)) << "Wine does not list " << key;
    }
}

TEST_F(WineInteropTest, AddedValueIsSeenByWineAndNothingElseChangesMeaning)
{
    const std::filesystem::path untouched = m_temp.path() / "untouched";
    std::filesystem::copy(prefix(), untouched,
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::copy_symlinks);
    {
        WineRegistry registry(prefix());
        HKEY key = 0;
        ASSERT_EQ(registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\TessivarProbe", 0, nullptr, 0, KEY_ALL_ACCESS,
                                           &key, nullptr),
                  ERROR_SUCCESS);
        const char text[] = "C:\\Program Files\\Probe \"quoted\"\\probe.exe";
        ASSERT_EQ(
            registry.RegSetValueExA(key, "Probe", 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(text), sizeof text),
            ERROR_SUCCESS);
        const std::uint32_t number = 0xFFFFFFFF;
        ASSERT_EQ(
            registry.RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&number), 4),
            ERROR_SUCCESS);
        registry.RegCloseKey(key);
    }
    const SeenKeys seen = parseQuery(wine("reg query 'HKEY_LOCAL_MACHINE\\Software\\TessivarProbe'", prefix()));
    const auto probe = seen.find("HKEY_LOCAL_MACHINE\\Software\\TessivarProbe");
    ASSERT_NE(probe, seen.end());
    EXPECT_EQ(probe->second.at("Probe"), (SeenValue{"REG_SZ", "C:\\Program Files\\Probe \"quoted\"\\probe.exe"}));
    EXPECT_EQ(probe->second.at("Number"), (SeenValue{"REG_DWORD", "0xffffffff"}));

    auto exportOf = [this](const std::filesystem::path& where, const char* root) {
        const auto file = m_temp.path() / "export.reg";
        wine(std::string("regedit /E '") + file.string() + "' '" + root + "'", where);
        const std::string bytes = m_temp.read("export.reg");
        std::filesystem::remove(file);
        // UTF-16LE with a BOM; split into one block per key, dropping the probe's own block.
        std::istringstream text(utf16ToUtf8(bytesToUtf16(bytes.size() >= 2 ? bytes.substr(2) : bytes)));
        std::vector<std::string> blocks(1);
        std::string line;
        while (std::getline(text, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.empty())
                blocks.emplace_back();
            else
                blocks.back() += line + "\n";
        }
        std::erase_if(blocks, [](const std::string& block) {
            return block.empty() || block.rfind("[HKEY_LOCAL_MACHINE\\Software\\TessivarProbe]", 0) == 0;
        });
        return blocks;
    };
    // Only system.reg was written; its whole software branch must export as before.
    const auto before = exportOf(untouched, "HKEY_LOCAL_MACHINE\\Software");
    const auto after = exportOf(prefix(), "HKEY_LOCAL_MACHINE\\Software");
    ASSERT_GT(before.size(), 10u);
    EXPECT_TRUE(before == after) << before.size() << " blocks before, " << after.size() << " after";
}

} // namespace
} // namespace tessivar::wine
