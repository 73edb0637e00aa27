#include "platform/wine/reg_file_parser.h"

#include "platform/wine/reg_text.h"
#include "platform/wine/text_scans.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace tessivar::wine {

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";
constexpr std::uint64_t kTicksPerSecond = 10000000ull;

bool isSpace(char c)
{
    // ' ', and '\t' '\n' '\v' '\f' '\r', which follow each other.
    return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

// The value of each hex digit; -1 for any other byte.
constexpr auto kHexDigits = [] {
    std::array<std::int8_t, 256> digits{};
    digits.fill(-1);
    for (int i = 0; i < 10; ++i)
        digits['0' + i] = static_cast<std::int8_t>(i);
    for (int i = 0; i < 6; ++i) {
        digits['a' + i] = static_cast<std::int8_t>(10 + i);
        digits['A' + i] = static_cast<std::int8_t>(10 + i);
    }
    return digits;
}();

bool isHexDigit(char c)
{
    return kHexDigits[static_cast<unsigned char>(c)] >= 0;
}

unsigned hexValue(char c)
{
    return static_cast<unsigned>(kHexDigits[static_cast<unsigned char>(c)]);
}

std::size_t skipSpaces(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && isSpace(text[pos]))
        ++pos;
    return pos;
}

inline bool endsWithBackslash(std::string_view content)
{
    std::size_t end = content.size();
    while (end > 0 && isSpace(content[end - 1]))
        --end;
    return end > 0 && content[end - 1] == '\\';
}

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

