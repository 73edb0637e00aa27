// The value lines of a key, decoded when its values are first asked for, as the server reads
// them.

#include "platform/wine/reg_file_parser.h"
#include "platform/wine/reg_line_syntax.h"
#include "platform/wine/reg_text.h"

#include <algorithm>

namespace tessivar::wine {

namespace {

// The offset after the closing quote of a quoted name whose text starts at `pos`, or npos; reads
// the escapes as unescape() does without decoding them.
std::size_t skipQuoted(std::string_view text, std::size_t pos)
{
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == '"')
            return pos + 1;
        if (c == '\0')
            return std::string_view::npos;
        if (c == '\\') {
            if (pos + 1 >= text.size() || text[pos + 1] == '\0')
                return std::string_view::npos;
            ++pos;
        }
        ++pos;
    }
    return std::string_view::npos;
}

// Where the data of a value line starts (just after "=" and spaces), or npos.
std::size_t dataStart(std::string_view content)
{
    std::size_t pos = content[0] == '@' ? 1 : skipQuoted(content, 1);
    if (pos == std::string_view::npos)
        return pos;
    pos = skipSpaces(content, pos);
    if (pos >= content.size() || content[pos] != '=')
        return std::string_view::npos;
    return skipSpaces(content, pos + 1);
}

bool isHexValueLine(std::string_view content)
{
    const std::size_t pos = dataStart(content);
    return pos != std::string_view::npos && (startsWith(content, pos, "hex:") || startsWith(content, pos, "hex("));
}

enum class ValueOutcome { value, malformed, dropped };

// Reads one value line (and its continuation lines) as the server reads it.
ValueOutcome readValue(RegLineCursor& cursor, std::string_view content, RegValue& value, bool* lossy)
{
    std::size_t start = 1;
    if (content[0] != '@') {
        // Without a complete name the server has nothing to store the value under.
        start = unescape(content, 1, '"', value.name, lossy);
        if (start == std::string_view::npos)
            return ValueOutcome::dropped;
    }
    start = skipSpaces(content, start);
    if (start >= content.size() || content[start] != '=')
        return ValueOutcome::malformed;
    start = skipSpaces(content, start + 1);
    std::size_t pos = start;
    std::uint32_t type = 0;
    enum class Parse { string, dword, hex } parse = Parse::hex;
    if (startsWith(content, pos, "\"")) {
        type = 1, parse = Parse::string, pos += 1;
    } else if (startsWith(content, pos, "str:\"")) {
        type = 1, parse = Parse::string, pos += 5;
    } else if (startsWith(content, pos, "str(2):\"")) {
        type = 2, parse = Parse::string, pos += 8;
    } else if (startsWith(content, pos, "str(7):\"")) {
        type = 7, parse = Parse::string, pos += 8;
    } else if (startsWith(content, pos, "hex:")) {
        type = 3, parse = Parse::hex, pos += 4;
    } else if (startsWith(content, pos, "dword:")) {
        type = 4, parse = Parse::dword, pos += 6;
    } else if (startsWith(content, pos, "hex(")) {
        pos += 4;
        std::size_t digits = 0;
        std::uint32_t number = 0;
        while (pos < content.size() && isHexDigit(content[pos]) && digits < 9) {
            number = number * 16 + hexValue(content[pos]);
            ++pos, ++digits;
        }
        if (digits == 0 || digits > 8 || !startsWith(content, pos, "):"))
            return ValueOutcome::malformed;
        type = number, parse = Parse::hex, pos += 2;
    } else {
        return ValueOutcome::malformed;
    }

    value.type = type;
    value.data.clear();
    if (parse == Parse::string) {
        thread_local std::u16string text; // kept from value to value: no allocation per value
        text.clear();
        if (unescape(content, pos, '"', text, lossy) == std::string_view::npos)
            return ValueOutcome::malformed;
        text += u'\0';
        assignUtf16Bytes(value.data, text);
        return ValueOutcome::value;
    }
    if (parse == Parse::dword) {
        std::size_t digits = 0;
        std::uint64_t number = 0;
        while (pos < content.size() && isHexDigit(content[pos])) {
            number = std::min<std::uint64_t>(number * 16 + hexValue(content[pos]), 0xFFFFFFFFFFFFull);
            ++pos, ++digits;
        }
        // The server takes any hex text here; what it would read differently from what is
        // written ("dword:" alone, junk, more than 8 digits) is a problem for writing.
        if (digits == 0 || digits > 8 || skipSpaces(content, pos) != content.size())
            *lossy = true;
        const auto dword = static_cast<std::uint32_t>(number);
        value.data.assign({static_cast<char>(dword & 0xFF), static_cast<char>((dword >> 8) & 0xFF),
                           static_cast<char>((dword >> 16) & 0xFF), static_cast<char>(dword >> 24)});
        return ValueOutcome::value;
    }
    std::string_view line = content;
    value.data.reserve((line.size() - std::min(pos, line.size())) / 3 + 1); // "xx," per byte
    for (;;) {
        while (pos < line.size() && isHexDigit(line[pos])) {
            unsigned byte = 0;
            while (pos < line.size() && isHexDigit(line[pos])) {
                byte = byte * 16 + hexValue(line[pos]);
                if (byte > 0xFF)
                    return ValueOutcome::malformed;
                ++pos;
            }
            value.data += static_cast<char>(byte);
            pos = skipSpaces(line, pos);
            if (pos < line.size() && line[pos] == ',')
                ++pos;
            pos = skipSpaces(line, pos);
        }
        pos = skipSpaces(line, pos);
        if (pos >= line.size())
            return ValueOutcome::value;
        if (line[pos] != '\\')
            return ValueOutcome::malformed;
        if (skipSpaces(line, pos + 1) != line.size())
            *lossy = true;
        RegLine next;
        if (!cursor.next(next))
            return ValueOutcome::malformed;
        line = next.content;
        pos = skipSpaces(line, 0);
    }
}

} // namespace

