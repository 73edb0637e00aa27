#include "platform/linux/xdg_entries.h"

#include <gtest/gtest.h>

namespace tessivar::xdg {
namespace {

TEST(XdgEntries, GroupValueFindsTheKeyOfItsGroupOnly)
{
    const std::string text = "# list\n[Added Associations]\ntext/html=other.desktop\n"
                             "[Default Applications]\r\nExec[de]=no\n text/html = browser.desktop;extra.desktop; \r\n";
    EXPECT_EQ(groupValue(text, "Default Applications", "text/html"), "browser.desktop;extra.desktop;");
    EXPECT_EQ(groupValue(text, "Added Associations", "text/html"), "other.desktop");
    EXPECT_EQ(groupValue(text, "Default Applications", "Exec"), std::nullopt);
    EXPECT_EQ(groupValue("text/html=x.desktop\n", "Default Applications", "text/html"), std::nullopt);
    EXPECT_EQ(stringList(" a.desktop ;; b.desktop;"), (std::vector<std::string>{"a.desktop", "b.desktop"}));
}

TEST(XdgEntries, ExecArgumentsUndoQuotingAndEscapes)
{
    struct Case {
        const char* line; // as it stands in the file
        std::optional<std::vector<std::string>> arguments;
    };
    const Case cases[] = {
        {"firefox-esr %u", std::vector<std::string>{"firefox-esr", "%u"}},
        {"\"/opt/My Browser/run\" --new %%x", std::vector<std::string>{"/opt/My Browser/run", "--new", "%x"}},
        {R"("/a/\\"q\\"\\$b" x)", std::vector<std::string>{"/a/\"q\"$b", "x"}},
        {"\"open", std::nullopt},
        {"  ", std::vector<std::string>{}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(execArguments(unescapeValue(c.line)), c.arguments) << c.line;
}

TEST(XdgEntries, AQuotedArgumentReadsBackAsWritten)
{
    for (const std::string& argument :
         std::vector<std::string>{"/usr/bin/tessivar", "/home/a b/$HOME/\"x\"/`y`/100%/back\\slash",
                                  std::string("/tab\there/new\nline/cr\r"), std::string()}) {
        const std::string line = "[Desktop Entry]\nExec=" + quotedExecArgument(argument) + "\n";
        const auto value = groupValue(line, "Desktop Entry", "Exec");
        ASSERT_TRUE(value);
        EXPECT_EQ(execArguments(unescapeValue(*value)), std::vector<std::string>{argument});
    }
}

} // namespace
} // namespace tessivar::xdg
