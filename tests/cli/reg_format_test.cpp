#include "cli/reg_format.h"
#include "platform/registry.h"
#include "platform/utf16_text.h"

#include <gtest/gtest.h>

namespace tessivar::cli {
namespace {

std::vector<std::uint8_t> wide(std::string_view text)
{
    return utf8ToUtf16Le(text);
}

struct Shown {
    const char* label;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    std::string text;
};

class QueryDataText : public ::testing::TestWithParam<Shown> {};

TEST_P(QueryDataText, ShowsTheDataAsRegDoes)
{
    EXPECT_EQ(queryDataText(GetParam().type, GetParam().data), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Types, QueryDataText,
    ::testing::Values(Shown{"Sz", REG_SZ, wide(std::string_view("C:\\a b\0", 7)), "C:\\a b"},
                      Shown{"SzStopsAtZero", REG_SZ, wide(std::string_view("a\0b\0", 4)), "a"},
                      Shown{"SzUnterminated", REG_SZ, wide("AB"), "AB"}, Shown{"SzOddByteDropped", REG_SZ, {0x41}, ""},
                      Shown{"SzUnicode", REG_SZ, wide(std::string_view("caf\xC3\xA9 \xE4\xB8\xAD\0", 10)),
                            "caf\xC3\xA9 \xE4\xB8\xAD"},
                      Shown{"Expand", REG_EXPAND_SZ, wide(std::string_view("%SystemRoot%\0", 13)), "%SystemRoot%"},
                      Shown{"Multi", REG_MULTI_SZ, wide(std::string_view("a\0b\0c\0\0", 7)), "a\\0b\\0c"},
                      Shown{"MultiEmptyItem", REG_MULTI_SZ, wide(std::string_view("a\0\0b\0\0", 6)), "a\\0\\0b"},
                      Shown{"MultiUnterminated", REG_MULTI_SZ, wide(std::string_view("A\0B", 3)), "A\\0B"},
                      Shown{"MultiEmpty", REG_MULTI_SZ, wide(std::string_view("\0", 1)), ""},
                      Shown{"Dword", REG_DWORD, {0x2a, 0, 0, 0}, "0x2a"},
                      Shown{"DwordMax", REG_DWORD, {0xff, 0xff, 0xff, 0xff}, "0xffffffff"},
                      Shown{"DwordShort", REG_DWORD, {1, 2}, "0x201"}, Shown{"DwordEmpty", REG_DWORD, {}, "0x0"},
                      Shown{"BigEndianAsStored", REG_DWORD_BIG_ENDIAN, {0, 0, 0, 0x2a}, "0x2a000000"},
                      Shown{"Qword", REG_QWORD, {0x90, 0x78, 0x56, 0x34, 0x12, 0, 0, 0}, "0x1234567890"},
                      Shown{"Binary", REG_BINARY, {0x01, 0x02, 0xff, 0xab}, "0102FFAB"},
                      Shown{"None", REG_NONE, {0x61, 0}, "6100"}, Shown{"Unknown", 0xffff0012u, {1, 2, 3}, "010203"}),
    [](const ::testing::TestParamInfo<Shown>& param) { return std::string(param.param.label); });

TEST(RegTypeNames, NamesAndNumbers)
{
    EXPECT_EQ(regTypeName(REG_DWORD), "REG_DWORD");
    EXPECT_EQ(regTypeName(REG_QWORD), "REG_QWORD");
    EXPECT_EQ(regTypeName(REG_LINK), "REG_LINK");
    EXPECT_EQ(regTypeName(0xffff0012u), "0xffff0012");
    EXPECT_EQ(regTypeFromName("reg_multi_sz"), REG_MULTI_SZ);
    EXPECT_EQ(regTypeFromName("REG_DWORD_LITTLE_ENDIAN"), REG_DWORD);
    EXPECT_EQ(regTypeFromName("REG_LINK"), std::nullopt); // shown, never added
    EXPECT_EQ(regTypeFromName("REG_FOO"), std::nullopt);
}

struct Added {
    const char* label;
    std::uint32_t type;
    std::optional<std::string> data;
    char separator;
    std::vector<std::uint8_t> bytes; // empty with an error
    bool fails;
};

class AddDataFor : public ::testing::TestWithParam<Added> {};

TEST_P(AddDataFor, ParsesAsRegDoes)
{
    const Added& c = GetParam();
    const AddData result = addDataFor(c.type, c.data, c.separator);
    EXPECT_EQ(!result.error.empty(), c.fails) << result.error;
    if (!c.fails) {
        EXPECT_EQ(result.bytes, c.bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Types, AddDataFor,
    ::testing::Values(
        Added{"SzGetsZero", REG_SZ, "ab", '\0', wide(std::string_view("ab\0", 3)), false},
        Added{"SzWithoutData", REG_SZ, std::nullopt, '\0', {0, 0}, false},
        Added{"NoneIsText", REG_NONE, "ab", '\0', wide(std::string_view("ab\0", 3)), false},
        Added{"DwordHex", REG_DWORD, "0x10", '\0', {0x10, 0, 0, 0}, false},
        Added{"DwordHexUpper", REG_DWORD, "0X1f", '\0', {0x1f, 0, 0, 0}, false},
        Added{"DwordMax", REG_DWORD, "4294967295", '\0', {0xff, 0xff, 0xff, 0xff}, false},
        Added{"DwordBlankLead", REG_DWORD, " 5", '\0', {5, 0, 0, 0}, false},
        Added{"DwordEmptyIsZero", REG_DWORD, "", '\0', {0, 0, 0, 0}, false},
        Added{"DwordTooBig", REG_DWORD, "4294967296", '\0', {}, true},
        Added{"DwordNegative", REG_DWORD, "-1", '\0', {}, true}, Added{"DwordText", REG_DWORD, "abc", '\0', {}, true},
        Added{"DwordTrailing", REG_DWORD, "12a", '\0', {}, true},
        Added{"QwordMax", REG_QWORD, "18446744073709551615", '\0', std::vector<std::uint8_t>(8, 0xff), false},
        Added{"QwordTooBig", REG_QWORD, "18446744073709551616", '\0', {}, true},
        Added{"QwordWithoutData", REG_QWORD, std::nullopt, '\0', std::vector<std::uint8_t>(8, 0), false},
        Added{"Binary", REG_BINARY, "0102fFAb", '\0', {1, 2, 0xff, 0xab}, false},
        Added{"BinaryOddLength", REG_BINARY, "123", '\0', {0x01, 0x23}, false},
        Added{"BinaryEmpty", REG_BINARY, std::nullopt, '\0', {}, false},
        Added{"BinaryBad", REG_BINARY, "12zz", '\0', {}, true},
        Added{"MultiEscapes", REG_MULTI_SZ, "a\\0b", '\0', wide(std::string_view("a\0b\0\0", 5)), false},
        Added{"MultiSeparator", REG_MULTI_SZ, "x#y", '#', wide(std::string_view("x\0y\0\0", 5)), false},
        Added{"MultiTrailingSeparator", REG_MULTI_SZ, "a\\0", '\0', wide(std::string_view("a\0\0", 3)), false},
        Added{"MultiEmpty", REG_MULTI_SZ, std::nullopt, '\0', {0, 0}, false},
        Added{"MultiEmptyItem", REG_MULTI_SZ, "a\\0\\0b", '\0', {}, true}),
    [](const ::testing::TestParamInfo<Added>& param) { return std::string(param.param.label); });

struct Exported {
    const char* label;
    std::string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    std::string line; // UTF-8 of the expected UTF-16 line
};

class ExportValueLine : public ::testing::TestWithParam<Exported> {};

TEST_P(ExportValueLine, WritesRegeditForm)
{
    const Exported& c = GetParam();
    EXPECT_EQ(utf16ToUtf8(exportValueLine(c.name, c.type, c.data)), c.line);
}

std::vector<std::uint8_t> counting(std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ExportValueLine,
    ::testing::Values(
        Exported{"Default", "", REG_SZ, wide(std::string_view("v\0", 2)), "@=\"v\""},
        Exported{"Escapes", "q\"n", REG_SZ, wide(std::string_view("a\"b\\c\r\n\td\0", 10)),
                 "\"q\\\"n\"=\"a\\\"b\\\\c\\r\\n\td\""},
        Exported{"Dword", "dw", REG_DWORD, {0x2a, 0, 0, 0}, "\"dw\"=dword:0000002a"},
        // Forms a quoted string or dword: would not give back byte for byte.
        Exported{"SzUnterminated", "", REG_SZ, wide("AB"), "@=hex(1):41,00,42,00"},
        Exported{"SzInnerZero", "e", REG_SZ, wide(std::string_view("a\0b\0", 4)),
                 "\"e\"=hex(1):61,00,00,00,62,00,00,00"},
        Exported{"SzZeroBytes", "z", REG_SZ, {}, "\"z\"=hex(1):"},
        Exported{"DwordShort", "d", REG_DWORD, {1, 2}, "\"d\"=hex(4):01,02"},
        Exported{"Expand", "x", REG_EXPAND_SZ, wide(std::string_view("%a%\0", 4)),
                 "\"x\"=hex(2):25,00,61,00,25,00,00,00"},
        Exported{"BinaryEmpty", "b", REG_BINARY, {}, "\"b\"=hex:"},
        Exported{"Unknown", "o", 0xffff0012u, {1, 2, 3}, "\"o\"=hex(ffff0012):01,02,03"},
        // `"bin"=hex:` leaves room for 23 bytes on the first line, 25 on the next ones.
        Exported{"Wrapped", "bin", REG_BINARY, counting(48),
                 "\"bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
                 "  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f"},
        Exported{"WrapBeforeLastByte", "bin", REG_BINARY, counting(24),
                 "\"bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n  17"}),
    [](const ::testing::TestParamInfo<Exported>& param) { return std::string(param.param.label); });

} // namespace
} // namespace tessivar::cli
