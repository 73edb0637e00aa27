#include "platform/text_utils.h"

#include <gtest/gtest.h>

namespace tessivar {
namespace {

TEST(TextUtils, TrimsUpperCasesAndComparesAsciiOnly)
{
    EXPECT_EQ(trimmed("  a b  "), "a b");
    EXPECT_EQ(trimmed("\t a \t"), "\t a \t");
    EXPECT_EQ(trimmed("\t a \t", " \t"), "a");
    EXPECT_EQ(trimmed("   "), "");
    EXPECT_EQ(upper("abz\xC3\xA9"), "ABZ\xC3\xA9");
    EXPECT_TRUE(equalsIgnoringCase("Yes", "yES"));
    EXPECT_FALSE(equalsIgnoringCase("\xC3\xA9", "\xC3\x89"));
    EXPECT_FALSE(equalsIgnoringCase("ab", "abc"));
}

TEST(TextUtils, HexDigits)
{
    const std::string digits = "0123456789abcdefABCDEF";
    for (std::size_t i = 0; i < digits.size(); ++i)
        EXPECT_EQ(hexDigitValue(digits[i]), static_cast<int>(i < 16 ? i : i - 6)) << digits[i];
    for (char c : std::string("gG /:@`\x80"))
        EXPECT_EQ(hexDigitValue(c), -1) << c;
}

TEST(TextUtils, DecodesUtf8AndRefusesWhatIsMalformed)
{
    struct Case {
        std::string text;
        Surrogates surrogates;
        std::size_t length;
        char32_t codePoint;
    };
    const Case cases[] = {
        {"A", Surrogates::rejected, 1, U'A'},
        {"\xC3\xA9", Surrogates::rejected, 2, U'\u00E9'},
        {"\xE2\x82\xAC", Surrogates::rejected, 3, U'\u20AC'},
        {"\xF0\x9F\x98\x80", Surrogates::rejected, 4, U'\U0001F600'},
        {"\xED\xA0\x80", Surrogates::accepted, 3, 0xD800},
        {"\xED\xA0\x80", Surrogates::rejected, 0, 0},
        {"\xC0\x80", Surrogates::accepted, 0, 0},         // overlong
        {"\xF4\x90\x80\x80", Surrogates::accepted, 0, 0}, // beyond U+10FFFF
        {"\xE2\x82", Surrogates::accepted, 0, 0},         // cut short
        {"\xE2\x41\x41", Surrogates::accepted, 0, 0},     // not a continuation
        {"\xFF", Surrogates::accepted, 0, 0},
    };
    for (const Case& c : cases) {
        char32_t codePoint = 0;
        EXPECT_EQ(decodeUtf8(c.text, 0, c.surrogates, &codePoint), c.length) << c.text;
        if (c.length != 0) {
            EXPECT_EQ(codePoint, c.codePoint) << c.text;
        }
    }
    std::size_t pos = 0;
    EXPECT_EQ(decodeUtf8OrReplacement("\xE2\x82"
                                      "A",
                                      pos),
              U'\uFFFD');
    EXPECT_EQ(pos, 1u);
    std::string out;
    appendUtf8(out, U'\U0001F600');
    EXPECT_EQ(out, "\xF0\x9F\x98\x80");
}

} // namespace
} // namespace tessivar
