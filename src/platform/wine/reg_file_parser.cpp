#include "platform/wine/reg_file_parser.h"

#include "platform/wine/reg_line_syntax.h"
#include "platform/wine/reg_text.h"
#include "platform/wine/text_scans.h"

#include <algorithm>
#include <cstring>

namespace tessivar::wine {

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";
constexpr std::uint64_t kTicksPerSecond = 10000000ull;

bool sameUnits(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

} // namespace

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

// What the load knows between one line and the next.
struct RegFileParser::LoadState {
    LoadState(RegFile& loaded, std::string_view whole, std::uint64_t time) : file(loaded), text(whole), loadTime(time)
    {
    }
    RegFile& file;
    std::string_view text;
    std::uint64_t loadTime = 0;
    RegKey* current = nullptr; // the key whose section the lines belong to
    RegKey::TextSlice section;
    std::size_t sectionEnd = 0;
    std::uint64_t sectionTime = 0;
    bool inSection = false; // a key line was seen (the header is over)
    std::vector<KeyPathLevel> chain;
    std::string_view previousKeyLine; // when it was resolved as a plain line
};

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

    LoadState state{file, text, loadTime};
    bool going = true;
    while (going && cursor.next(line)) {
        // Lines rarely start with a space (hex continuation lines do, and they are read below).
        std::string_view content =
            line.content.empty() || !isSpace(line.content[0]) ? line.content : trimLeft(line.content);
        // NUL bytes are rare enough that a look at each line is only needed once one was seen.
        if (const auto nul = cursor.sawNul() ? content.find('\0') : std::string_view::npos;
            nul != std::string_view::npos) {
            file.addProblem(line.number, "NUL byte in line");
            content = content.substr(0, nul);
        }
        switch (content.empty() ? '\0' : content[0]) {
        case '[':
            closeSection(state);
            readKeyLine(state, line, content);
            break;
        case '@':
        case '"':
            skipValueLines(state, cursor, line, content);
            break;
        case '#':
            going = readCommentLine(state, line, content);
            break;
        case ';':
            if (state.current)
                state.sectionEnd = line.end;
            else if (!state.inSection)
                file.m_headerLength = line.end;
            break;
        case '\0':
            break;
        default:
            file.addProblem(line.number, "Unrecognized input");
            if (state.current)
                state.sectionEnd = line.end;
            break;
        }
    }
    if (!going)
        return;
    closeSection(state);
    // (A file that stops being read early has no valid header, and none of its text is reused.)
    if (cursor.sawCarriageReturn())
        file.m_textReusable = false;
}

void RegFileParser::updateKeyTime(RegKey* key, std::uint64_t filetime)
{
    // Sets the time a key's own section gives it, unless an earlier section of the same key gave
    // one; and the time of its parents while theirs is still unknown. A parent's own section later
    // replaces a time it only had from a subkey, so that the result does not depend on whether
    // the file lists parents before or after their subkeys (the server writes them before).
    if (!key)
        return;
    if (!key->m_ownTime) {
        key->m_modified = filetime;
        key->m_ownTime = true;
    }
    for (key = key->parent(); key && !key->m_ownTime && key->m_modified == 0; key = key->parent())
        key->m_modified = filetime;
}

void RegFileParser::closeSection(LoadState& state)
{
    RegKey* current = state.current;
    if (!current)
        return;
    RegKey::TextSlice& section = state.section;
    section.length = state.sectionEnd - section.offset;
    if (current->m_hasSection)
        current->m_changed = true; // a repeated key is written merged, as the server writes it
    if (section.length == 0 || state.text[section.offset + section.length - 1] != '\n')
        current->m_changed = true;
    current->addSection(section);
    updateKeyTime(current, state.sectionTime);
    state.current = nullptr;
}

void RegFileParser::readKeyLine(LoadState& state, const RegLine& line, std::string_view content)
{
    RegFile& file = state.file;
    state.inSection = true;
    RegKey* key = nullptr;
    std::size_t after = resolvePlainKeyLine(*file.m_root, content, state.previousKeyLine, state.chain, &key);
    state.previousKeyLine = content;
    if (after == std::string_view::npos) {
        state.previousKeyLine = {};
        after = resolveKeyLine(file, line, content, state.chain, &key);
        if (after == std::string_view::npos)
            return;
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
    state.sectionTime =
        digits ? static_cast<std::uint32_t>(seconds) * kTicksPerSecond + kFiletimeUnixEpoch : state.loadTime;

    state.current = key;
    // A line that spells a key already known in another letter case names it, but the server
    // writes the spelling it kept; so must we, or a second load would differ.
    if (!state.chain.empty() && state.chain.back().respelled)
        key->m_changed = true;
    state.section = RegKey::TextSlice{line.begin, 0, line.number};
    state.sectionEnd = line.end;
}

void RegFileParser::skipValueLines(LoadState& state, RegLineCursor& cursor, RegLine& line, std::string_view content)
{
    // Values are decoded when they are first asked for; here they only extend the section.
    if (continuesOnNextLines(content)) {
        RegLine more;
        bool again = true;
        while (again && cursor.next(more)) {
            line = more;
            again = endsWithBackslash(more.content);
        }
    }
    if (!state.current)
        state.file.addProblem(line.number, "Value without key");
    state.sectionEnd = line.end;
}

bool RegFileParser::readCommentLine(LoadState& state, const RegLine& line, std::string_view content)
{
    RegFile& file = state.file;
    RegKey* current = state.current;
    if (current) {
        state.sectionEnd = line.end;
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
            return false;
        }
        file.m_arch = std::string(arch);
        if (!state.inSection)
            file.m_headerLength = line.end;
    } else if (!state.inSection) {
        file.m_headerLength = line.end;
    }
    return true;
}

} // namespace tessivar::wine
