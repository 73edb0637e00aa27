#include "platform/wine/windows_path.h"

#include <gtest/gtest.h>

namespace tessivar::wine {
namespace {

// "c:\a\b", "c:\a\" for a path naming its folder, "/a/b" for a Unix path, "-" when rejected.
std::string render(std::string_view text, Wildcards wildcards = Wildcards::rejected)
{
    const auto path = canonicalWindowsPath(text, wildcards);
    if (!path)
        return "-";
    const bool unix = path->kind == WindowsPath::Kind::unix;
    std::string out = unix ? "" : std::string{path->drive, ':'};
    const char separator = unix ? '/' : '\\';
    for (const auto& part : path->parts)
        out += separator + part;
    if (path->namesFolder || path->parts.empty())
        out += separator;
    return out;
}

struct CanonicalCase {
    const char* text;
    const char* expected;
};

class CanonicalForm : public ::testing::TestWithParam<CanonicalCase> {};

TEST_P(CanonicalForm, MatchesWin32)
{
    EXPECT_EQ(render(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CanonicalForm,
    ::testing::Values(CanonicalCase{"C:\\Windows\\System32\\kernel32.dll", "c:\\Windows\\System32\\kernel32.dll"},
                      CanonicalCase{"C:/Windows//System32\\\\x.dll", "c:\\Windows\\System32\\x.dll"},
                      CanonicalCase{"C:\\a\\.\\b\\..\\c.txt", "c:\\a\\c.txt"}, CanonicalCase{"C:\\..\\..\\x", "c:\\x"},
                      CanonicalCase{"C:\\a\\b\\..", "c:\\a"}, CanonicalCase{"C:\\dir.\\file", "c:\\dir\\file"},
                      CanonicalCase{"C:\\dir..\\file", "c:\\dir..\\file"},
                      CanonicalCase{"C:\\dir \\file", "c:\\dir \\file"},
                      CanonicalCase{"C:\\dir\\file.txt. . ", "c:\\dir\\file.txt"},
                      CanonicalCase{"C:\\dir\\ ", "c:\\dir\\"}, CanonicalCase{"C:\\dir\\...", "c:\\dir\\"},
                      CanonicalCase{"C:\\dir\\", "c:\\dir\\"}, CanonicalCase{"c:\\", "c:\\"},
                      CanonicalCase{"C:\\Program Files (x86)\\Ünï App\\файл.v1.2.txt",
                                    "c:\\Program Files (x86)\\Ünï App\\файл.v1.2.txt"},
                      CanonicalCase{"\\\\?\\unix\\etc\\hostname", "/etc/hostname"}, CanonicalCase{"\\\\?\\UNIX", "/"},
                      CanonicalCase{"\\\\?\\D:\\x", "d:\\x"},
                      // What cannot name a file on a drive, or what Windows rejects.
                      CanonicalCase{"", "-"}, CanonicalCase{"c:", "-"}, CanonicalCase{"C:dir\\x", "-"},
                      CanonicalCase{"\\\\server\\share\\x.exe", "-"}, CanonicalCase{"\\\\.\\C:\\x", "-"},
                      CanonicalCase{"\\\\?\\unixfoo\\x", "-"}, CanonicalCase{"\\windows\\x", "-"},
                      CanonicalCase{"x.exe", "-"}, CanonicalCase{"1:\\x", "-"}, CanonicalCase{"C:\\a<b", "-"},
                      CanonicalCase{"C:\\a>b", "-"}, CanonicalCase{"C:\\a|b", "-"}, CanonicalCase{"C:\\a\"b", "-"},
                      CanonicalCase{"C:\\a:b", "-"}, CanonicalCase{"C:\\a\\b\x01", "-"},
                      CanonicalCase{"C:\\a*\\b", "-"}, CanonicalCase{"C:\\a\\*.txt", "-"},
                      CanonicalCase{"\"C:\\a.exe\"", "-"}));

TEST(CanonicalForm, WildcardsOnlyInTheLastComponentOfASearch)
{
    EXPECT_EQ(render("C:\\a\\*.txt", Wildcards::allowedInLastComponent), "c:\\a\\*.txt");
    EXPECT_EQ(render("C:\\a\\file?.txt", Wildcards::allowedInLastComponent), "c:\\a\\file?.txt");
    EXPECT_EQ(render("C:\\a?\\x.txt", Wildcards::allowedInLastComponent), "-");
    EXPECT_EQ(render("C:\\a\\*\\", Wildcards::allowedInLastComponent), "-");
}

TEST(CanonicalForm, OverlongTextIsRejectedNotProcessed)
{
    EXPECT_EQ(render("C:\\" + std::string(40000, 'a')), "-");
}

TEST(FoldCase, FoldsTheLettersWindowsFoldsAndKeepsOtherBytes)
{
    EXPECT_EQ(foldCase("KERNEL32.DLL"), "kernel32.dll");
    EXPECT_EQ(foldCase("ÄÖÜ Straße"), "äöü straße");
    EXPECT_EQ(foldCase("ФАЙЛ Ёж ΑΒΓ"), "файл ёж αβγ");
    EXPECT_EQ(foldCase("ŁÓDŹ"), "łódź");
    EXPECT_EQ(foldCase("\xff\xfe"
                       "A\xc3"),
              "\xff\xfe"
              "a\xc3");
    EXPECT_EQ(foldCase("\xc0\x80"), "\xc0\x80"); // an overlong form is not a letter
    EXPECT_EQ(foldCase("\xed\xb2\x80"
                       "A"),
              "\xed\xb2\x80"
              "a"); // nor is an encoded surrogate
}

struct MatchCase {
    const char* pattern;
    const char* name;
    bool matches;
};

class Wildcard : public ::testing::TestWithParam<MatchCase> {};

TEST_P(Wildcard, MatchesAsADirectorySearch)
{
    EXPECT_EQ(wildcardMatch(GetParam().pattern, GetParam().name), GetParam().matches)
        << GetParam().pattern << " vs " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, Wildcard,
    ::testing::Values(MatchCase{"*", "anything.at.all", true}, MatchCase{"*.*", "readme", true},
                      MatchCase{"*.txt", "A.TXT", true}, MatchCase{"*.txt", "a.txt.bak", false},
                      MatchCase{"*.txt", ".txt", true}, MatchCase{"?.txt", "ab.txt", false},
                      MatchCase{"?.txt", "é.txt", true}, MatchCase{"a*b*c", "axxbyyc", true},
                      MatchCase{"a*b*c", "axxbyy", false}, MatchCase{"a*b*c", "abcabc", true},
                      MatchCase{"readme.*", "README", true}, MatchCase{"readme.*", "readme.md", true},
                      MatchCase{"readme.*", "readmex", false}, MatchCase{"KERNEL32.DLL", "kernel32.dll", true},
                      MatchCase{"*.dll", "ФАЙЛ.DLL", true}, MatchCase{"ФАЙЛ*", "файл.txt", true},
                      MatchCase{"*", ".", true}, MatchCase{"*.*", "..", true}, MatchCase{"?", ".", false},
                      MatchCase{"*x", ".", false}, MatchCase{"***a", "bbba", true}, MatchCase{"", "", true},
                      MatchCase{"", "a", false}));

TEST(Wildcard, ManyStarsDoNotBlowUp)
{
    const std::string pattern = std::string(200, '*') + "b";
    EXPECT_FALSE(wildcardMatch(pattern, std::string(5000, 'a')));
}

struct ShortNameCase {
    const char* name;
    bool isShort;
};

class ShortName : public ::testing::TestWithParam<ShortNameCase> {};

TEST_P(ShortName, RecognisesAliasShapes)
{
    EXPECT_EQ(looksLikeShortName(GetParam().name), GetParam().isShort) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, ShortName,
                         ::testing::Values(ShortNameCase{"PROGRA~1", true}, ShortNameCase{"LONGFI~2.TXT", true},
                                           ShortNameCase{"COMM~CP1", false}, ShortNameCase{"~1", false},
                                           ShortNameCase{"a~b", false}, ShortNameCase{"my file~1", false},
                                           ShortNameCase{"ABC~1.TEXT", false}, ShortNameCase{"readme", false}));

} // namespace
} // namespace tessivar::wine
