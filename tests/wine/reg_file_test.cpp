#include "platform/wine/reg_file.h"
#include "platform/wine/reg_text.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace tessivar::wine {
namespace {

constexpr std::uint64_t kLoadTime = 133444736000000000ull; // 1700000000 s

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string fixture(const std::string& name)
{
    return readFile(std::filesystem::path(TESSIVAR_FIXTURES) / "registry" / name);
}

std::unique_ptr<RegFile> parse(const std::string& text)
{
    return RegFile::parse(text, "test.reg", kLoadTime);
}

RegKey* find(RegFile& file, std::initializer_list<std::u16string_view> path)
{
    RegKey* key = &file.root();
    for (auto part : path) {
        key = key->findChild(part);
        if (!key)
            return nullptr;
    }
    return key;
}

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::string wide(std::u16string_view text, bool terminate = true)
{
    std::string out = utf16ToBytes(text);
    if (terminate)
        out += std::string(2, '\0');
    return out;
}

const std::string kHead = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";

// --- byte-identical round trips ---

TEST(RegFileRoundTrip, FixturesComeBackByteForByteEvenWhenEveryKeyIsRewritten)
{
    for (const char* name : {"edge_cases.reg", "wine_example.reg"}) {
        SCOPED_TRACE(name);
        const std::string text = fixture(name);
        ASSERT_FALSE(text.empty());
        auto file = parse(text);
        EXPECT_TRUE(file->problems().empty()) << file->firstProblemMessage();
        EXPECT_EQ(file->serialize(), text);
        // Written purely by the rules, the file must still be the same bytes.
        EXPECT_EQ(file->serialize(RegLayout::rewriteAll), text);
    }
}

TEST(RegFileRoundTrip, RealWineFilesComeBackByteForByte)
{
    const char* prefix = std::getenv("TESSIVAR_TEST_WINEPREFIX");
    if (!prefix || !*prefix)
        GTEST_SKIP() << "TESSIVAR_TEST_WINEPREFIX is not set: no real Wine files to compare with";
    for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
        SCOPED_TRACE(name);
        const std::string text = readFile(std::filesystem::path(prefix) / name);
        ASSERT_FALSE(text.empty());
        auto file = parse(text);
        EXPECT_TRUE(file->problems().empty()) << file->firstProblemMessage();
        EXPECT_EQ(file->serialize(), text);
        EXPECT_EQ(file->serialize(RegLayout::rewriteAll), text);
    }
}

// --- reading every construct ---

struct ValueCase {
    const char* line;
    std::u16string name;
    std::uint32_t type;
    std::string data;
};

class RegFileValueLine : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RegFileValueLine, ReadsAsTheServerReadsIt)
{
    const ValueCase& c = GetParam();
    auto file = parse(kHead + "\n[K] 1\n" + c.line + "\n");
    RegKey* key = find(*file, {u"K"});
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values().size(), 1u);
    const RegValue& value = key->values().front();
    EXPECT_EQ(value.name, c.name);
    EXPECT_EQ(value.type, c.type);
    EXPECT_EQ(value.data, c.data);
    EXPECT_TRUE(file->problems().empty()) << file->firstProblemMessage();
}

