#include "results/backup_encoding.h"

#include "platform/text_utils.h"

#include <array>
#include <cstdint>

namespace tessivar {

namespace {

constexpr unsigned char kShift = 10;
constexpr unsigned char kEscapeCharacter = 0x01;
constexpr unsigned char kEscapeRawByte = 0x02;

// Code points of 0x80-0x9F; the rest of Windows-1252 equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t codePointOf1252(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

// The well-formed UTF-8 sequence at `pos` (no overlong forms, no surrogates, at most U+10FFFF):
// its length and code point, or length 0 when the byte there does not start one.
struct Utf8Char {
    std::size_t length = 0;
    char32_t codePoint = 0;
};

Utf8Char readUtf8(std::string_view text, std::size_t pos)
{
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byteAt(pos);
    if (lead < 0x80)
        return {1, lead};
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
        minimum = 0x10000;
    } else {
        return {};
    }
    if (pos + length > text.size())
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = byteAt(pos + i);
        if ((next & 0xC0) != 0x80)
            return {};
        c = (c << 6) | (next & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return {};
    return {length, c};
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendEscape(std::string& out, unsigned char kind, unsigned char value)
{
    out += static_cast<char>(kind);
    out += kHexDigits[value >> 4];
    out += kHexDigits[value & 0x0F];
}

bool needsEscape(unsigned char plain)
{
    // 0 and 3 would become LF and CR, 246 and up do not fit a byte once shifted.
    return plain == 0 || plain == 3 || plain > 255 - kShift ||
           plain == static_cast<unsigned char>(kBackupFieldSeparator);
}

void encodeField(std::string& out, std::string_view field)
{
    std::size_t pos = 0;
    while (pos < field.size()) {
        const Utf8Char c = readUtf8(field, pos);
        const int code = c.length == 0 ? -1 : windows1252FromCodePoint(c.codePoint);
        if (code < 0) {
            const std::size_t length = c.length == 0 ? 1 : c.length;
            for (std::size_t i = 0; i < length; ++i)
                appendEscape(out, kEscapeRawByte, static_cast<unsigned char>(field[pos + i]));
            pos += length;
            continue;
        }
        const auto plain = static_cast<unsigned char>(code);
        if (needsEscape(plain))
            appendEscape(out, kEscapeCharacter, plain);
        else
            out += static_cast<char>(plain + kShift);
        pos += c.length;
    }
}

} // namespace

int windows1252FromCodePoint(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<int>(codePoint);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == codePoint)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

std::string EncodeBackupFields(const std::vector<std::string>& fields)
{
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += static_cast<char>(kBackupFieldSeparator + kShift);
        encodeField(out, fields[i]);
    }
    return out;
}

std::vector<std::string> DecodeBackupFields(std::string_view stored)
{
    std::vector<std::string> fields(1);
    std::size_t pos = 0;
    while (pos < stored.size()) {
        const auto byte = static_cast<unsigned char>(stored[pos]);
        if ((byte == kEscapeCharacter || byte == kEscapeRawByte) && pos + 2 < stored.size() &&
            hexDigitValue(stored[pos + 1]) >= 0 && hexDigitValue(stored[pos + 2]) >= 0) {
            const auto value =
                static_cast<unsigned char>(hexDigitValue(stored[pos + 1]) * 16 + hexDigitValue(stored[pos + 2]));
            if (byte == kEscapeCharacter)
                appendUtf8(fields.back(), codePointOf1252(value));
            else
                fields.back() += static_cast<char>(value);
            pos += 3;
            continue;
        }
        // A byte below the shift outside a complete escape only comes from a damaged or hand-made
        // file; it wraps around like every other byte so that decoding never fails.
        const auto plain = static_cast<unsigned char>(byte - kShift);
        if (plain == static_cast<unsigned char>(kBackupFieldSeparator))
            fields.emplace_back();
        else
            appendUtf8(fields.back(), codePointOf1252(plain));
        ++pos;
    }
    return fields;
}

std::string EncodeBackupLine(std::string_view plain)
{
    std::vector<std::string> fields(1);
    for (const char c : plain) {
        if (c == kBackupFieldSeparator)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return EncodeBackupFields(fields);
}

std::string DecodeBackupLine(std::string_view stored)
{
    const auto fields = DecodeBackupFields(stored);
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += kBackupFieldSeparator;
        out += fields[i];
    }
    return out;
}

} // namespace tessivar
