#pragma once

// Text helpers of the shortcut readers.

#include <string>
#include <string_view>

namespace tessivar::shortcut_text {

// ANSI bytes of an unknown code page to UTF-8. ASCII passes unchanged; any other byte is shown
// as its Windows-1252 character and sets *uncertain, since the writer's code page may differ.
std::string AnsiToUtf8(std::string_view raw, bool* uncertain);

// An 8.3 name made up by the file system ("PROGRA~1"): it names the file only on a disk that
// keeps such names, so it cannot prove a target missing.
bool LooksLikeShortName(std::string_view name);

// UTF-8 as it is, or text that is not UTF-8 taken as ANSI (see AnsiToUtf8).
std::string TextToUtf8(std::string_view raw, bool* uncertain);

} // namespace tessivar::shortcut_text