INSTANTIATE_TEST_SUITE_P(
    Forms, RegFileValueLine,
    ::testing::Values(
        ValueCase{"@=\"d\"", u"", 1, wide(u"d")}, ValueCase{"\"s\"=str:\"x\"", u"s", 1, wide(u"x")},
        ValueCase{"\"e\"=str(2):\"%a%\"", u"e", 2, wide(u"%a%")},
        ValueCase{"\"m\"=str(7):\"a\\0b\\0\"", u"m", 7, wide(std::u16string(u"a\0b\0", 4))},
        ValueCase{"\"m\"=str(7):\"\"", u"m", 7, wide(u"")}, ValueCase{"\"empty\"=\"\"", u"empty", 1, wide(u"")},
        ValueCase{"\"d\"=dword:0000002a", u"d", 4, bytes({0x2a, 0, 0, 0})},
        ValueCase{"\"d\"=dword:2A", u"d", 4, bytes({0x2a, 0, 0, 0})},
        ValueCase{"\"b\"=hex:de,ad", u"b", 3, bytes({0xde, 0xad})},
        ValueCase{"\"b\"=hex:de , ad,", u"b", 3, bytes({0xde, 0xad})}, ValueCase{"\"b\"=hex:", u"b", 3, ""},
        ValueCase{"\"n\"=hex(0):", u"n", 0, ""},
        ValueCase{"\"q\"=hex(b):01,02,03,04,05,06,07,08", u"q", 11, bytes({1, 2, 3, 4, 5, 6, 7, 8})},
        ValueCase{"\"w\"=hex(ffff0012):ff", u"w", 0xffff0012u, bytes({0xff})},
        ValueCase{"\"c\"=hex:01,\\\n   02,\\\n  03", u"c", 3, bytes({1, 2, 3})},
        ValueCase{"   \"Indented\"  =  \"x\"", u"Indented", 1, wide(u"x")},
        ValueCase{"\"junk\"=\"abc\" junk", u"junk", 1, wide(u"abc")},
        ValueCase{"\"esc\"=\"\\a\\b\\e\\f\\n\\r\\t\\v\\\\\\\"\\q\\[\"", u"esc", 1, wide(u"\a\b\x1b\f\n\r\t\v\\\"q[")},
        ValueCase{"\"hex\"=\"\\x00e9abc \\xe9z \\x \\x4e2d\"", u"hex", 1, wide(u"\u00e9abc \u00e9z x \u4e2d")},
        ValueCase{"\"oct\"=\"\\0011\\28\\101\"", u"oct", 1,
                  wide(u"\x01"
                       u"1\x02"
                       u"8A")},
        ValueCase{"\"raw\"=\"caf\xc3\xa9 \xe4\xb8\xad\"", u"raw", 1, wide(u"caf\u00e9 \u4e2d")},
        ValueCase{"\"pair\"=\"\\xd83d\\xde00\"", u"pair", 1, wide(u"\U0001F600")},
        ValueCase{"\"Quote\\\"d\"=\"q\"", u"Quote\"d", 1, wide(u"q")}));

TEST(RegFileRead, KeyNamesUnescapeBeforeSplittingAndMissingParentsAreImplied)
{
    auto file = parse(kHead + "\n[A\\\\B\\[1\\]\\\\C\\Single] 1700000000\n\"v\"=\"1\"\n");
    EXPECT_NE(find(*file, {u"A", u"B[1]", u"CSingle"}), nullptr);
    RegKey* a = find(*file, {u"a"});
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->name(), u"A");
    // Implied parents take the time of the first key below them.
    EXPECT_EQ(a->modified(), kLoadTime);
}

TEST(RegFileRead, TimeLineTakesPrecedenceOverSecondsAndCaseIsIgnored)
{
    auto file = parse(kHead + "\n[X] 1700000000\n#time=1D9E2B8C0A00000\n");
    EXPECT_EQ(find(*file, {u"X"})->modified(), 0x1d9e2b8c0a00000ull);
}

TEST(RegFileRead, RepeatedKeysAndValuesMergeAsTheServerMergesThem)
{
    auto file = parse(kHead + "\n[K\\\\CaseKey] 1700000000\n\"v\"=\"first\"\n\"only1\"=\"a\"\n"
                              "\n[K\\\\CASEKEY] 1700000001\n\"V\"=\"second\"\n\"only2\"=\"b\"\n");
    RegKey* key = find(*file, {u"k", u"casekey"});
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->name(), u"CaseKey");
    EXPECT_EQ(key->modified(), kLoadTime);
    ASSERT_EQ(key->values().size(), 3u);
    const RegValue* v = key->findValue(u"V");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->name, u"v");
    EXPECT_EQ(v->data, wide(u"second"));
    // Written back, the merged key is one section in the server's form.
    EXPECT_EQ(file->serialize(), kHead + "\n[K\\\\CaseKey] 1700000000\n#time=1da1747c66d0000\n\"only1\"=\"a\"\n"
                                         "\"only2\"=\"b\"\n\"v\"=\"second\"\n");
}

TEST(RegFileRead, AParentSpelledAnotherWayIsWrittenAsTheFirstSpellingKeptIt)
{
    // "Soft" is implied by the first key; the second line spells it "SOFT". The server keeps the
    // first spelling, so the second key is written with it, and a second load reads the same.
    auto file = parse(kHead + "\n[Soft\\\\Zed] 1700000000\n\"a\"=\"1\"\n"
                              "\n[SOFT\\\\Abc] 1700000000\n\"b\"=\"2\"\n");
    const std::string written = file->serialize();
    EXPECT_EQ(written, kHead + "\n[Soft\\\\Abc] 1700000000\n#time=1da1747c66d0000\n\"b\"=\"2\"\n"
                               "\n[Soft\\\\Zed] 1700000000\n\"a\"=\"1\"\n");
    EXPECT_EQ(parse(written)->serialize(), written);
}

