// tessivar-cli repair, then tessivar-cli restore, on a copy of a real Wine prefix with crafted
// broken entries and shortcuts: afterwards Wine exports HKLM and HKCU as before, and every
// shortcut is back byte for byte.

#include "engine/section_list.h"
#include "platform/wine/settings_file.h"
#include "platform/wine/wine_file_system.h"
#include "platform/wine/wine_registry.h"
#include "settings/settings_store.h"
#include "support/fake_host.h"
#include "support/null_platform.h"
#include "support/shell_link_builder.h"
#include "support/temp_dir.h"
#include "support/temp_prefix.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/wait.h>

namespace tessivar {
namespace {

namespace fs = std::filesystem;

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int shell(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Each key's section of a `reg export`, by the key's line.
using Sections = std::map<std::string, std::string>;

Sections sectionsOf(const std::string& utf16)
{
    std::string text;
    for (std::size_t i = 2; i + 1 < utf16.size(); i += 2)
        text += utf16[i + 1] == 0 ? utf16[i] : '?';
    Sections sections;
    std::string current;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] == '[')
            current = line;
        sections[current] += line + "\n";
    }
    return sections;
}

struct Exports {
    Sections hklm;
    Sections hkcu;
};

class RepairOnWine {
  public:
    RepairOnWine(const fs::path& source, const fs::path& scratch) : m_scratch(scratch), m_prefix(scratch / "prefix")
    {
        fs::copy(source, m_prefix, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        fs::create_directories(scratch / "config");
        fs::create_directories(scratch / "data");
    }

    const fs::path& prefix() const { return m_prefix; }

    std::string environment() const
    {
        return "WINEPREFIX=" + quoted(m_prefix.string()) +
               " XDG_CONFIG_HOME=" + quoted((m_scratch / "config").string()) +
               " XDG_DATA_HOME=" + quoted((m_scratch / "data").string()) +
               " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' DISPLAY= ";
    }

    void stopWine() const
    {
        shell(environment() + "wineserver -k >/dev/null 2>&1; " + environment() + "wineserver -w >/dev/null 2>&1");
    }

    // One Wine session exporting both hives.
    Exports exportHives() const
    {
        const fs::path hklm = m_scratch / "hklm.reg";
        const fs::path hkcu = m_scratch / "hkcu.reg";
        fs::remove(hklm);
        fs::remove(hkcu);
        shell(environment() + "wine cmd /c \"reg export HKLM Z:" + hklm.string() +
              " /y & reg export HKCU Z:" + hkcu.string() + " /y\" >/dev/null 2>&1 </dev/null");
        stopWine();
        return Exports{sectionsOf(readAll(hklm)), sectionsOf(readAll(hkcu))};
    }

    int cli(const std::string& arguments, std::string* output) const
    {
        const fs::path out = m_scratch / "cli.txt";
        const int code = shell(environment() + quoted(TESSIVAR_CLI) + " " + arguments + " >" + quoted(out.string()) +
                               " 2>&1 </dev/null");
        *output = readAll(out);
        return code;
    }

  private:
    fs::path m_scratch;
    fs::path m_prefix;
};

void storeValue(Registry& registry, HKEY hive, const std::string& path, const std::string& name, std::uint32_t type,
                const std::string& bytes)
{
    HKEY key = 0;
    std::uint32_t disposition = 0;
    registry.RegCreateKeyExA(hive, path, 0, nullptr, 0, KEY_ALL_ACCESS, &key, &disposition);
    registry.setRawValue(key, name, type, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    registry.RegCloseKey(key);
}

std::string utf16z(const std::string& text)
{
    return test::Utf8ToUtf16(text) + std::string(2, '\0');
}

// Broken values of several sections and forms, and the section choice: every registry section and
// drive C (Z: is the whole Unix file system).
void craft(const fs::path& prefix, const fs::path& settingsFile)
{
    wine::WineRegistry registry(prefix);
    {
        RegistryBatch batch(registry);
        const std::string appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
        storeValue(registry, HKEY_LOCAL_MACHINE, appPaths + "\\gone.exe", "", REG_SZ, utf16z("C:\\Gone\\gone.exe"));
        storeValue(registry, HKEY_LOCAL_MACHINE, appPaths + "\\gone.exe", "(Default)", REG_SZ, utf16z("literal"));
        storeValue(registry, HKEY_LOCAL_MACHINE, appPaths + "\\multi.exe", "", REG_MULTI_SZ,
                   test::Utf8ToUtf16(std::string("C:\\Gone\\multi.exe\0second\0\0", 27)));
        storeValue(registry, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\Sub", "GoneApp",
                   REG_SZ, utf16z("\"C:\\Gone\\app.exe\" /background"));
        storeValue(registry, HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gone",
                   "UninstallString", REG_SZ, utf16z("C:\\Gone\\uninst.exe"));
        ASSERT_TRUE(batch.commit(nullptr));
    }
    wine::WineFileSystem files(prefix);
    wine::SettingsFile backend(settingsFile, kProductName);
    SettingsStore settings(backend);
    test::FixedClock clock;
    test::FakeHost host;
    ScanModel model;
    ScanContext context{registry, files, settings, clock, host, model};
    LoadlvwRegistryvaluesScanValues(context);
    for (std::size_t i = 0; i < model.lvwRegistryvaluesScan.size(); ++i) {
        const std::string text = model.lvwRegistryvaluesScan[i].ListText;
        lvwRegistryvaluesScan_ItemCheck(context, i,
                                        text.rfind("Window Shortcut ", 0) != 0 || text == "Window Shortcut C");
    }
}

// Wine rewrites a few volatile keys at every start (display adapters under fresh GUIDs, driver
// dates), so two exports of an untouched prefix differ there. Every section two untouched exports
// agree on must come back exactly, and the number of sections too.
void expectSame(const Sections& before, const Sections& beforeAgain, const Sections& after, const char* hive)
{
    EXPECT_EQ(after.size(), before.size()) << hive;
    std::size_t compared = 0;
    for (const auto& [name, content] : before) {
        const auto again = beforeAgain.find(name);
        if (again == beforeAgain.end() || again->second != content)
            continue;
        ++compared;
        const auto found = after.find(name);
        if (found == after.end())
            ADD_FAILURE() << hive << ": section gone after restore: " << name;
        else
            EXPECT_EQ(found->second, content) << hive << ": " << name;
    }
    EXPECT_GT(compared, before.size() / 2) << hive;
}

TEST(RepairOnWinePrefix, RepairThenRestoreGivesBackWhatWineExports)
{
    const auto source = test::testWinePrefix();
    if (!source)
        GTEST_SKIP() << "TESSIVAR_TEST_WINEPREFIX is not set";
    if (shell("command -v wine >/dev/null 2>&1 && command -v wineserver >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "Wine is not installed";
    test::TempDir scratch;
    RepairOnWine wine(*source, scratch.path());
    // The first start of Wine in a copy rewrites device keys; let it happen before anything counts.
    wine.exportHives();
    craft(wine.prefix(), scratch.path() / "config" / "tessivar" / "settings.ini");

    std::map<fs::path, std::string> shortcuts;
    const fs::path publicFolder = wine.prefix() / "drive_c" / "users" / "Public";
    test::LinkDesign design;
    design.localBasePath = "C:\\Gone\\app.exe";
    shortcuts[publicFolder / "Desktop" / "Gone.lnk"] = test::BuildShellLink(design);
    design.localBasePath = "C:\\Gone\\other.exe";
    shortcuts[publicFolder / "Documents" / "Gone.lnk"] = test::BuildShellLink(design);
    for (const auto& [path, bytes] : shortcuts) {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    const Exports before = wine.exportHives();
    const Exports beforeAgain = wine.exportHives();
    ASSERT_FALSE(before.hklm.empty());
    ASSERT_FALSE(before.hkcu.empty());

    std::string output;
    ASSERT_EQ(wine.cli("repair", &output), 0) << output;
    for (const auto& [path, bytes] : shortcuts)
        EXPECT_FALSE(fs::exists(path)) << path << "\n" << output;
    const auto at = output.find("backup: ");
    ASSERT_NE(at, std::string::npos) << output;
    const std::string name = output.substr(at + 8, output.find(" in ", at) - at - 8);

    ASSERT_EQ(wine.cli(quoted("restore") + " " + quoted(name), &output), 0) << output;
    const Exports after = wine.exportHives();
    expectSame(before.hklm, beforeAgain.hklm, after.hklm, "HKLM");
    expectSame(before.hkcu, beforeAgain.hkcu, after.hkcu, "HKCU");
    for (const auto& [path, bytes] : shortcuts)
        EXPECT_EQ(readAll(path), bytes) << path;
}

} // namespace
} // namespace tessivar
