#pragma once

// The text of the desktop's own files the program reads and writes: desktop entries
// (".desktop") and the default-program lists ("mimeapps.list"). Both are groups of "key=value"
// lines in the desktop entry format. Pure text work, safe on any bytes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::xdg {

// The raw value of `key` in the first group named `group` that holds it; nullopt when there is
// none. Blanks around "=" are allowed; localised keys ("Exec[de]") and comments are not matched.
std::optional<std::string> groupValue(std::string_view text, std::string_view group, std::string_view key);

// A string value with its escapes (\s \n \t \r \\) undone; any other backslash stays.
std::string unescapeValue(std::string_view value);

// The items of a list value ("a.desktop;b.desktop;"), blanks around them removed, empty items
// left out.
std::vector<std::string> stringList(std::string_view value);

// The arguments of an Exec value (already unescaped), quoting undone and "%%" made "%"; field
// codes such as "%u" stay as they are. nullopt when a quotation is not closed.
std::optional<std::vector<std::string>> execArguments(std::string_view exec);

// `argument` as one quoted Exec argument, escaped for a desktop entry line: execArguments of
// unescapeValue of it gives back exactly `argument`.
std::string quotedExecArgument(std::string_view argument);

} // namespace tessivar::xdg