TEST(RegFileRead, EachKeyLineNamesTheSameKeyWhateverTheLinesBeforeIt)
{
    // Consecutive key lines share most of their path; whether a line is read after a plain line,
    // an escaped one, its own child, a longer name or itself must not change the key it names.
    auto file = parse(kHead + "\n[A\\\\B\\\\C] 1\n\"c\"=\"1\"\n"
                              "\n[A\\\\B] 1\n\"b\"=\"1\"\n"
                              "\n[A\\\\\\x42\\\\D] 1\n"
                              "\n[A\\\\B\\\\E] 1\n"
                              "\n[A\\\\Bx] 1\n"
                              "\n[A\\\\B\\\\\\\\F] 1\n"
                              "\n[A\\\\B\\\\C] 2\n\"c2\"=\"2\"\n");
    RegKey* a = find(*file, {u"A"});
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->childCount(), 2u);
    EXPECT_EQ(a->child(0)->name(), u"B");
    EXPECT_EQ(a->child(1)->name(), u"Bx");
    RegKey* b = a->child(0);
    ASSERT_EQ(b->childCount(), 4u);
    for (std::u16string_view name : {u"C", u"D", u"E", u"F"})
        EXPECT_NE(b->findChild(name), nullptr) << std::string(name.begin(), name.end());
    EXPECT_EQ(b->values().size(), 1u);
    EXPECT_EQ(b->findChild(u"C")->values().size(), 2u);
    EXPECT_TRUE(file->problems().empty());
}

