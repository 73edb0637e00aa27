// A walk enumerates a value or subkey and then reads or opens it by name; the registry answers the
// second call from what the first found. These tests change the registry in between, in every way
// it can change, and check that the second call sees the change.

#include "platform/wine/reg_text.h"
#include "platform/wine/wine_registry.h"
#include "support/temp_dir.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tessivar::wine {
namespace {

const std::string kSystem = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n"
                            "\n[Software\\\\App] 1700000000\n#time=1da1747c66d0000\n\"Path\"=\"C:\\\\old.exe\"\n"
                            "\n[Software\\\\App\\\\Sub] 1700000000\n#time=1da1747c66d0000\n\"x\"=\"sub\"\n"
                            "\n[Software\\\\Other] 1700000000\n#time=1da1747c66d0000\n\"y\"=\"other\"\n";

struct Change {
    const char* name;
    std::function<void(WineRegistry&)> apply;
    // What the value "Path" of Software\App, and the value "x" of its subkey "Sub", read as
    // afterwards; "" for gone.
    std::string path;
    std::string sub;
};

void setText(WineRegistry& registry, const char* keyPath, const char* name, const std::string& text)
{
    HKEY key = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const std::string data = text + '\0';
    ASSERT_EQ(registry.RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(data.data()),
                                      static_cast<std::uint32_t>(data.size())),
              ERROR_SUCCESS);
    registry.RegCloseKey(key);
}

