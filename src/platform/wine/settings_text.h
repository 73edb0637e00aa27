#pragma once

// The text form of the settings file, parsed and written without touching the disk (the file
// itself is SettingsFile's business). One line per item, LF ends a line (CR LF is read too):
//
//   ; a comment           (also "#"; blank lines are ignored)
//   [Tessivar v4.0/Settings]
//   chkMakeBackUp=1
//   txtBackup=C:\\Backups
//
// A header names the application and the section, joined by "/". An entry is the key, "=", the
// value. Keys, values and headers are escaped so that any bytes come back exactly: "\\" for a
// backslash, "\n", "\r", "\t", and "\xHH" (two hex digits) for every other control byte, for a
// blank at either end, for "=" in a key (and ";", "#", "[" opening one), and for "]" in a header.
// Bytes from 0x80 up are written as they are (the program's text is UTF-8). Keys of a section
// compare without regard to ASCII letter case and keep the spelling they were first written with.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::wine {

// Larger files are not read at all; they count as damaged.
inline constexpr std::size_t kMaxSettingsFileSize = 1u << 20;

struct SettingsDocument {
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name; // "application/section"
        std::vector<Entry> entries;
    };
    std::vector<Section> sections;

    const Entry* find(std::string_view section, std::string_view key) const;
    // Replaces the value of the key (keeping its first spelling), or appends it.
    void set(std::string_view section, std::string_view key, std::string_view value);
};

// nullopt when the text is not a settings file: a line that is neither blank, a comment, a header
// nor an entry; an entry before the first header; an empty key; a malformed escape; more than
// kMaxSettingsFileSize bytes. When a key appears twice in a section, the later value wins.
std::optional<SettingsDocument> ParseSettingsText(std::string_view text);
std::string SettingsText(const SettingsDocument& document);

} // namespace tessivar::wine