TEST(RegFileRead, ARespellingCarriesOverToTheKeysBelowIt)
{
    auto file = parse(kHead + "\n[Soft\\\\Zed] 1700000000\n"
                              "\n[SOFT\\\\Abc] 1700000000\n"
                              "\n[SOFT\\\\Abc\\\\Deep] 1700000000\n\"d\"=\"1\"\n");
    const std::string written = file->serialize();
    EXPECT_NE(written.find("\n[Soft\\\\Abc\\\\Deep] 1700000000\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("SOFT"), std::string::npos) << written;
    EXPECT_EQ(parse(written)->serialize(), written);
}

TEST(RegFileRead, AKeysOwnTimeWinsOverTheTimeASubkeyListedBeforeItGaveIt)
{
    // Listed after its subkey, the parent first takes the subkey's time; its own section then
    // gives it its own, as when the server lists parents first.
    auto childFirst = parse(kHead + "\n[P\\\\Child] 1700000000\n#time=1d9e2b8c0a00000\n\"c\"=\"1\"\n"
                                    "\n[P] 1700000000\n#time=1da1747c66d0000\n\"p\"=\"1\"\n");
    auto parentFirst = parse(kHead + "\n[P] 1700000000\n#time=1da1747c66d0000\n\"p\"=\"1\"\n"
                                     "\n[P\\\\Child] 1700000000\n#time=1d9e2b8c0a00000\n\"c\"=\"1\"\n");
    EXPECT_EQ(find(*childFirst, {u"P"})->modified(), 0x1da1747c66d0000u);
    EXPECT_EQ(childFirst->serialize(RegLayout::rewriteAll), parentFirst->serialize(RegLayout::rewriteAll));
}

TEST(RegFileRead, AnOwnTimeOfZeroIsStillTheKeysOwn)
{
    // "#time=" with no digit gives the key the time 0; a subkey's time must not replace it.
    auto file = parse(kHead + "\n[P] 1700000000\n#time=\n\"p\"=\"1\"\n\n[P\\\\Child] 1700000000\n\"c\"=\"1\"\n");
    EXPECT_EQ(find(*file, {u"P"})->modified(), 0u);
    const std::string written = file->serialize(RegLayout::rewriteAll);
    EXPECT_EQ(parse(written)->serialize(RegLayout::rewriteAll), written);
}

TEST(RegFileRead, CrLfLinesReadLikeLfLinesAndAreWrittenWithLf)
{
    auto file =
        parse("WINE REGISTRY Version 2\r\n;; c\r\n\r\n#arch=win64\r\n\r\n[K] 1700000000\r\n\"a\"=hex:01,\\\r\n  02\r\n"
              "\"s\"=\"x\"\r\n");
    RegKey* key = find(*file, {u"K"});
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(file->arch(), "win64");
    EXPECT_TRUE(file->problems().empty()) << file->firstProblemMessage();
    EXPECT_EQ(key->findValue(u"a")->data, bytes({1, 2}));
    EXPECT_EQ(key->findValue(u"s")->data, wide(u"x"));
    EXPECT_EQ(file->serialize().find('\r'), std::string::npos);
}

// --- what makes a file unsafe to write ---

struct ProblemCase {
    std::string text;
    std::size_t line;
};

class RegFileProblem : public ::testing::TestWithParam<ProblemCase> {};

TEST_P(RegFileProblem, IsReportedWithItsLine)
{
    auto file = parse(GetParam().text);
    ASSERT_FALSE(file->problems().empty());
    EXPECT_EQ(file->problems().front().line, GetParam().line);
    EXPECT_EQ(file->firstProblemMessage().rfind("test.reg line " + std::to_string(GetParam().line) + ": ", 0), 0u)
        << file->firstProblemMessage();
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, RegFileProblem,
    ::testing::Values(
        ProblemCase{"\xef\xbb\xbfWINE REGISTRY Version 2\n", 1}, ProblemCase{"\nWINE REGISTRY Version 2\n", 1},
        ProblemCase{"WINE REGISTRY Version 1\n", 1}, ProblemCase{kHead + "#arch=win128\n", 5},
        ProblemCase{kHead + "\n[K] 1\n\"u\"=\"unterminated\n", 7}, ProblemCase{kHead + "\n[K] 1\n\"h\"=hex: 01\n", 7},
        ProblemCase{kHead + "\n[K] 1\n\"h\"=hex:100\n", 7}, ProblemCase{kHead + "\n[K] 1\n\"t\"=str(3):\"x\"\n", 7},
        ProblemCase{kHead + "\n[K] 1\n\"t\"=HEX:01\n", 7}, ProblemCase{kHead + "\n[K] 1\n\"n\n", 7},
        ProblemCase{kHead + "\n[K] 1\n\"d\"=dword:\n", 7}, ProblemCase{kHead + "\n\"v\"=\"no key\"\n", 6},
        ProblemCase{kHead + "\n[Unclosed 1\n", 6}, ProblemCase{kHead + "\n[K] 1\nwhat\n", 7},
        ProblemCase{kHead + "\n[K] 1\n\"c\"=hex:01,\\\n", 7}, ProblemCase{kHead + "\n[K] 1\n\"bad\"=\"\xff\xfe\"\n", 7},
        ProblemCase{kHead + "\n[K] 1\n#class=unquoted\n", 7}));

TEST(RegFileRead, ARareByteIsFoundOnWhicheverLineItStands)
{
    // Long files are looked at in blocks, short ends byte by byte: a NUL or a CR counts in both.
    std::string body;
    for (int i = 0; i < 40; ++i)
        body += "\n[Key" + std::to_string(i) + "\\\\With\\\\A\\\\Long\\\\Path] 1700000000\n\"v\"=\"" +
                std::string(70, 'x') + "\"\n";
    const std::size_t bodyLines = 3 * 40;
    for (const std::string& tail :
         {std::string("\n[Z] 1\n"), std::string("\n[Z] 1\n") + std::string(100, ';') + "\n"}) {
        auto withNul = parse(kHead + body + "\"n\"=\"a" + std::string(1, '\0') + "b\"\n" + tail);
        ASSERT_FALSE(withNul->problems().empty());
        EXPECT_EQ(withNul->problems().front().line, 4 + bodyLines + 1);
        auto nulAtEnd = parse(kHead + body + tail + "\"n\"=\"" + std::string(1, '\0') + "\"\n");
        EXPECT_FALSE(nulAtEnd->problems().empty());

        auto withCr = parse(kHead + body + tail + "\"r\"=\"x\"\r\n");
        EXPECT_TRUE(withCr->problems().empty());
        EXPECT_EQ(withCr->serialize().find('\r'), std::string::npos);
    }
}

TEST(RegFileRead, AWrappedHexValueKeepsItsContinuationWhateverItsNameHolds)
{
    auto file = parse(kHead + "\n[K] 1\n\"a\\\"=b\\\\\"=hex:01,\\\n  02\n@=hex(7):03,\\\n  04\n");
    EXPECT_TRUE(file->problems().empty()) << file->firstProblemMessage();
    RegKey* key = find(*file, {u"K"});
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values().size(), 2u);
    EXPECT_EQ(key->findValue(u"a\"=b\\")->data, bytes({1, 2}));
    EXPECT_EQ(key->findValue(u"")->data, bytes({3, 4}));
}

TEST(RegFileRead, MalformedValueReadsAsEmptyNoneValueAndLaterLinesStillCount)
{
    auto file = parse(kHead + "\n[K] 1\n\"broken\"=hex: 01\n\"fine\"=dword:00000001\n");
    RegKey* key = find(*file, {u"K"});
    const RegValue* broken = key->findValue(u"broken");
    ASSERT_NE(broken, nullptr);
    EXPECT_EQ(broken->type, 0u);
    EXPECT_TRUE(broken->data.empty());
    EXPECT_NE(key->findValue(u"fine"), nullptr);
}

TEST(RegFileRead, BadHeaderGivesAnEmptyHive)
{
    auto file = parse("WINE REGISTRY Version 3\n\n[K] 1\n\"a\"=\"b\"\n");
    EXPECT_FALSE(file->headerValid());
    EXPECT_EQ(file->root().childCount(), 0u);
}

// --- writing changes the way the server does ---

TEST(RegFileWrite, ChangingOneValueChangesOnlyThatValueAndItsKeyTimes)
{
    const std::string text = fixture("edge_cases.reg");
    auto file = parse(text);
    RegKey* key = find(*file, {u"Software", u"Edge", u"Sub[1]"});
    ASSERT_NE(key, nullptr);
    key->setValue(u"a", 1, wide(u"changed"), 0x1da1747c66d0000ull + 10000000ull * 60);
    std::string expected = text;
    const std::string before = "[Software\\\\Edge\\\\Sub\\[1\\]] 1700000000\n#time=1da1747c66d0000\n\"a\"=\"b\"\n";
    const std::string after = "[Software\\\\Edge\\\\Sub\\[1\\]] 1700000060\n#time=1da1747ea304600\n\"a\"=\"changed\"\n";
    ASSERT_NE(expected.find(before), std::string::npos);
    expected.replace(expected.find(before), before.size(), after);
    EXPECT_EQ(file->serialize(), expected);
}

TEST(RegFileWrite, DeletingTheLastChildKeepsTheParentAsAnEmptySection)
{
    auto file = parse(kHead + "\n[P\\\\Child] 1700000000\n#time=1da1747c66d0000\n\"a\"=\"b\"\n");
    RegKey* parent = find(*file, {u"P"});
    parent->removeChild(parent->findChild(u"child"), 0x1da1747c66d0000ull);
    EXPECT_EQ(file->serialize(), kHead + "\n[P] 1700000000\n#time=1da1747c66d0000\n");
}

TEST(RegFileWrite, NewKeysAndValuesAreSortedTheServersWay)
{
    auto file = parse(kHead);
    bool created = false;
    RegKey* key = file->root().createChild(u"K", kLoadTime, &created);
    EXPECT_TRUE(created);
    for (const char16_t* name : {u"Zed", u"~tilde", u"B2", u"ab", u"_under", u"b", u"[br", u"a"})
        key->setValue(name, 4, bytes({1, 0, 0, 0}), kLoadTime);
    std::string names;
    for (const RegValue& value : key->values())
        names += utf16ToUtf8(value.name) + " ";
    EXPECT_EQ(names, "[br _under a ab b B2 Zed ~tilde ");
    key->setValue(u"ZED", 3, bytes({1}), kLoadTime);
    EXPECT_EQ(key->findValue(u"zed")->name, u"Zed");
}

TEST(RegFileWrite, DataIsOnlyWrittenAsTextWhenItReadsBackTheSame)
{
    auto file = parse(kHead);
    RegKey* key = file->root().createChild(u"K", kLoadTime, nullptr);
    key->setValue(u"noNul", 1, wide(u"AB", false), kLoadTime);
    key->setValue(u"odd", 2, bytes({0x41, 0, 0}), kLoadTime);
    key->setValue(u"shortDword", 4, bytes({1, 2}), kLoadTime);
    key->setValue(u"zeroSz", 1, "", kLoadTime);
    key->setValue(u"BinLong", 3, std::string(64, '\x11'), kLoadTime);
    const std::string out = file->serialize();
    EXPECT_NE(out.find("\"noNul\"=hex(1):41,00,42,00\n"), std::string::npos);
    EXPECT_NE(out.find("\"odd\"=hex(2):41,00,00\n"), std::string::npos);
    EXPECT_NE(out.find("\"shortDword\"=hex(4):01,02\n"), std::string::npos);
    EXPECT_NE(out.find("\"zeroSz\"=hex(1):\n"), std::string::npos);
    // 21 bytes on the first line of a 64-byte value, then 25 per line.
    const std::string first = "\"BinLong\"=hex:" + [] {
        std::string s;
        for (int i = 0; i < 21; ++i)
            s += "11,";
        return s;
    }() + "\\\n  ";
    EXPECT_NE(out.find(first), std::string::npos) << out;
    auto reread = parse(out);
    EXPECT_EQ(reread->serialize(), out);
    EXPECT_EQ(find(*reread, {u"K"})->findValue(u"BinLong")->data, std::string(64, '\x11'));
}

// --- escapes, both ways ---

struct EscapeCase {
    std::u16string text;
    std::string written;
};

class RegFileEscape : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(RegFileEscape, WritesTheServersFormAndReadsItBack)
{
    std::string out;
    appendEscaped(out, GetParam().text, "\"", false);
    EXPECT_EQ(out, GetParam().written);
    std::u16string back;
    const std::string quoted = out + "\"";
    EXPECT_EQ(unescape(quoted, 0, '"', back, nullptr), quoted.size());
    EXPECT_EQ(back, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Units, RegFileEscape,
                         ::testing::Values(EscapeCase{u"\u00e9a", "\\x00e9a"}, EscapeCase{u"\u00e9z", "\\xe9z"},
                                           EscapeCase{u"\u4e2d", "\\x4e2d"},
                                           EscapeCase{u"\U0001F600", "\\xd83d\\xde00"},
                                           EscapeCase{u"\u00e9F", "\\x00e9F"},
                                           EscapeCase{std::u16string(u"\0", 1), "\\0"},
                                           EscapeCase{u"\x01"
                                                      u"1",
                                                      "\\0011"},
                                           EscapeCase{u"\x02"
                                                      u"8",
                                                      "\\28"},
                                           EscapeCase{u"\x1f", "\\37"}, EscapeCase{u"\x1b", "\\e"},
                                           EscapeCase{u"\a\b\t\n\v\f\r", "\\a\\b\\t\\n\\v\\f\\r"},
                                           EscapeCase{u"\\\"[]\x7f", "\\\\\\\"[]\x7f"},
                                           EscapeCase{std::u16string(1, char16_t(0xdc00)) + u"x", "\\xdc00x"}));

TEST(RegFileEscapeKeys, BracketsAreEscapedInKeyNamesOnly)
{
    std::string out;
    appendEscaped(out, u"Sub[1]\"", "[]", false);
    EXPECT_EQ(out, "Sub\\[1\\]\"");
}

TEST(RegFileCase, NamesCompareWithoutLetterCaseBeyondAscii)
{
    EXPECT_TRUE(namesEqual(u"\u00c9T\u00c9", u"\u00e9t\u00e9"));
    EXPECT_TRUE(namesEqual(u"\u0416", u"\u0436"));
    EXPECT_FALSE(namesEqual(u"a", u"ab"));
    EXPECT_LT(compareNames(u"_", u"a"), 0);
    EXPECT_GT(compareNames(u"Z", u"_"), 0);
}

TEST(RegFileChanges, TheObserverHearsOfEveryChangeBeforeItIsMade)
{
    auto file = RegFile::parse("WINE REGISTRY Version 2\n\n[A] 1\n\"v\"=\"1\"\n\n[A\\\\B] 1\n", "system.reg", 0);
    RegKey* a = file->root().findChild(u"A");
    ASSERT_NE(a, nullptr);
    std::vector<std::size_t> valuesSeen; // how many values "A" had when each change was announced
    file->setChangeObserver([&] { valuesSeen.push_back(a->values().size()); });
    a->setValue(u"w", 1, std::string("x\0\0\0", 4), 2);
    a->removeValue(u"v", 2);
    a->removeChild(a->findChild(u"B"), 2);
    a->createChild(u"C", 2, nullptr);
    a->setClassName(u"class", 2);
    a->removeAllValues(2);
    EXPECT_EQ(valuesSeen, (std::vector<std::size_t>{1, 2, 1, 1, 1, 1}));
}

} // namespace
} // namespace tessivar::wine
