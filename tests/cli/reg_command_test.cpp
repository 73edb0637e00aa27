#include "cli/reg_command.h"
#include "platform/utf16_text.h"
#include "support/fake_registry.h"
#include "support/temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace tessivar::cli {
namespace {

using test::FakeRegistry;

struct Result {
    int code;
    std::string out;
    std::string err;
};

Result reg(Registry& registry, const std::vector<std::string>& args, const std::string& input = "")
{
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    const int code = runRegCommand(args, registry, RegStreams{in, out, err});
    return {code, out.str(), err.str()};
}

constexpr std::string_view kT = "Software\\T";

// A small tree: values of several types, a subkey without values, a grandchild with one.
void fillTree(FakeRegistry& registry)
{
    registry.setString(HKEY_CURRENT_USER, kT, "", "d");
    registry.setDword(HKEY_CURRENT_USER, kT, "n", 16);
    registry.setMultiString(HKEY_CURRENT_USER, kT, "m", {"a", "b"});
    registry.setString(HKEY_CURRENT_USER, "Software\\T\\Sub\\Deep", "p", "C:\\x", REG_EXPAND_SZ);
}

struct BadCall {
    const char* label;
    std::vector<std::string> args;
    std::string err;
};

class RegRefuses : public ::testing::TestWithParam<BadCall> {};

TEST_P(RegRefuses, WithOneLineAndNoChange)
{
    FakeRegistry registry;
    registry.makeKey(HKEY_CURRENT_USER, "Env");
    const Result result = reg(registry, GetParam().args);
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, GetParam().err + "\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(registry.changeCount(), 0u);
    EXPECT_FALSE(registry.keyExists(HKEY_CURRENT_USER, "K"));
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, RegRefuses,
    ::testing::Values(
        BadCall{"NoOperation", {}, "reg: Invalid syntax. Type \"REG /?\" for help."},
        BadCall{"UnknownOperation", {"bogus"}, "reg: Invalid option [bogus]. Type \"REG /?\" for help."},
        BadCall{"NoKey", {"query"}, "reg: Invalid syntax. Type \"REG QUERY /?\" for help."},
        BadCall{"UnknownRoot", {"query", "foo"}, "reg: Invalid system key"},
        BadCall{"RootWithSlash", {"query", "HKCU\\"}, "reg: Invalid system key"},
        BadCall{"LeadingSlash", {"query", "\\HKCU\\Env"}, "reg: Invalid system key"},
        BadCall{"TooShort", {"query", "HK"}, "reg: Invalid registry key"},
        BadCall{"DoubleSlashAtEnd", {"query", "HKCU\\Env\\\\"}, "reg: Invalid registry key"},
        BadCall{"Remote", {"query", "\\\\srv\\HKLM"}, "reg: Unable to access remote machine"},
        BadCall{"VWithoutName", {"query", "HKCU\\Env", "/v"}, "reg: Invalid syntax. Type \"REG QUERY /?\" for help."},
        BadCall{
            "VAndVe", {"query", "HKCU\\Env", "/v", "a", "/ve"}, "reg: Invalid syntax. Type \"REG QUERY /?\" for help."},
        BadCall{"TwoS", {"query", "HKCU\\Env", "/s", "/s"}, "reg: Invalid syntax. Type \"REG QUERY /?\" for help."},
        BadCall{"HelpAfterKey", {"query", "HKCU\\Env", "/?"}, "reg: Invalid syntax. Type \"REG QUERY /?\" for help."},
        BadCall{"NotAnOption", {"query", "HKCU\\Env", "x"}, "reg: Invalid syntax. Type \"REG QUERY /?\" for help."},
        BadCall{"MissingKey", {"query", "HKCU\\K"}, "reg: Unable to find the specified registry key"},
        BadCall{"EmptyComponent", {"query", "HKCU\\\\Env"}, "reg: Unable to find the specified registry key"},
        BadCall{"LongSeparator", {"add", "HKCU\\K", "/s", "ab"}, "reg: Invalid syntax. Type \"REG ADD /?\" for help."},
        BadCall{"TwoTypes",
                {"add", "HKCU\\K", "/t", "REG_SZ", "/t", "REG_SZ"},
                "reg: Invalid syntax. Type \"REG ADD /?\" for help."},
        BadCall{"BadType",
                {"add", "HKCU\\K", "/v", "x", "/t", "REG_FOO", "/f"},
                "reg: Unsupported registry data type [REG_FOO]"},
        BadCall{"DwordWithoutData",
                {"add", "HKCU\\K", "/v", "x", "/t", "REG_DWORD", "/f"},
                "reg: Invalid command line parameters"},
        BadCall{"BadNumber",
                {"add", "HKCU\\K", "/v", "x", "/t", "REG_DWORD", "/d", "-1", "/f"},
                "reg: The option [/d] must be followed by a valid numeric value"},
        BadCall{"BadHex",
                {"add", "HKCU\\K", "/v", "x", "/t", "REG_BINARY", "/d", "1z", "/f"},
                "reg: The option [/d] must be followed by a valid hexadecimal value"},
        BadCall{"DeleteVaAndVe",
                {"delete", "HKCU\\Env", "/va", "/ve"},
                "reg: Invalid syntax. Type \"REG DELETE /?\" for help."},
        BadCall{"DeleteWholeHive", {"delete", "HKCU", "/f"}, "reg: Deleting a whole root key is not allowed"},
        BadCall{"ExportWithoutFile", {"export", "HKCU\\Env"}, "reg: Invalid syntax. Type \"REG EXPORT /?\" for help."},
        BadCall{"ExportBadOption",
                {"export", "HKCU\\Env", "f.reg", "/x"},
                "reg: Invalid syntax. Type \"REG EXPORT /?\" for help."}),
    [](const ::testing::TestParamInfo<BadCall>& param) { return std::string(param.param.label); });

TEST(RegHelp, OverviewAndOperations)
{
    FakeRegistry registry;
    Result result = reg(registry, {"/?"});
    EXPECT_EQ(result.code, 0);
    EXPECT_TRUE(result.out.starts_with("Usage:\n  REG [operation] [parameters]\n"));
    result = reg(registry, {"QUERY", "-?"});
    EXPECT_EQ(result.code, 0);
    EXPECT_TRUE(result.out.starts_with("REG QUERY <key> [/v value_name | /ve] [/s]\n"));
    result = reg(registry, {"add", "/?", "more"});
    EXPECT_EQ(result.code, 1);
}

TEST(RegQuery, ListsValuesThenSubkeys)
{
    FakeRegistry registry;
    fillTree(registry);
    const Result result = reg(registry, {"query", "hkcu\\software\\t\\"});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "\n"
                          "HKEY_CURRENT_USER\\software\\t\n"
                          "    (Default)    REG_SZ    d\n"
                          "    n    REG_DWORD    0x10\n"
                          "    m    REG_MULTI_SZ    a\\0b\n"
                          "\n"
                          "HKEY_CURRENT_USER\\software\\t\\Sub\n");
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST(RegQuery, AKeyWithoutValuesShowsOnlyItsSubkeys)
{
    FakeRegistry registry;
    fillTree(registry);
    EXPECT_EQ(reg(registry, {"query", "HKCU\\Software\\T\\Sub"}).out, "\nHKEY_CURRENT_USER\\Software\\T\\Sub\\Deep\n");
    registry.makeKey(HKEY_CURRENT_USER, "Empty");
    EXPECT_EQ(reg(registry, {"query", "HKCU\\Empty"}).out, "\n");
}

TEST(RegQuery, RecursesWithAHeaderForEveryKeyBelowTheFirst)
{
    FakeRegistry registry;
    fillTree(registry);
    const Result result = reg(registry, {"query", "HKCU\\Software\\T", "/S"});
    EXPECT_EQ(result.out, "\n"
                          "HKEY_CURRENT_USER\\Software\\T\n"
                          "    (Default)    REG_SZ    d\n"
                          "    n    REG_DWORD    0x10\n"
                          "    m    REG_MULTI_SZ    a\\0b\n"
                          "\n"
                          "HKEY_CURRENT_USER\\Software\\T\\Sub\n"
                          "\n"
                          "HKEY_CURRENT_USER\\Software\\T\\Sub\\Deep\n"
                          "    p    REG_EXPAND_SZ    C:\\x\n"
                          "\n");
    // Without values the first key prints nothing of its own.
    EXPECT_EQ(reg(registry, {"query", "HKCU\\Software\\T\\Sub", "/s"}).out,
              "\nHKEY_CURRENT_USER\\Software\\T\\Sub\\Deep\n    p    REG_EXPAND_SZ    C:\\x\n\n");
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST(RegQuery, OneValue)
{
    FakeRegistry registry;
    fillTree(registry);
    Result result = reg(registry, {"query", "HKCU\\Software\\T", "-v", "N"});
    EXPECT_EQ(result.out, "\nHKEY_CURRENT_USER\\Software\\T\n    N    REG_DWORD    0x10\n\n");
    result = reg(registry, {"query", "HKCU\\Software\\T", "/v", "absent"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.out, "\n");
    EXPECT_EQ(result.err, "reg: Unable to find the specified registry value\n");
    result = reg(registry, {"query", "HKCU\\Software\\T\\Sub", "/ve"});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "\nHKEY_CURRENT_USER\\Software\\T\\Sub\n    (Default)    REG_SZ    (value not set)\n");
    result = reg(registry, {"query", "HKCU\\Software\\T", "/v", "p", "/s"});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "\nHKEY_CURRENT_USER\\Software\\T\\Sub\\Deep\n    p    REG_EXPAND_SZ    C:\\x\n\n"
                          "Search complete. Number of matches found: 1\n");
    result = reg(registry, {"query", "HKCU\\Software\\T", "/v", "none", "/s"});
    EXPECT_EQ(result.out, "\nSearch complete. Number of matches found: 0\n");
}

// A link back to an ancestor must not make the walk endless.
TEST(RegQuery, ALinkLoopEnds)
{
    FakeRegistry registry;
    fillTree(registry);
    registry.makeLink(HKEY_CURRENT_USER, "Software\\T\\Sub\\Back", HKEY_CURRENT_USER, "Software\\T");
    const Result result = reg(registry, {"query", "HKCU\\Software\\T", "/s"});
    EXPECT_NE(result.out.find("T\\Sub\\Back\\Sub\\Deep\n"), std::string::npos);
    EXPECT_EQ(result.out.find("Back\\Sub\\Back"), std::string::npos);
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST(RegAdd, StoresEachTypeInOneSave)
{
    FakeRegistry registry;
    Result result = reg(registry, {"add", "HKCU\\New\\Key", "/v", "s", "/d", "hello world", "/f"});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "reg: The operation completed successfully\n");
    EXPECT_EQ(registry.valueText(HKEY_CURRENT_USER, "New\\Key", "s"), std::string("hello world\0", 12));
    EXPECT_EQ(registry.saveCount(), 1u);
    reg(registry, {"add", "HKCU\\New\\Key", "/v", "m", "/t", "reg_multi_sz", "/s", "#", "/d", "x#y", "/f"});
    EXPECT_EQ(registry.valueText(HKEY_CURRENT_USER, "New\\Key", "m"), std::string("x\0y\0\0", 5));
    reg(registry, {"add", "HKCU\\New\\Key", "/ve", "/t", "REG_DWORD", "/d", "0x10", "/f"});
    EXPECT_EQ(registry.valueBytes(HKEY_CURRENT_USER, "New\\Key", ""), (std::vector<std::uint8_t>{0x10, 0, 0, 0}));
    // Without /v or /ve the unnamed value is set to an empty string.
    reg(registry, {"add", "HKCU\\Other", "/f"});
    EXPECT_EQ(registry.valueText(HKEY_CURRENT_USER, "Other", ""), std::string("\0", 1));
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

struct Answer {
    const char* label;
    std::string input;
    std::string expectedText;
    int prompts;
};

class RegAddOverwrite : public ::testing::TestWithParam<Answer> {};

TEST_P(RegAddOverwrite, AsksFirst)
{
    FakeRegistry registry;
    registry.setString(HKEY_CURRENT_USER, "K", "v", "old");
    const Result result = reg(registry, {"add", "HKCU\\K", "/v", "v", "/d", "new"}, GetParam().input);
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(registry.valueText(HKEY_CURRENT_USER, "K", "v"), GetParam().expectedText);
    const std::string prompt = "The registry value 'v' already exists. Do you want to overwrite it? (Yes|No)";
    std::size_t prompts = 0;
    for (auto at = result.out.find(prompt); at != std::string::npos; at = result.out.find(prompt, at + 1))
        ++prompts;
    EXPECT_EQ(prompts, static_cast<std::size_t>(GetParam().prompts));
}

INSTANTIATE_TEST_SUITE_P(Answers, RegAddOverwrite,
                         ::testing::Values(Answer{"Yes", "yes\n", std::string("new\0", 4), 1},
                                           Answer{"No", "N\n", std::string("old\0", 4), 1},
                                           Answer{"AskedAgain", "maybe\n\ny\n", std::string("new\0", 4), 3},
                                           // Wine's reg asks forever at the end of input.
                                           Answer{"EndOfInputIsNo", "", std::string("old\0", 4), 1}),
                         [](const ::testing::TestParamInfo<Answer>& param) { return std::string(param.param.label); });

TEST(RegAdd, RefusedWhenTheRegistryCannotBeWritten)
{
    FakeRegistry registry;
    registry.refuseWrites("Wine is running in this prefix");
    const Result result = reg(registry, {"add", "HKCU\\K", "/v", "v", "/d", "x", "/f"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, "reg: Wine is running in this prefix\n");
    EXPECT_FALSE(registry.keyExists(HKEY_CURRENT_USER, "K"));
}

TEST(RegAdd, AFailedSaveIsReported)
{
    FakeRegistry registry;
    registry.failSaves("system.reg changed on disk");
    const Result result = reg(registry, {"add", "HKCU\\K", "/v", "v", "/d", "x", "/f"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, "reg: system.reg changed on disk\n");
    EXPECT_EQ(result.out, "");
}

TEST(RegDelete, KeysValuesAndAllValues)
{
    FakeRegistry registry;
    fillTree(registry);
    Result result = reg(registry, {"delete", "HKCU\\Software\\T", "/v", "n", "/f"});
    EXPECT_EQ(result.out, "reg: The operation completed successfully\n");
    EXPECT_FALSE(registry.valueExists(HKEY_CURRENT_USER, kT, "n"));
    result = reg(registry, {"delete", "HKCU\\Software\\T", "/v", "n", "/f"});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(result.err, "reg: Unable to find the specified registry value\n");
    reg(registry, {"delete", "HKCU\\Software\\T", "/ve", "/f"});
    EXPECT_FALSE(registry.valueExists(HKEY_CURRENT_USER, kT, ""));
    EXPECT_TRUE(registry.valueExists(HKEY_CURRENT_USER, kT, "m"));
    reg(registry, {"delete", "HKCU\\Software\\T", "/va", "/f"});
    EXPECT_TRUE(registry.valueNames(HKEY_CURRENT_USER, kT).empty());
    EXPECT_TRUE(registry.keyExists(HKEY_CURRENT_USER, "Software\\T\\Sub\\Deep"));
    reg(registry, {"delete", "HKCU\\Software\\T", "/f"});
    EXPECT_FALSE(registry.keyExists(HKEY_CURRENT_USER, kT));
    EXPECT_TRUE(registry.keyExists(HKEY_CURRENT_USER, "Software"));
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

TEST(RegDelete, AsksAndKeepsEverythingOnNo)
{
    FakeRegistry registry;
    fillTree(registry);
    Result result = reg(registry, {"delete", "HKCU\\Software\\T"}, "n\n");
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "Are you sure you want to delete the registry key 'HKEY_CURRENT_USER\\Software\\T'? "
                          "(Yes|No)reg: The registry operation was cancelled\n");
    result = reg(registry, {"delete", "HKCU\\Software\\T", "/ve"}, "");
    EXPECT_TRUE(result.out.starts_with("Are you sure you want to delete the registry value '(Default)'? (Yes|No)"));
    result = reg(registry, {"delete", "HKCU\\Software\\T", "/va"}, "no\n");
    EXPECT_TRUE(result.out.starts_with(
        "Are you sure you want to delete all registry values in 'HKEY_CURRENT_USER\\Software\\T'? (Yes|No)"));
    EXPECT_EQ(registry.changeCount(), 0u);
    registry.refuseWrites("Wine is running");
    result = reg(registry, {"delete", "HKCU\\Software\\T", "/f"});
    EXPECT_EQ(result.code, 1);
    EXPECT_TRUE(registry.keyExists(HKEY_CURRENT_USER, kT));
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

std::string utf16File(std::string_view text)
{
    const auto bytes = utf8ToUtf16Le(text);
    return "\xFF\xFE" + std::string(bytes.begin(), bytes.end());
}

TEST(RegExport, WritesRegeditFileAndAsksBeforeReplacing)
{
    FakeRegistry registry;
    fillTree(registry);
    test::TempDir dir;
    const std::string file = (dir.path() / "t.reg").string();
    Result result = reg(registry, {"export", "HKCU\\Software\\T", file});
    EXPECT_EQ(result.code, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(readFile(file), utf16File("Windows Registry Editor Version 5.00\r\n"
                                        "\r\n[HKEY_CURRENT_USER\\Software\\T]\r\n"
                                        "@=\"d\"\r\n"
                                        "\"n\"=dword:00000010\r\n"
                                        "\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                                        "\r\n[HKEY_CURRENT_USER\\Software\\T\\Sub]\r\n"
                                        "\r\n[HKEY_CURRENT_USER\\Software\\T\\Sub\\Deep]\r\n"
                                        "\"p\"=hex(2):43,00,3a,00,5c,00,78,00,00,00\r\n"
                                        "\r\n"));
    const std::string before = readFile(file);
    registry.setString(HKEY_CURRENT_USER, kT, "added", "1");
    result = reg(registry, {"export", "HKCU\\Software\\T", file}, "n\n");
    EXPECT_EQ(result.out, "The file '" + file +
                              "' already exists. Do you want to overwrite it? (Yes|No)"
                              "reg: The registry operation was cancelled\n");
    EXPECT_EQ(readFile(file), before);
    result = reg(registry, {"export", "HKCU\\Software\\T", file, "/y"});
    EXPECT_EQ(result.code, 0);
    EXPECT_NE(readFile(file), before);

    result = reg(registry, {"export", "HKCU\\Software\\Absent", (dir.path() / "a.reg").string()});
    EXPECT_EQ(result.code, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "a.reg"));
    result = reg(registry, {"export", "HKCU\\Software\\T", (dir.path() / "no" / "dir.reg").string()});
    EXPECT_EQ(result.code, 1);
    EXPECT_EQ(registry.openHandleCount(), 0u);
}

} // namespace
} // namespace tessivar::cli
