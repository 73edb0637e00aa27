#pragma once

// How `reg` shows registry data and turns command-line data into registry data: the text of
// `reg query`, the lines of a regedit export, the parsing of `reg add /t TYPE /d DATA`.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::cli {

// "REG_SZ", "REG_DWORD", ...; types reg has no name for read "0x" and their number in hex.
std::string regTypeName(std::uint32_t type);
// The type named on a command line (any letter case), including REG_DWORD_LITTLE_ENDIAN;
// nullopt for a name reg does not know.
std::optional<std::uint32_t> regTypeFromName(std::string_view name);

// The data column of `reg query` for stored bytes (UTF-16LE for the string types): strings up
// to their first zero, REG_MULTI_SZ items joined by "\0", numbers as 0x..., everything else as
// upper-case hex pairs. Data shorter than its type needs is shown from the bytes there are.
std::string queryDataText(std::uint32_t type, std::span<const std::uint8_t> data);

// What `reg add` stores for `/d DATA` (nullopt when /d was not given) of `type`, with `separator`
// ('\0' for the "\0" sequence) between REG_MULTI_SZ items. On bad data, nullopt and the
// message reg prints.
struct AddData {
    std::vector<std::uint8_t> bytes;
    std::string error;
};
AddData addDataFor(std::uint32_t type, const std::optional<std::string>& data, char separator);

// One value of a regedit export, without its line end: `"name"=...` or `@=...`, wrapped at the
// width regedit uses. Data that a quoted string or dword: would not carry exactly is written in
// its hex(N) form, so an import gives back the same bytes.
std::u16string exportValueLine(std::string_view name, std::uint32_t type, std::span<const std::uint8_t> data);

} // namespace tessivar::cli
