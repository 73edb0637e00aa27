#pragma once

// The text the Wine registry's A calls hand out: the stored UTF-16 of names and string data as
// UTF-8 (WTF-8 for names, so that every name comes back unchanged), written into a text the
// caller keeps, so that a walk converting a million names and values allocates next to nothing.

#include "platform/wine/reg_file.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tessivar::wine {

bool isStringType(std::uint32_t type);

// A string value's stored UTF-16LE bytes as UTF-8, lone surrogates as U+FFFD: what
// utf16ToUtf8(bytesToUtf16(bytes)) gives. An odd last byte is ignored.
void assignDataText(std::string& out, std::string_view bytes);

// A key or value name as WTF-8: what utf16ToWtf8(name) gives.
void assignNameText(std::string& out, std::u16string_view name);

// Copies a name and its terminating zero into `buffer` when it fits in `*length` bytes, and sets
// `*length` to the name's length; otherwise sets it to the room needed and returns false.
bool copyName(std::string_view text, char* buffer, std::uint32_t* length);

// The bytes the A calls exchange: UTF-8 for the string types, the stored bytes for the others.
std::string narrowData(const RegValue& value);

} // namespace tessivar::wine
