#include "platform/wine/settings_text.h"

#include "platform/text_utils.h"

#include <algorithm>
#include <unordered_map>

namespace tessivar::wine {

namespace {

enum class Field { key, value, header };

constexpr std::string_view kHeading = "; Tessivar settings. Escapes: \\\\ \\n \\r \\t \\xHH.\n";

void appendHex(std::string& out, unsigned char c)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += "\\x";
    out += kDigits[c >> 4];
    out += kDigits[c & 0x0F];
}

std::string escape(std::string_view text, Field field)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool atEdge = i == 0 || i + 1 == text.size();
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (c < 0x20 || c == 0x7F || (c == ' ' && atEdge))
            appendHex(out, c);
        else if (field == Field::key && (c == '=' || (i == 0 && (c == ';' || c == '#' || c == '['))))
            appendHex(out, c);
        else if (field == Field::header && c == ']')
            appendHex(out, c);
        else
            out += static_cast<char>(c);
    }
    return out;
}

std::optional<std::string> unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'x': {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int high = hexDigitValue(text[i + 1]);
            const int low = hexDigitValue(text[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

SettingsDocument::Section* findSection(std::vector<SettingsDocument::Section>& sections, std::string_view name)
{
    for (auto& section : sections)
        if (section.name == name)
            return &section;
    return nullptr;
}

} // namespace

const SettingsDocument::Entry* SettingsDocument::find(std::string_view section, std::string_view key) const
{
    for (const auto& s : sections) {
        if (s.name != section)
            continue;
        for (const auto& entry : s.entries)
            if (equalsIgnoringCase(entry.key, key))
                return &entry;
    }
    return nullptr;
}

void SettingsDocument::set(std::string_view section, std::string_view key, std::string_view value)
{
    Section* target = findSection(sections, section);
    if (!target) {
        sections.push_back(Section{std::string(section), {}});
        target = &sections.back();
    }
    for (auto& entry : target->entries) {
        if (equalsIgnoringCase(entry.key, key)) {
            entry.value = std::string(value);
            return;
        }
    }
    target->entries.push_back(Entry{std::string(key), std::string(value)});
}

std::optional<SettingsDocument> ParseSettingsText(std::string_view text)
{
    if (text.size() > kMaxSettingsFileSize)
        return std::nullopt;
    SettingsDocument document;
    // Indexes keep a hostile file of many short lines linear to parse.
    std::unordered_map<std::string, std::size_t> sectionIndex;
    std::vector<std::unordered_map<std::string, std::size_t>> keyIndex;
    std::size_t current = 0;
    bool inSection = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        if (line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (line.size() < 2 || line.back() != ']')
                return std::nullopt;
            auto name = unescape(line.substr(1, line.size() - 2));
            if (!name)
                return std::nullopt;
            auto [at, added] = sectionIndex.try_emplace(*name, document.sections.size());
            if (added) {
                document.sections.push_back(SettingsDocument::Section{std::move(*name), {}});
                keyIndex.emplace_back();
            }
            current = at->second;
            inSection = true;
            continue;
        }
        const auto equals = line.find('=');
        if (!inSection || equals == std::string_view::npos || equals == 0)
            return std::nullopt;
        auto key = unescape(line.substr(0, equals));
        auto value = unescape(line.substr(equals + 1));
        if (!key || !value || key->empty())
            return std::nullopt;
        std::string folded = *key;
        std::transform(folded.begin(), folded.end(), folded.begin(), lowerAscii);
        auto& entries = document.sections[current].entries;
        auto [at, added] = keyIndex[current].try_emplace(std::move(folded), entries.size());
        // A repeated key behaves as a later write would: the value changes, the spelling stays.
        if (added)
            entries.push_back(SettingsDocument::Entry{std::move(*key), std::move(*value)});
        else
            entries[at->second].value = std::move(*value);
    }
    return document;
}

std::string SettingsText(const SettingsDocument& document)
{
    std::string out(kHeading);
    for (const auto& section : document.sections) {
        out += '[';
        out += escape(section.name, Field::header);
        out += "]\n";
        for (const auto& entry : section.entries) {
            out += escape(entry.key, Field::key);
            out += '=';
            out += escape(entry.value, Field::value);
            out += '\n';
        }
    }
    return out;
}

} // namespace tessivar::wine
