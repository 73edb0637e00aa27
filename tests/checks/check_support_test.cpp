#include "checks/check_support.h"

#include <gtest/gtest.h>
#include <string_view>

namespace tessivar::checks {
namespace {

struct ContainsCase {
    std::string_view text;
    std::string_view part;
    bool expected;
};

class ContainsIgnoringCase : public ::testing::TestWithParam<ContainsCase> {};

TEST_P(ContainsIgnoringCase, FindsThePartInAnyLetterCase)
{
    EXPECT_EQ(containsIgnoringCase(GetParam().text, GetParam().part), GetParam().expected)
        << GetParam().text << " / " << GetParam().part;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ContainsIgnoringCase,
    ::testing::Values(ContainsCase{"", "", true}, ContainsCase{"abc", "", true}, ContainsCase{"", "%x%", false},
                      ContainsCase{"%SystemRoot%\\x.dll", "%Systemroot%", true},
                      ContainsCase{"c:\\%SYSTEMROOT%", "%systemroot%", true},
                      ContainsCase{"%%Sysroot%", "%Sysroot%", true},    // a second sign right after the first
                      ContainsCase{"%Sys%Sysroot", "%Sysroot%", false}, // the last sign is missing
                      ContainsCase{"x%Sysroo", "%Sysroot%", false},     // cut short at the end
                      ContainsCase{"%ProgramFiles", "%ProgramFiles%", false},
                      ContainsCase{"a%b%c%ProgramFiles%", "%programfiles%", true},
                      ContainsCase{"WMPlayer.ProgID", "PROGID", true}, ContainsCase{"progi", "PROGID", false},
                      ContainsCase{"\xc3\xa9", "\xc3\x89", false}, // only ASCII letters fold
                      ContainsCase{"a[b", "A{B", false}));         // no folding across punctuation

} // namespace
} // namespace tessivar::checks