bool sameUnits(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

bool startsWith(std::string_view text, std::size_t pos, std::string_view prefix)
{
    return text.size() - std::min(pos, text.size()) >= prefix.size() && text.compare(pos, prefix.size(), prefix) == 0;
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

std::string_view trimLeft(std::string_view text)
{
    std::size_t pos = 0;
    while (pos < text.size() && isSpace(text[pos]))
        ++pos;
    return text.substr(pos);
}

std::size_t RegLineCursor::findIndexedLineEnd()
{
    constexpr std::size_t kPiece = RegTextBuffer::kPieceSize;
    std::size_t from = m_pos;
    for (;;) {
        if (!m_pieceLines || from >= m_pieceBase + kPiece) {
            if (m_pieceLines)
                m_arriving->releasePieceLines(m_piece);
            m_piece = from / kPiece;
            m_pieceBase = m_piece * kPiece;
            await(m_pieceBase + kPiece);
            m_pieceLines = m_arriving->pieceLines(m_piece);
            if (!m_pieceLines)
                return std::string_view::npos;
            m_nextEnd = 0;
            m_sawNul = m_sawNul || m_pieceLines->nul;
            m_sawCarriageReturn = m_sawCarriageReturn || m_pieceLines->carriageReturn;
        }
        const std::vector<std::uint32_t>& ends = m_pieceLines->ends;
        while (m_nextEnd < ends.size() && m_pieceBase + ends[m_nextEnd] < from)
            ++m_nextEnd;
        if (m_nextEnd < ends.size())
            return std::min<std::size_t>(m_pieceBase + ends[m_nextEnd], m_end);
        if (m_pieceBase + kPiece >= m_end)
            return m_end;
        from = m_pieceBase + kPiece; // the line goes on into the next piece
    }
}

inline std::size_t RegLineCursor::findLineEnd()
{
    if (m_indexed) {
        // Lines are read one after the other, so the next line end found is nearly always
        // the one after the previous line's.
        if (m_pieceLines && m_nextEnd < m_pieceLines->ends.size()) {
            const std::size_t end = m_pieceBase + m_pieceLines->ends[m_nextEnd];
            if (end >= m_pos && end < m_end) {
                ++m_nextEnd;
                return end;
            }
        }
        if (const std::size_t end = findIndexedLineEnd(); end != std::string_view::npos)
            return end;
        m_indexed = false; // a piece came short: look at the bytes themselves from here on
    }
    const char* base = m_text.data();
    std::size_t from = m_pos;
    for (;;) {
        if (m_haveBlock && from >= m_blockBase && from - m_blockBase < 64) {
            const std::uint64_t ahead = m_block & (~std::uint64_t{0} << (from - m_blockBase));
            if (ahead)
                return m_blockBase + static_cast<std::size_t>(std::countr_zero(ahead));
            from = m_blockBase + 64;
        }
        await(from + 64);
        if (from >= m_end)
            return m_end;
        if (m_end - from < 64) {
            std::size_t at = from;
            for (; at < m_end && base[at] != '\n'; ++at) {
                m_sawNul = m_sawNul || base[at] == '\0';
                m_sawCarriageReturn = m_sawCarriageReturn || base[at] == '\r';
            }
            return at;
        }
        const LineBlock scan = scanLineBlock(base + from);
        m_blockBase = from;
        m_block = scan.lineEnds;
        m_haveBlock = true;
        m_sawNul = m_sawNul || scan.nul;
        m_sawCarriageReturn = m_sawCarriageReturn || scan.carriageReturn;
    }
}

inline void RegLineCursor::await(std::size_t offset)
{
    offset = std::min(offset, m_end);
    if (offset <= m_ready)
        return;
    m_ready = m_arriving->awaitBytes(offset);
    if (m_ready < offset)
        m_end = m_ready; // the text stops short
}

inline bool RegLineCursor::next(RegLine& line)
{
    if (m_pos >= m_end)
        return false;
    const char* base = m_text.data();
    const std::size_t eol = findLineEnd();
    const bool found = eol < m_end;
    std::size_t contentEnd = eol;
    // A CR before the line end was seen when its block was.
    if (m_sawCarriageReturn && contentEnd > m_pos && base[contentEnd - 1] == '\r')
        --contentEnd;
    line.content = std::string_view(base + m_pos, contentEnd - m_pos);
    line.begin = m_pos;
    line.end = found ? eol + 1 : eol;
    line.number = m_line++;
    m_pos = line.end;
    return true;
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

RegKey* RegFileParser::stepInto(std::vector<KeyPathLevel>& chain, std::size_t depth, RegKey* at,
                                std::u16string_view name, std::size_t nameEnd, bool& followsPrevious, bool& respelled)
{
    if (followsPrevious && depth < chain.size() && sameUnits(chain[depth].key->name(), name)) {
        at = chain[depth].key;
    } else {
        followsPrevious = false;
        at = at->obtainChild(name);
        respelled = respelled || !sameUnits(at->name(), name);
    }
    const KeyPathLevel level{at, nameEnd, respelled};
    if (depth < chain.size())
        chain[depth] = level;
    else
        chain.push_back(level);
    return at;
}

std::size_t RegFileParser::resolvePlainKeyLine(RegKey& root, std::string_view content, std::string_view previous,
                                               std::vector<KeyPathLevel>& chain, RegKey** key)
{
    // The names whose bytes equal the previous line's, followed by a separator or the closing
    // "]", are the previous line's keys.
    const std::size_t shared = commonPrefixLength(content, previous);
    std::size_t reused = 0;
    while (reused < chain.size() && chain[reused].nameEnd <= shared) {
        const std::size_t end = chain[reused].nameEnd;
        if (end < content.size() && content[end] == ']') {
            *key = chain[reused].key;
            chain.resize(reused + 1);
            return end + 1;
        }
        if (end + 1 >= content.size() || content[end] != '\\' || content[end + 1] != '\\')
            break;
        ++reused;
    }

    // The rest must be plain names, each followed by "\\\\" or the closing "]".
    struct Name {
        std::size_t begin, end;
    };
    thread_local std::vector<Name> names; // kept from line to line: no allocation per key
    names.clear();
    std::size_t pos = reused > 0 ? chain[reused - 1].nameEnd + 2 : 1;
    for (;;) {
        const std::size_t begin = pos;
        pos = plainNameEnd(content, pos);
        if (pos >= content.size() || pos == begin || (content[pos] != '\\' && content[pos] != ']'))
            return std::string_view::npos;
        names.push_back({begin, pos});
        if (content[pos] == ']')
            break;
        if (pos + 1 >= content.size() || content[pos + 1] != '\\')
            return std::string_view::npos;
        pos += 2;
    }

    RegKey* at = reused > 0 ? chain[reused - 1].key : &root;
    bool respelled = reused > 0 && chain[reused - 1].respelled;
    // After a plain line, the first name not reused differs from that line's; after another
    // line, the names may still be the same.
    bool followsPrevious = previous.empty();
    thread_local std::u16string name;
    std::size_t depth = reused;
    for (const Name& part : names) {
        widenAscii(content.substr(part.begin, part.end - part.begin), name);
        at = stepInto(chain, depth++, at, name, part.end, followsPrevious, respelled);
    }
    chain.resize(depth);
    *key = at;
    return chain.back().nameEnd + 1;
}

std::size_t RegFileParser::resolveKeyLine(RegFile& file, const RegLine& line, std::string_view content,
                                          std::vector<KeyPathLevel>& chain, RegKey** key)
{
    std::u16string path;
    bool lossy = false;
    const std::size_t after = unescape(content, 1, ']', path, &lossy);
    if (after == std::string_view::npos || (!path.empty() && path[0] == u'\\')) {
        file.addProblem(line.number, "Malformed key");
        return std::string_view::npos;
    }
    if (lossy)
        file.addProblem(line.number, "Key name that would not be written back as it reads");

    RegKey* at = file.m_root;
    std::size_t depth = 0;
    std::size_t begin = 0;
    bool followsPrevious = true;
    bool respelled = false;
    while (begin <= path.size()) {
        std::size_t end = path.find(u'\\', begin);
        if (end == std::u16string::npos)
            end = path.size();
        if (end > begin) {
            // No offsets: the next line cannot be compared with this one byte by byte.
            at = stepInto(chain, depth++, at, std::u16string_view(path).substr(begin, end - begin),
                          std::string_view::npos, followsPrevious, respelled);
        }
        begin = end + 1;
    }
    chain.resize(depth);
    *key = at;
    return after;
}

void RegFileParser::load(RegFile& file, std::uint64_t loadTime)
{
    const std::string_view text = file.m_text->view();
    RegLineCursor cursor =
        file.m_text->arriving() ? RegLineCursor(*file.m_text, 1) : RegLineCursor(text, 0, text.size(), 1);
    RegLine line;
    if (!cursor.next(line) || line.content != kHeader) {
        file.m_headerValid = false;
        file.addProblem(1, "Not a valid registry file");
        return;
    }
    file.m_headerLength = line.end;

    // Sets the time a key's own section gives it, unless an earlier section of the same key gave
    // one; and the time of its parents while theirs is still unknown. A parent's own section later
    // replaces a time it only had from a subkey, so that the result does not depend on whether
    // the file lists parents before or after their subkeys (the server writes them before).
    const auto updateKeyTime = [](RegKey* key, std::uint64_t filetime) {
        if (!key)
            return;
        if (!key->m_ownTime) {
            key->m_modified = filetime;
            key->m_ownTime = true;
        }
        for (key = key->parent(); key && !key->m_ownTime && key->m_modified == 0; key = key->parent())
            key->m_modified = filetime;
    };

    RegKey* current = nullptr;
    RegKey::TextSlice section;
    std::size_t sectionEnd = 0;
    std::uint64_t sectionTime = 0;
    bool inSection = false;

    auto closeSection = [&] {
        if (!current)
            return;
        section.length = sectionEnd - section.offset;
        if (current->m_hasSection)
            current->m_changed = true; // a repeated key is written merged, as the server writes it
        if (section.length == 0 || text[section.offset + section.length - 1] != '\n')
            current->m_changed = true;
        current->addSection(section);
        updateKeyTime(current, sectionTime);
        current = nullptr;
    };

    std::vector<KeyPathLevel> chain;
    std::string_view previousKeyLine; // when it was resolved as a plain line
    while (cursor.next(line)) {
        // Lines rarely start with a space (hex continuation lines do, and they are read below).
        std::string_view content =
            line.content.empty() || !isSpace(line.content[0]) ? line.content : trimLeft(line.content);
        // NUL bytes are rare enough that a look at each line is only needed once one was seen.
        if (const auto nul = cursor.sawNul() ? content.find('\0') : std::string_view::npos;
            nul != std::string_view::npos) {
            file.addProblem(line.number, "NUL byte in line");
            content = content.substr(0, nul);
        }
        const char first = content.empty() ? '\0' : content[0];
        switch (first) {
        case '[': {
            closeSection();
            inSection = true;
            RegKey* key = nullptr;
            std::size_t after = resolvePlainKeyLine(*file.m_root, content, previousKeyLine, chain, &key);
            previousKeyLine = content;
            if (after == std::string_view::npos) {
                previousKeyLine = {};
                after = resolveKeyLine(file, line, content, chain, &key);
                if (after == std::string_view::npos)
                    break;
            }
            std::size_t pos = skipSpaces(content, after);
            std::uint64_t seconds = 0;
            std::size_t digits = 0;
            while (pos < content.size() && content[pos] >= '0' && content[pos] <= '9' && digits < 12) {
                seconds = seconds * 10 + static_cast<unsigned>(content[pos] - '0');
                ++pos, ++digits;
            }
            if (digits > 10 || seconds > 0xFFFFFFFFull)
                file.addProblem(line.number, "Malformed key time");
            sectionTime =
                digits ? static_cast<std::uint32_t>(seconds) * kTicksPerSecond + kFiletimeUnixEpoch : loadTime;

            current = key;
            // A line that spells a key already known in another letter case names it, but the
            // server writes the spelling it kept; so must we, or a second load would differ.
            if (!chain.empty() && chain.back().respelled)
                current->m_changed = true;
            section = RegKey::TextSlice{line.begin, 0, line.number};
            sectionEnd = line.end;
            break;
        }
        case '@':
        case '"':
            if (endsWithBackslash(content) && isHexValueLine(content)) {
                RegLine more;
                bool again = true;
                while (again && cursor.next(more)) {
                    line = more;
                    again = endsWithBackslash(more.content);
                }
            }
            if (!current)
                file.addProblem(line.number, "Value without key");
            sectionEnd = line.end;
            break;
        case '#':
            if (current) {
                sectionEnd = line.end;
                if (content.starts_with("#time=")) {
                    std::uint64_t stamp = 0;
                    for (std::size_t pos = 6; pos < content.size(); ++pos) {
                        const std::int8_t digit = kHexDigits[static_cast<unsigned char>(content[pos])];
                        if (digit < 0)
                            break;
                        stamp = (stamp << 4) | static_cast<std::uint64_t>(digit);
                    }
                    updateKeyTime(current, stamp);
                }
                if (content.starts_with("#class=")) {
                    std::u16string className;
                    bool lossy = false;
                    if (content.size() < 8 || content[7] != '"' ||
                        unescape(content, 8, '"', className, &lossy) == std::string_view::npos || lossy)
                        file.addProblem(line.number, "Malformed class");
                    else
                        current->m_class = std::make_unique<std::u16string>(std::move(className));
                }
                if (content.starts_with("#link"))
                    current->m_link = true;
            } else if (content.starts_with("#arch=")) {
                const std::string_view arch = content.substr(6);
                if (arch != "win32" && arch != "win64") {
                    file.addProblem(line.number, "Unknown architecture");
                    file.m_headerValid = false;
                    return;
                }
                file.m_arch = std::string(arch);
                if (!inSection)
                    file.m_headerLength = line.end;
            } else if (!inSection) {
                file.m_headerLength = line.end;
            }
            break;
        case ';':
            if (current)
                sectionEnd = line.end;
            else if (!inSection)
                file.m_headerLength = line.end;
            break;
        case '\0':
            break;
        default:
            file.addProblem(line.number, "Unrecognized input");
            if (current)
                sectionEnd = line.end;
            break;
        }
    }
    closeSection();
    // (A file that stops being read early has no valid header, and none of its text is reused.)
    if (cursor.sawCarriageReturn())
        file.m_textReusable = false;
}

} // namespace tessivar::wine
