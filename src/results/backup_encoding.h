#pragma once

// How a backup record is stored on one line of a backup file.
//
// The file holds Windows-1252 text with every byte shifted up by 10, fields joined by "^" and CR LF
// after each line. That format cannot hold every byte: the shift overflows for 246-255, turns 0
// and 3 into LF and CR, and a "^" inside a field would split it. Those bytes, and characters
// outside Windows-1252, are written as escapes that start with a stored byte below 10, which a
// shifted byte never is, so no older file can contain one:
//
//   0x01 h h   one Windows-1252 character, h h its code in upper-case hex, never a separator
//   0x02 h h   one raw byte of the UTF-8 text (a character outside Windows-1252, or a byte that is
//              not valid UTF-8), copied to the decoded text as it stands
//
// Text inside the program is UTF-8; everything that Windows-1252 holds is stored exactly as a
// Windows program writing the code page would store it.

#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

inline constexpr char kBackupFieldSeparator = '^';

// One line's fields, stored form, without the line end. Every field comes back unchanged from
// DecodeBackupFields, whatever bytes it holds.
std::string EncodeBackupFields(const std::vector<std::string>& fields);
std::vector<std::string> DecodeBackupFields(std::string_view stored);

// The line as plain text with its fields joined by "^": every "^" of `plain` is taken as a
// separator when encoding, and escaped "^" come back as "^" when decoding.
std::string EncodeBackupLine(std::string_view plain);
std::string DecodeBackupLine(std::string_view stored);

// The Windows-1252 byte of a code point, or -1 when the code page has none; the five codes
// Windows-1252 leaves undefined map to the C1 controls of the same number, as Windows maps them.
int windows1252FromCodePoint(char32_t codePoint);

} // namespace tessivar