const std::vector<Change> kChanges = {
    {"nothing", [](WineRegistry&) {}, "C:\\old.exe", "sub"},
    {"valueSet", [](WineRegistry& r) { setText(r, "Software\\App", "Path", "C:\\new.exe"); }, "C:\\new.exe", "sub"},
    {"valueDeleted",
     [](WineRegistry& r) {
         HKEY key = 0;
         ASSERT_EQ(r.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\App", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
         ASSERT_EQ(r.RegDeleteValueA(key, "Path"), ERROR_SUCCESS);
         r.RegCloseKey(key);
     },
     "", "sub"},
    {"subkeyReplaced",
     [](WineRegistry& r) {
         ASSERT_EQ(r.RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\App\\Sub"), ERROR_SUCCESS);
         HKEY key = 0;
         ASSERT_EQ(
             r.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\App\\Sub", 0, nullptr, 0, KEY_ALL_ACCESS, &key, nullptr),
             ERROR_SUCCESS);
         r.RegCloseKey(key);
         setText(r, "Software\\App\\Sub", "x", "again");
     },
     "C:\\old.exe", "again"},
    // Each save reads the file back into a new tree; keys are found again by their path.
    {"otherKeySavedInABatch",
     [](WineRegistry& r) {
         r.beginBatch();
         setText(r, "Software\\Other", "y", "changed");
         ASSERT_TRUE(r.endBatch(nullptr));
     },
     "C:\\old.exe", "sub"},
};

class LookupAfterEnumeration : public ::testing::TestWithParam<Change> {
  protected:
    void SetUp() override { m_temp.write("prefix/system.reg", kSystem); }
    std::filesystem::path prefix() const { return m_temp.path() / "prefix"; }
    test::TempDir m_temp;
};

std::string readText(WineRegistry& registry, HKEY key, const char* name)
{
    char data[256] = {};
    std::uint32_t size = sizeof data;
    std::uint32_t type = 0;
    if (registry.RegQueryValueExA(key, name, &type, reinterpret_cast<std::uint8_t*>(data), &size) != ERROR_SUCCESS)
        return "";
    return std::string(data, size > 0 && data[size - 1] == '\0' ? size - 1 : size);
}

TEST_P(LookupAfterEnumeration, AValueReadAfterItsEnumerationSeesTheChange)
{
    WineRegistry registry(prefix());
    HKEY app = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\App", 0, KEY_READ, &app), ERROR_SUCCESS);
    char name[256];
    std::uint32_t length = sizeof name;
    std::uint8_t data[256];
    std::uint32_t size = sizeof data;
    ASSERT_EQ(registry.RegEnumValueA(app, 0, name, &length, nullptr, data, &size), ERROR_SUCCESS);
    ASSERT_EQ(std::string(name, length), "Path");
    ASSERT_EQ(readText(registry, app, "Path"), "C:\\old.exe");

    GetParam().apply(registry);
    EXPECT_EQ(readText(registry, app, "Path"), GetParam().path);
    registry.RegCloseKey(app);
}

TEST_P(LookupAfterEnumeration, ASubkeyOpenedAfterItsEnumerationIsTheKeyThere)
{
    WineRegistry registry(prefix());
    HKEY app = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\App", 0, KEY_READ, &app), ERROR_SUCCESS);
    char name[256];
    std::uint32_t length = sizeof name;
    ASSERT_EQ(registry.RegEnumKeyExA(app, 0, name, &length, nullptr, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(std::string(name, length), "Sub");

    GetParam().apply(registry);
    EXPECT_FALSE(registry.isLinkKey(app, "Sub"));
    HKEY sub = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(app, "Sub", 0, KEY_READ, &sub), ERROR_SUCCESS);
    EXPECT_EQ(readText(registry, sub, "x"), GetParam().sub);
    registry.RegCloseKey(sub);
    registry.RegCloseKey(app);
}

INSTANTIATE_TEST_SUITE_P(Changes, LookupAfterEnumeration, ::testing::ValuesIn(kChanges),
                         [](const auto& param) { return std::string(param.param.name); });

// A handle is deleted through a path that leads back to its own key by a link; inside a batch
// nothing is read again, and the handle must still say its key is gone.
TEST(LookupAfterEnumerationGone, AHandleDeletedThroughALinkBackToItSaysDeleted)
{
    std::string link = "\"SymbolicLinkValue\"=hex(6):";
    const std::string target = "\\Registry\\Machine\\Software";
    for (std::size_t i = 0; i < target.size(); ++i) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "%02x,00", static_cast<unsigned char>(target[i]));
        link += (i ? "," : "") + std::string(byte);
    }
    test::TempDir temp;
    temp.write("prefix/system.reg",
               kSystem + "\n[Software\\\\App\\\\Up] 1700000000\n#time=1da1747c66d0000\n#link\n" + link + "\n");
    WineRegistry registry(temp.path() / "prefix");
    HKEY app = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\App", 0, KEY_ALL_ACCESS, &app), ERROR_SUCCESS);
    ASSERT_EQ(readText(registry, app, "Path"), "C:\\old.exe");
    registry.beginBatch();
    ASSERT_EQ(registry.RegDeleteTreeA(app, "Up\\App"), ERROR_SUCCESS);
    std::uint32_t size = 0;
    EXPECT_EQ(registry.RegQueryValueExA(app, "Path", nullptr, nullptr, &size), ERROR_KEY_DELETED);
    EXPECT_TRUE(registry.endBatch(nullptr));
    EXPECT_EQ(registry.RegQueryValueExA(app, "Path", nullptr, nullptr, &size), ERROR_KEY_DELETED);
    registry.RegCloseKey(app);
}

TEST(LookupAfterEnumerationGone, AnEnumeratedSubkeyDeletedMeanwhileCannotBeOpened)
{
    test::TempDir temp;
    temp.write("prefix/system.reg", kSystem);
    WineRegistry registry(temp.path() / "prefix");
    HKEY app = 0;
    ASSERT_EQ(registry.RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\App", 0, KEY_READ, &app), ERROR_SUCCESS);
    char name[256];
    std::uint32_t length = sizeof name;
    ASSERT_EQ(registry.RegEnumKeyExA(app, 0, name, &length, nullptr, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(registry.RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\App\\Sub"), ERROR_SUCCESS);
    HKEY sub = 0;
    EXPECT_EQ(registry.RegOpenKeyExA(app, "Sub", 0, KEY_READ, &sub), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(registry.isLinkKey(app, "Sub"));
    registry.RegCloseKey(app);
}

// Names come back in WTF-8 and string data in UTF-8, exactly as the text conversions give them,
// whatever mix of one- to four-byte characters and lone surrogates they hold.
TEST(WineRegistryText, EnumeratedNamesAndDataMatchTheTextConversions)
{
    const std::vector<std::u16string> texts = {
        u"",
        u"plain ascii",
        u"caf\u00e9 \u4e2d\u6587",
        std::u16string{u'a', 0xD83D, 0xDE00, u'b'},   // a pair: one four-byte character
        std::u16string{u'x', 0xD800},                 // a high surrogate at the end
        std::u16string{0xD800, u'y', 0xDC00, 0xDBFF}, // lone high, lone low, lone high
        std::u16string{0xDC00, 0xD800, 0xDC01},       // a low, then a pair
        // Longer text, its other characters at every place of a block of four ASCII units.
        u"abcdefgh\u00e9ijklmnop",
        u"abcdefghi\u00e9jk",
        u"abcdefghij\u4e2d",
        std::u16string(u"abc") + std::u16string{0xD83D, 0xDE00} + u"defghijk", // a pair across two blocks
        std::u16string(u"abcdefg") + std::u16string{0xD800},                   // a lone high closing a block
        std::u16string(u"abcdefgh") + u'\0' + u"ijkl",                         // a zero unit is ASCII too
        // Blocks of eight units: a unit whose low byte alone looks like ASCII, the first unit
        // past ASCII, and a pair across two blocks.
        u"abcdefghijkl\u0141mnopqrstuvwxyz",
        u"abcdefghijklmno\u0080pq",
        std::u16string(u"abcdefg") + std::u16string{0xD83D, 0xDE00} + u"hijklmnopqrs",
        u"abcdefghijklmnopqrstuvwxyzabcdef\u4e2d",
    };
    test::TempDir temp;
    temp.write("prefix/system.reg", kSystem);
    WineRegistry registry(temp.path() / "prefix");
    HKEY key = 0;
    ASSERT_EQ(
        registry.RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Texts", 0, nullptr, 0, KEY_ALL_ACCESS, &key, nullptr),
        ERROR_SUCCESS);
    // The text itself as the name too (a zero cannot be in a name the A calls pass), made unique.
    const auto nameFor = [&texts](std::size_t i) {
        std::u16string name = texts[i];
        for (char16_t& unit : name)
            unit = unit == 0 ? u'_' : unit;
        return name + static_cast<char16_t>(u'A' + i);
    };
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::u16string name = nameFor(i);
        const std::string bytes = utf16ToBytes(texts[i]);
        ASSERT_EQ(registry.setRawValue(key, utf16ToWtf8(name), REG_SZ,
                                       {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}),
                  ERROR_SUCCESS);
    }
    for (std::uint32_t index = 0; index < texts.size(); ++index) {
        char name[256];
        std::uint32_t length = sizeof name;
        std::uint8_t data[256];
        std::uint32_t size = sizeof data;
        ASSERT_EQ(registry.RegEnumValueA(key, index, name, &length, nullptr, data, &size), ERROR_SUCCESS);
        const std::u16string wide = utf8ToUtf16(std::string_view(name, length));
        const std::size_t i = static_cast<std::size_t>(wide.back() - u'A');
        ASSERT_LT(i, texts.size());
        EXPECT_EQ(std::string(name, length), utf16ToWtf8(nameFor(i))) << i;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), size), utf16ToUtf8(texts[i])) << i;
        std::uint32_t querySize = sizeof data;
        ASSERT_EQ(registry.RegQueryValueExA(key, name, nullptr, data, &querySize), ERROR_SUCCESS);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), querySize), utf16ToUtf8(texts[i])) << i;
    }
    registry.RegCloseKey(key);
}

} // namespace
} // namespace tessivar::wine
