#pragma once

// Conversions between the UTF-8 (WTF-8) text of the registry interface and the UTF-16LE bytes a
// registry stores for its string types. Unpaired surrogates survive both ways; bytes that are not
// UTF-8 become U+FFFD, one per bad byte, so no input is ever refused.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

std::vector<std::uint8_t> utf8ToUtf16Le(std::string_view text);
// An odd trailing byte is dropped: it cannot be half of a character.
std::string utf16LeToUtf8(std::span<const std::uint8_t> bytes);

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

} // namespace tessivar
