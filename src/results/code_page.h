#pragma once

// The single-byte code page of the files written for Windows tools (the scan report): Windows-1252.

#include <string>
#include <string_view>

namespace tessivar {

// UTF-8 text as Windows-1252 bytes. Each character the code page lacks, and each byte that is not
// part of well-formed UTF-8, becomes one "?".
std::string Utf8ToWindows1252(std::string_view text);

} // namespace tessivar
