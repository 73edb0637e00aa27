#include "platform/linux/help_site.h"
#include "platform/linux/xdg_autostart.h"
#include "platform/linux/xdg_document_programs.h"
#include "platform/linux/xdg_entries.h"
#include "support/temp_dir.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace tessivar::xdg {
namespace {

// A per-user and a shared data and config folder, all inside one temporary folder.
struct Desktop {
    test::TempDir dir;
    Environment environment;

    Desktop()
    {
        environment.configHome = dir.path() / "config";
        environment.configDirs = {dir.path() / "etc-xdg"};
        environment.dataHome = dir.path() / "data";
        environment.dataDirs = {dir.path() / "share"};
        environment.path = {dir.path() / "bin"};
    }
    std::filesystem::path program(const std::string& name, const std::string& script = "#!/bin/sh\n")
    {
        const auto path = dir.write("bin/" + name, script);
        ::chmod(path.c_str(), 0755);
        return path;
    }
    void entry(const std::string& folder, const std::string& id, const std::string& exec)
    {
        dir.write(folder + "/applications/" + id, "[Desktop Entry]\nType=Application\nExec=" + exec + "\n");
    }
};

TEST(XdgAutostart, WritesAnEntryStartingTheProgramAndRemovesIt)
{
    Desktop d;
    const std::filesystem::path program = d.dir.path() / "my build" / "tessivar";
    XdgAutostart autostart(d.environment.configHome, program);
    ASSERT_TRUE(autostart.writeEntry());
    const std::string text = d.dir.read("config/autostart/tessivar.desktop");
    const auto exec = groupValue(text, "Desktop Entry", "Exec");
    ASSERT_TRUE(exec);
    EXPECT_EQ(execArguments(unescapeValue(*exec)), std::vector<std::string>{program.string()});
    EXPECT_EQ(groupValue(text, "Desktop Entry", "Type"), "Application");

    ASSERT_TRUE(autostart.writeEntry()) << "written again over the old one";
    EXPECT_TRUE(autostart.removeEntry());
    EXPECT_FALSE(std::filesystem::exists(autostart.entryPath()));
    EXPECT_TRUE(autostart.removeEntry()) << "nothing to remove is no failure";
    EXPECT_FALSE(XdgAutostart({}, program).writeEntry()) << "no config folder";
}

TEST(XdgAutostart, TheEntryPassesTheDesktopFileValidator)
{
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "desktop-file-validate is not installed";
    Desktop d;
    XdgAutostart autostart(d.environment.configHome, "/opt/odd $path/with \"quotes\"/tessivar");
    ASSERT_TRUE(autostart.writeEntry());
    const std::string command = "desktop-file-validate '" + autostart.entryPath().string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST(XdgDocumentPrograms, FindsTheDefaultProgramForWebPagesInTheXdgOrder)
{
    Desktop d;
    const auto browser = d.program("browser");
    const auto other = d.program("other");
    d.entry("data", "browser.desktop", "browser %u");
    d.entry("share", "other.desktop", "\"" + other.string() + "\" --x %U");
    XdgDocumentPrograms programs(d.environment);
    EXPECT_EQ(programs.FindExecutableA("C:\\users\\me\\Temp\\temphtm.htm"), "") << "no default yet";

    d.dir.write("share/applications/mimeapps.list", "[Default Applications]\ntext/html=other.desktop\n");
    EXPECT_EQ(programs.FindExecutableA("C:\\temp\\temphtm.htm"), other.string());
    // The user's own list comes first; an entry that is not installed gives way to the next.
    d.dir.write("config/mimeapps.list", "[Default Applications]\ntext/html=gone.desktop;browser.desktop\n");
    EXPECT_EQ(programs.FindExecutableA("C:\\temp\\temphtm.HTML"), browser.string());
    EXPECT_EQ(programs.FindExecutableA("C:\\temp\\temphtm.txt"), "");
    EXPECT_EQ(programs.FindExecutableA("C:\\temp.htm\\file"), "");
}

TEST(XdgDocumentPrograms, StartsTheProgramWithTheAddressAsItsOneArgument)
{
    Desktop d;
    const auto record = d.dir.path() / "args";
    const auto recorder =
        d.program("recorder", "#!/bin/sh\nfor a; do printf '%s\\n' \"$a\"; done > '" + record.string() + ".tmp'\nmv '" +
                                  record.string() + ".tmp' '" + record.string() + "'\n");
    XdgDocumentPrograms programs(d.environment);
    const std::string address = "file:///x/help/a b.html?$(touch /tmp/no)";
    ASSERT_TRUE(programs.ShellExecuteA(recorder.string(), address, ShowMode::maximised));
    for (int i = 0; i < 500 && !std::filesystem::exists(record); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(d.dir.read("args"), address + "\n");
    EXPECT_FALSE(programs.ShellExecuteA("relative/program", address, ShowMode::normal));
}

TEST(HelpSite, FoundBesideTheProgramInTheBuildTreeOrUnderThePrefix)
{
    test::TempDir dir;
    dir.write("build/help/tessivarhelp.html", "x");
    dir.write("build/help/support.html", "x");
    dir.write("usr/share/tessivar/help/tessivarhelp.html", "x");
    dir.write("usr/share/tessivar/help/support.html", "x");
    EXPECT_EQ(findHelpFolder(dir.path() / "build/src/app/tessivar"), dir.path() / "build/help");
    EXPECT_EQ(findHelpFolder(dir.path() / "usr/bin/tessivar"), dir.path() / "usr/share/tessivar/help");
    EXPECT_EQ(findHelpFolder(dir.path() / "elsewhere/bin/tessivar"), std::nullopt);
    EXPECT_EQ(fileAddressOf("/opt/my help/ü#", true), "file:///opt/my%20help/%C3%BC%23/");
    EXPECT_EQ(helpSiteAddress(dir.path() / "usr/bin/tessivar"),
              fileAddressOf(dir.path() / "usr/share/tessivar/help", true));
}

} // namespace
} // namespace tessivar::xdg
