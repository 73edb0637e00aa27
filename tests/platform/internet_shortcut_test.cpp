#include "platform/shell_link.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace tessivar {
namespace {

struct UrlCase {
    const char* name;
    std::string text;
    bool isLink;
    bool hasUrl;
    const char* url;
    const char* target; // the one checkable target, "" for none
    bool network;
};

class InternetShortcutTest : public testing::TestWithParam<UrlCase> {};

TEST_P(InternetShortcutTest, Reads)
{
    const UrlCase& c = GetParam();
    const ShortcutInfo info = ReadInternetShortcut(c.text);
    EXPECT_EQ(info.isLink, c.isLink);
    EXPECT_EQ(info.hasUrl, c.hasUrl);
    EXPECT_EQ(info.url, c.url);
    if (*c.target) {
        ASSERT_EQ(info.targets.size(), 1u);
        EXPECT_EQ(info.targets[0].path, c.target);
        EXPECT_EQ(info.targets[0].source, TargetSource::fileUrl);
    } else {
        EXPECT_TRUE(info.targets.empty());
    }
    EXPECT_EQ(info.network, c.network);
    if (c.isLink) {
        EXPECT_EQ(info.typeName, "Internet Shortcut");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, InternetShortcutTest,
    testing::Values(
        UrlCase{"Web", "[InternetShortcut]\r\nURL=https://example.com/\r\n", true, true, "https://example.com/", "",
                false},
        UrlCase{"EmptyUrl", "[InternetShortcut]\r\nURL=\r\n", true, true, "", "", false},
        UrlCase{"NoUrlKey", "[InternetShortcut]\r\nIconIndex=0\r\n", true, false, "", "", false},
        UrlCase{"NoSection", "URL=https://example.com/\r\n", false, false, "", "", false},
        UrlCase{"Empty", "", false, false, "", "", false},
        UrlCase{"Binary", std::string("[InternetShortcut]\r\nURL=x\0\x01", 27), false, false, "", "", false},
        UrlCase{"FileUrl", "[InternetShortcut]\nURL=file:///C:/Program%20Files/a.txt\n", true, true,
                "file:///C:/Program%20Files/a.txt", "C:\\Program Files\\a.txt", false},
        UrlCase{"FileUrlOldDriveBar", "[InternetShortcut]\nURL=file:///C|/x.txt\n", true, true, "file:///C|/x.txt",
                "C:\\x.txt", false},
        UrlCase{"FileUrlLocalhost", "[InternetShortcut]\nURL=file://localhost/C:/x.txt\n", true, true,
                "file://localhost/C:/x.txt", "C:\\x.txt", false},
        UrlCase{"FileUrlOnHost", "[InternetShortcut]\nURL=file://server/share/x.txt\n", true, true,
                "file://server/share/x.txt", "", true},
        UrlCase{"FileUrlWithoutDrive", "[InternetShortcut]\nURL=file:relative.txt\n", true, true, "file:relative.txt",
                "", false},
        UrlCase{"FileUrlUtf8", "[InternetShortcut]\nURL=file:///C:/Caf%C3%A9/menu.txt\n", true, true,
                "file:///C:/Caf%C3%A9/menu.txt", "C:\\Caf\xC3\xA9\\menu.txt", false},
        // As GetPrivateProfileString reads: names without case, blanks trimmed, first one wins,
        // comments, other sections ignored.
        UrlCase{"IniRules",
                "; comment\n[DEFAULT]\nBASEURL=https://other/\n[internetshortcut]\n  url = https://first/  "
                "\nURL=https://second/\n",
                true, true, "https://first/", "", false},
        UrlCase{"UrlOfAnotherSectionDoesNotCount", "[InternetShortcut]\n[Other]\nURL=https://x/\n", true, false, "", "",
                false},
        UrlCase{"Utf16WithBom",
                std::string("\xFF\xFE[\0I\0n\0t\0e\0r\0n\0e\0t\0S\0h\0o\0r\0t\0c\0u\0t\0]\0\n\0U\0R\0L\0="
                            "\0h\0t\0t\0p\0:\0/\0/\0a\0/\0",
                            66),
                true, true, "http://a/", "", false},
        UrlCase{"Utf8Bom", "\xEF\xBB\xBF[InternetShortcut]\nURL=http://a/\n", true, true, "http://a/", "", false},
        UrlCase{"WideSectionWins",
                "[InternetShortcut]\nURL=file:///C:/????.txt\n[InternetShortcut.W]\nURL=file:///C:/+ZeVnLA-.txt\n",
                true, true, "file:///C:/\xE6\x97\xA5\xE6\x9C\xAC.txt", "C:\\\xE6\x97\xA5\xE6\x9C\xAC.txt", false}),
    [](const testing::TestParamInfo<UrlCase>& param) { return std::string(param.param.name); });

TEST(InternetShortcut, WineMadeFiles)
{
    for (auto [file, url] :
         {std::pair{"web.url", "https://example.com/"}, std::pair{"file-gone.url", "file:///C:/fixtures/gone.txt"}}) {
        std::ifstream in(std::string(TESSIVAR_FIXTURES) + "/shortcuts/wine/" + file, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        const ShortcutInfo info = ReadShortcut(bytes.str());
        EXPECT_EQ(info.format, ShortcutFormat::internetShortcut) << file;
        EXPECT_EQ(info.url, url);
    }
}

TEST(InternetShortcut, AnsiQuestionMarksInAFileUrlAreUncertain)
{
    const ShortcutInfo info = ReadInternetShortcut("[InternetShortcut]\nURL=file:///C:/??.txt\n");
    ASSERT_EQ(info.targets.size(), 1u);
    EXPECT_TRUE(info.targets[0].uncertain);
}

TEST(InternetShortcut, OversizedFileIsNotRead)
{
    std::string text = "[InternetShortcut]\nURL=\n";
    text.resize(kMaxShortcutFileSize + 1, ' ');
    EXPECT_FALSE(ReadInternetShortcut(text).isLink);
}

} // namespace
} // namespace tessivar
