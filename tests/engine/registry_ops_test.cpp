#include "engine/registry_ops.h"
#include "support/fake_registry.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace tessivar {
namespace {

using test::FakeRegistry;

constexpr std::string_view kKey = "Software\\Tessivar\\Ops";

std::vector<std::uint8_t> wide(std::string_view ascii)
{
    std::vector<std::uint8_t> out;
    for (const char c : ascii) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0);
    }
    return out;
}

struct StoredValue {
    const char* label;
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
    std::string asText;                   // ReadValueAsText
    LSTATUS queryStatus;                  // QueryTypedValue
    std::optional<TypedValue> queryValue; // nullopt: left untouched
};

class StoredValueReads : public ::testing::TestWithParam<StoredValue> {};

TEST_P(StoredValueReads, ReadAsTextAndTyped)
{
    const StoredValue& c = GetParam();
    FakeRegistry reg;
    reg.setBinary(HKEY_LOCAL_MACHINE, kKey, "v", c.bytes, c.type);
    HKEY key = 0;
    ASSERT_EQ(reg.RegOpenKeyA(HKEY_LOCAL_MACHINE, kKey, &key), ERROR_SUCCESS);
    EXPECT_EQ(ReadValueAsText(reg, key, "v"), c.asText);
    // Into a text that held something longer before: nothing of it may show through.
    std::string reused = "left over from a much longer value before";
    ReadValueAsText(reg, key, "v", reused);
    EXPECT_EQ(reused, c.asText);
    // A walk takes the text from what the enumeration handed over: it must be the same.
    char name[256];
    std::uint32_t nameLength = sizeof name;
    std::uint8_t data[256];
    std::uint32_t size = sizeof data;
    std::uint32_t type = 0;
    ASSERT_EQ(reg.RegEnumValueA(key, 0, name, &nameLength, &type, data, &size), ERROR_SUCCESS);
    reused = "left over from a much longer value before";
    ValueDataAsText(type, std::string_view(reinterpret_cast<const char*>(data), size), reused);
    EXPECT_EQ(reused, c.asText);

    TypedValue value = std::string("untouched");
    EXPECT_EQ(QueryTypedValue(reg, key, "v", value), c.queryStatus);
    EXPECT_EQ(value, c.queryValue.value_or(TypedValue(std::string("untouched"))));
    reg.RegCloseKey(key);
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Types, StoredValueReads,
    ::testing::Values(
        StoredValue{"Sz", REG_SZ, wide(std::string_view("C:\\a.exe\0", 9)), "C:\\a.exe", 0, std::string("C:\\a.exe")},
        StoredValue{"SzEmbeddedZero", REG_SZ, wide(std::string_view("a\0b\0", 4)), "a", 0, std::string("a\0b", 3)},
        StoredValue{"SzEmptyOneZero", REG_SZ, wide(std::string_view("\0", 1)), "", 0, std::string()},
        StoredValue{"SzZeroBytes", REG_SZ, {}, "", 0, std::string()},
        // Data stored without its terminating zero keeps its last character.
        StoredValue{"SzUnterminated", REG_SZ, wide("abc"), "abc", 0, std::string("abc")},
        StoredValue{"MultiFirstOnly", REG_MULTI_SZ, wide(std::string_view("a\0b\0\0", 5)), "a", -1, std::nullopt},
        StoredValue{"DwordMinusOne", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, "-1", 0, std::int32_t{-1}},
        StoredValue{"Dword42", REG_DWORD, {42, 0, 0, 0}, "42", 0, std::int32_t{42}},
        StoredValue{"DwordShort", REG_DWORD, {7, 1}, "263", 0, std::int32_t{263}},
        StoredValue{"DwordTooLong", REG_DWORD, {1, 0, 0, 0, 0, 0, 0, 0}, "", ERROR_MORE_DATA, std::nullopt},
        StoredValue{"Binary", REG_BINARY, {1, 2, 3}, "", -1, std::nullopt},
        // Never expanded: the checks see nothing, whether the file named exists or not.
        StoredValue{"ExpandSz", REG_EXPAND_SZ, wide(std::string_view("%SystemRoot%\\x.dll\0", 19)), "", -1,
                    std::nullopt},
        StoredValue{"None", REG_NONE, {}, "", -1, std::nullopt},
        StoredValue{"Odd", 0xFFFF0012u, {9}, "", -1, std::nullopt}),
    [](const ::testing::TestParamInfo<StoredValue>& param) { return std::string(param.param.label); });

