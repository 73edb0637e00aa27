#pragma once

// The small registry operations the rest of the program calls. All are silent: reads report
// failure through their result; writes and deletions report nothing.

#include "platform/registry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace tessivar {

// Any value as the text a check looks at: REG_SZ and REG_MULTI_SZ up to their first zero
// character, REG_DWORD as signed decimal, everything else (REG_EXPAND_SZ included) "".
std::string ReadValueAsText(Registry& registry, HKEY key, std::string_view valueName);
// The same text into `text`, whose room is reused: a walk reads a million values this way.
void ReadValueAsText(Registry& registry, HKEY key, std::string_view valueName, std::string& text);
// The text ReadValueAsText gives for a value of `type` holding `data`, for a caller that has
// just read both (an enumeration).
void ValueDataAsText(std::uint32_t type, std::string_view data, std::string& text);

// A REG_SZ (without its terminating zero) or REG_DWORD value; the status of the last query, -1
// for any other type (value untouched). REG_SZ data stored without a terminating zero is taken
// whole.
using TypedValue = std::variant<std::string, std::int32_t>;
LSTATUS QueryTypedValue(Registry& registry, HKEY key, std::string_view valueName, TypedValue& value);

// Opens the key with full access and reads a REG_SZ or REG_DWORD value as text; false (and
// `text` untouched) when it cannot.
bool ReadValueFromKey(Registry& registry, HKEY hive, std::string_view keyPath, std::string_view valueName,
                      std::string& text);

void EnsureKey(Registry& registry, HKEY hive, std::string_view keyPath);
// Stores REG_SZ (with a terminating zero, blanks kept) or REG_DWORD; creates the key if needed.
// A DWORD is written only when the text is a decimal 32-bit number (signed, or the unsigned
// spelling of the same bits); other text, and any other type, writes nothing. True when the
// value was stored.
bool WriteTypedValue(Registry& registry, HKEY hive, std::string_view keyPath, std::string_view valueName,
                     std::string_view value, std::uint32_t type);
LSTATUS StoreTypedValue(Registry& registry, HKEY key, std::string_view valueName, std::uint32_t type,
                        std::string_view value);
// REG_DWORD when the text reads as a number, else REG_SZ trimmed and without a terminating zero;
// the key is never created. A number is an optional sign and decimal digits (blanks around them
// allowed) within the signed 32-bit range; fractions, hex and longer digit strings stay text.
// True when the value was stored.
bool WriteValueGuessType(Registry& registry, HKEY hive, std::string_view keyPath, std::string_view valueName,
                         std::string_view value);
// "(Default)" deletes a value of that literal name, not the unnamed value.
void RemoveValue(Registry& registry, HKEY hive, std::string_view keyPath, std::string_view valueName);

std::uint32_t GetPlatformId(Registry& registry);

} // namespace tessivar