bool RegFileParser::continuesOnNextLines(std::string_view content)
{
    return endsWithBackslash(content) && isHexValueLine(content);
}

void RegFileParser::mergeValue(std::vector<RegValue>& values, RegValue value)
{
    if (!values.empty() && compareNames(values.back().name, value.name) < 0) {
        values.push_back(std::move(value));
        return;
    }
    auto it = std::lower_bound(
        values.begin(), values.end(), value.name,
        [](const RegValue& entry, const std::u16string& name) { return compareNames(entry.name, name) < 0; });
    if (it != values.end() && namesEqual(it->name, value.name)) {
        it->type = value.type;
        it->data = std::move(value.data);
        return;
    }
    values.insert(it, std::move(value));
}

void RegFileParser::decodeSection(std::string_view text, const RegKey::TextSlice& slice, std::vector<RegValue>& values,
                                  RegFile* file)
{
    RegLineCursor cursor(text, slice.offset, slice.offset + slice.length, slice.line);
    RegLine line;
    cursor.next(line); // the key line
    while (cursor.next(line)) {
        std::string_view content = trimLeft(line.content);
        if (const auto nul = content.find('\0'); nul != std::string_view::npos)
            content = content.substr(0, nul);
        if (content.empty() || (content[0] != '"' && content[0] != '@'))
            continue;
        RegValue value;
        bool lossy = false;
        const ValueOutcome outcome = readValue(cursor, content, value, &lossy);
        if (outcome == ValueOutcome::dropped) {
            if (file)
                file->addProblem(line.number, "Malformed value name");
            continue;
        }
        if (outcome == ValueOutcome::malformed) {
            if (file)
                file->addProblem(line.number, "Malformed value");
            value.type = 0;
            value.data.clear();
        } else if (lossy && file) {
            file->addProblem(line.number, "Value that would not be written back as it reads");
        }
        mergeValue(values, std::move(value));
    }
}

} // namespace tessivar::wine