TEST(ReadValueAsText, MissingValueOrBadHandleIsEmpty)
{
    FakeRegistry reg;
    reg.makeKey(HKEY_LOCAL_MACHINE, kKey);
    HKEY key = 0;
    ASSERT_EQ(reg.RegOpenKeyA(HKEY_LOCAL_MACHINE, kKey, &key), ERROR_SUCCESS);
    EXPECT_EQ(ReadValueAsText(reg, key, "absent"), "");
    std::string reused = "stale";
    ReadValueAsText(reg, key, "absent", reused);
    EXPECT_EQ(reused, "");
    TypedValue value = std::string("keep");
    EXPECT_EQ(QueryTypedValue(reg, key, "absent", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value, TypedValue(std::string("keep")));
    reg.RegCloseKey(key);
    EXPECT_EQ(ReadValueAsText(reg, key, "absent"), "");
    EXPECT_NE(QueryTypedValue(reg, key, "absent", value), ERROR_SUCCESS);
}

TEST(ReadValueFromKey, ReadsStringsAndNumbersAsText)
{
    FakeRegistry reg;
    reg.setString(HKEY_LOCAL_MACHINE, kKey, "ProgramFilesDir", "C:\\Program Files");
    reg.setDword(HKEY_LOCAL_MACHINE, kKey, "Count", 0xFFFFFFFE);
    reg.setBinary(HKEY_LOCAL_MACHINE, kKey, "Bin", {1});
    std::string text = "before";
    EXPECT_TRUE(ReadValueFromKey(reg, HKEY_LOCAL_MACHINE, kKey, "programfilesdir", text));
    EXPECT_EQ(text, "C:\\Program Files");
    EXPECT_TRUE(ReadValueFromKey(reg, HKEY_LOCAL_MACHINE, kKey, "Count", text));
    EXPECT_EQ(text, "-2");

    text = "before";
    EXPECT_FALSE(ReadValueFromKey(reg, HKEY_LOCAL_MACHINE, kKey, "Bin", text));
    EXPECT_FALSE(ReadValueFromKey(reg, HKEY_LOCAL_MACHINE, kKey, "Absent", text));
    EXPECT_FALSE(ReadValueFromKey(reg, HKEY_LOCAL_MACHINE, "Software\\Nowhere", "X", text));
    EXPECT_EQ(text, "before");
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

// It asks for full access although it only reads.
TEST(ReadValueFromKey, FailsWhereFullAccessIsRefused)
{
    FakeRegistry reg;
    reg.setString(HKEY_LOCAL_MACHINE, kKey, "CommonFilesDir", "C:\\Common");
    reg.denyFullAccess(HKEY_LOCAL_MACHINE, kKey);
    std::string text;
    EXPECT_FALSE(ReadValueFromKey(reg, HKEY_LOCAL_MACHINE, kKey, "CommonFilesDir", text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

TEST(WriteTypedValue, CreatesTheKeyAndStoresWithTerminatorAndBlanks)
{
    FakeRegistry reg;
    WriteTypedValue(reg, HKEY_CURRENT_USER, "Software\\New\\Deep", "Path", "  C:\\a b.exe ", REG_SZ);
    EXPECT_EQ(reg.valueType(HKEY_CURRENT_USER, "Software\\New\\Deep", "Path"), REG_SZ);
    EXPECT_EQ(reg.valueText(HKEY_CURRENT_USER, "Software\\New\\Deep", "Path"), std::string("  C:\\a b.exe \0", 14));
    WriteTypedValue(reg, HKEY_CURRENT_USER, "Software\\New", "Number", "-1", REG_DWORD);
    EXPECT_EQ(reg.valueBytes(HKEY_CURRENT_USER, "Software\\New", "Number"),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    WriteTypedValue(reg, HKEY_CURRENT_USER, "Software\\New", "Unsigned", "4294967295", REG_DWORD);
    EXPECT_EQ(reg.valueBytes(HKEY_CURRENT_USER, "Software\\New", "Unsigned"),
              (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

TEST(WriteTypedValue, WritesNothingItCannotStoreFaithfully)
{
    FakeRegistry reg;
    reg.makeKey(HKEY_CURRENT_USER, kKey);
    WriteTypedValue(reg, HKEY_CURRENT_USER, kKey, "Bin", "01,02", REG_BINARY);
    WriteTypedValue(reg, HKEY_CURRENT_USER, kKey, "Exp", "%x%", REG_EXPAND_SZ);
    WriteTypedValue(reg, HKEY_CURRENT_USER, kKey, "NotANumber", "abc", REG_DWORD);
    WriteTypedValue(reg, HKEY_CURRENT_USER, kKey, "TooBig", "4294967296", REG_DWORD);
    EXPECT_TRUE(reg.valueNames(HKEY_CURRENT_USER, kKey).empty());

    HKEY key = 0;
    ASSERT_EQ(reg.RegOpenKeyA(HKEY_CURRENT_USER, kKey, &key), ERROR_SUCCESS);
    EXPECT_EQ(StoreTypedValue(reg, key, "Bin", REG_BINARY, "x"), ERROR_SUCCESS);
    EXPECT_NE(StoreTypedValue(reg, key, "D", REG_DWORD, "1.5"), ERROR_SUCCESS);
    reg.RegCloseKey(key);
    EXPECT_TRUE(reg.valueNames(HKEY_CURRENT_USER, kKey).empty());
}

TEST(WriteTypedValue, RefusedWritesLeaveEverythingAsItWas)
{
    FakeRegistry reg;
    reg.refuseWrites("Wine is running in this prefix");
    WriteTypedValue(reg, HKEY_CURRENT_USER, "Software\\New", "Path", "x", REG_SZ);
    EXPECT_FALSE(reg.keyExists(HKEY_CURRENT_USER, "Software\\New"));
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

struct Guess {
    const char* label;
    std::string text;
    std::uint32_t type;
    std::vector<std::uint8_t> bytes; // as stored: UTF-16LE for REG_SZ
};

class WriteValueGuessTypeCases : public ::testing::TestWithParam<Guess> {};

TEST_P(WriteValueGuessTypeCases, PicksTypeAndData)
{
    const Guess& c = GetParam();
    FakeRegistry reg;
    reg.makeKey(HKEY_LOCAL_MACHINE, kKey);
    WriteValueGuessType(reg, HKEY_LOCAL_MACHINE, kKey, "v", c.text);
    EXPECT_EQ(reg.valueType(HKEY_LOCAL_MACHINE, kKey, "v"), c.type);
    EXPECT_EQ(reg.valueBytes(HKEY_LOCAL_MACHINE, kKey, "v"), c.bytes);
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WriteValueGuessTypeCases,
    ::testing::Values(Guess{"Empty", "", REG_SZ, {}}, Guess{"Digits", "123", REG_DWORD, {123, 0, 0, 0}},
                      Guess{"LeadingZeros", "007", REG_DWORD, {7, 0, 0, 0}},
                      Guess{"Blanks", "  42 ", REG_DWORD, {42, 0, 0, 0}}, Guess{"Plus", "+7", REG_DWORD, {7, 0, 0, 0}},
                      Guess{"Negative", "-1", REG_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
                      Guess{"Smallest", "-2147483648", REG_DWORD, {0, 0, 0, 0x80}},
                      Guess{"Largest", "2147483647", REG_DWORD, {0xFF, 0xFF, 0xFF, 0x7F}},
                      Guess{"JustTooLarge", "2147483648", REG_SZ, wide("2147483648")},
                      Guess{"TwelveDigits", "123456789012", REG_SZ, wide("123456789012")},
                      Guess{"Fraction", "1.5", REG_SZ, wide("1.5")}, Guess{"Hex", "0x10", REG_SZ, wide("0x10")},
                      Guess{"SignOnly", "-", REG_SZ, wide("-")},
                      Guess{"TrimmedNoZero", "  C:\\app.exe  ", REG_SZ, wide("C:\\app.exe")},
                      Guess{"InnerBlanksKept", " a  b ", REG_SZ, wide("a  b")}),
    [](const ::testing::TestParamInfo<Guess>& param) { return std::string(param.param.label); });

TEST(WriteValueGuessType, NeverCreatesTheKey)
{
    FakeRegistry reg;
    WriteValueGuessType(reg, HKEY_LOCAL_MACHINE, "Software\\Absent", "v", "x");
    EXPECT_FALSE(reg.keyExists(HKEY_LOCAL_MACHINE, "Software\\Absent"));
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

TEST(RemoveValue, DeletesTheNamedValueOnly)
{
    FakeRegistry reg;
    reg.setString(HKEY_LOCAL_MACHINE, kKey, "", "unnamed");
    reg.setString(HKEY_LOCAL_MACHINE, kKey, "(Default)", "literal");
    reg.setString(HKEY_LOCAL_MACHINE, kKey, "Other", "x");
    RemoveValue(reg, HKEY_LOCAL_MACHINE, kKey, "(Default)");
    EXPECT_TRUE(reg.valueExists(HKEY_LOCAL_MACHINE, kKey, ""));
    EXPECT_FALSE(reg.valueExists(HKEY_LOCAL_MACHINE, kKey, "(Default)"));
    RemoveValue(reg, HKEY_LOCAL_MACHINE, kKey, "OTHER");
    EXPECT_FALSE(reg.valueExists(HKEY_LOCAL_MACHINE, kKey, "Other"));
    RemoveValue(reg, HKEY_LOCAL_MACHINE, "Software\\Absent", "x");
    EXPECT_FALSE(reg.keyExists(HKEY_LOCAL_MACHINE, "Software\\Absent"));
    EXPECT_EQ(reg.openHandleCount(), 0u);
}

TEST(GetPlatformId, ReportsTheSystemsFamily)
{
    FakeRegistry reg;
    EXPECT_EQ(GetPlatformId(reg), 2u);
    reg.setPlatformId(1);
    EXPECT_EQ(GetPlatformId(reg), 1u);
    reg.failGetVersion(true);
    EXPECT_EQ(GetPlatformId(reg), 0u);
}

} // namespace
} // namespace tessivar
