#include "platform/utf16_text.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

struct RoundTrip {
    const char* label;
    std::string utf8;
    std::u16string utf16;
};

class Utf16Text : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(Utf16Text, ConvertsBothWays)
{
    const RoundTrip& c = GetParam();
    EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(utf16ToUtf8(c.utf16), c.utf8);
}

INSTANTIATE_TEST_SUITE_P(Cases, Utf16Text,
                         ::testing::Values(RoundTrip{"ascii", "abc", u"abc"},
                                           RoundTrip{"zeroKept", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
                                           RoundTrip{"latin", "caf\xC3\xA9", u"caf\u00e9"},
                                           RoundTrip{"cjk", "\xE4\xB8\xAD", u"\u4e2d"},
                                           RoundTrip{"astral", "\xF0\x9F\x98\x80", u"\xd83d\xde00"},
                                           // A lone surrogate travels as its three-byte form and comes back unchanged.
                                           RoundTrip{"loneSurrogate",
                                                     "\xED\xA0\xBD"
                                                     "x",
                                                     std::u16string{0xD83D, u'x'}}),
                         [](const ::testing::TestParamInfo<RoundTrip>& param) {
                             return std::string(param.param.label);
                         });

TEST(Utf16TextBadInput, InvalidBytesBecomeReplacementCharacters)
{
    EXPECT_EQ(utf8ToUtf16("a\xFF"
                          "b\xC3"),
              (std::u16string{u'a', 0xFFFD, u'b', 0xFFFD}));
    EXPECT_EQ(utf8ToUtf16("\xC0\x80"), (std::u16string{0xFFFD, 0xFFFD})); // overlong zero
    const std::uint8_t odd[] = {'a', 0, 'b'};
    EXPECT_EQ(utf16LeToUtf8(odd), "a");
}

} // namespace
} // namespace tessivar
