#include "platform/wine/windows_path.h"

#include "platform/text_utils.h"

#include <cstdint>

namespace tessivar::wine {

namespace {

constexpr std::size_t kMaxPathText = 32767; // the longest path Win32 accepts in any form

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Invalid bytes decode to 0xDC00 + byte (never a letter, and re-encoded as the same byte), so
// foreign names survive folding unchanged.
constexpr std::uint32_t kRawByteBase = 0xDC00;

std::uint32_t decodeOne(std::string_view text, std::size_t& i)
{
    if (const auto lead = static_cast<unsigned char>(text[i]); lead < 0x80) {
        ++i;
        return lead;
    }
    char32_t cp = 0;
    const std::size_t length = decodeUtf8(text, i, Surrogates::rejected, &cp);
    if (length == 0)
        return kRawByteBase + static_cast<unsigned char>(text[i++]);
    i += length;
    return cp;
}

void encodeOne(std::uint32_t cp, std::string& out)
{
    if (cp >= kRawByteBase + 0x80 && cp <= kRawByteBase + 0xFF)
        out += static_cast<char>(cp - kRawByteBase);
    else
        appendUtf8(out, cp);
}

std::uint32_t foldCodePoint(std::uint32_t cp)
{
    if (cp < 0x80)
        return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)
        return cp + 32;
    if ((cp >= 0x100 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177))
        return cp | 1u;
    if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E))
        return (cp & 1u) ? cp + 1 : cp;
    if (cp == 0x178)
        return 0xFF;
    if (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2)
        return cp + 32;
    if (cp == 0x386)
        return 0x3AC;
    if (cp >= 0x388 && cp <= 0x38A)
        return cp + 37;
    if (cp == 0x38C)
        return 0x3CC;
    if (cp == 0x38E || cp == 0x38F)
        return cp + 63;
    if (cp >= 0x410 && cp <= 0x42F)
        return cp + 32;
    if (cp >= 0x400 && cp <= 0x40F)
        return cp + 80;
    return cp;
}

std::vector<std::uint32_t> foldedCodePoints(std::string_view text)
{
    std::vector<std::uint32_t> out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        out.push_back(foldCodePoint(decodeOne(text, i)));
    return out;
}

bool matchCodePoints(const std::vector<std::uint32_t>& pattern, const std::vector<std::uint32_t>& name)
{
    // Greedy match with one back-track point: linear in practice, never exponential.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool isForbidden(char c, bool wildcardAllowed)
{
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20)
        return true;
    switch (c) {
    case '<':
    case '>':
    case '|':
    case '"':
    case ':':
        return true;
    case '*':
    case '?':
        return !wildcardAllowed;
    default:
        return false;
    }
}

} // namespace

std::string WindowsPath::foldedFolderKey(std::size_t componentCount) const
{
    std::string key;
    key += kind == Kind::unix ? '/' : drive;
    for (std::size_t i = 0; i < componentCount && i < parts.size(); ++i) {
        key += '\\';
        key += foldCase(parts[i]);
    }
    return key;
}

std::optional<WindowsPath> canonicalWindowsPath(std::string_view text, Wildcards wildcards)
{
    if (text.empty() || text.size() > kMaxPathText)
        return std::nullopt;
    std::string s(text);
    for (char& c : s)
        if (c == '/')
            c = '\\';

    WindowsPath path;
    std::string_view body;
    std::string_view view = s;
    auto driveAt = [&](std::string_view v) {
        return v.size() >= 3 && isAsciiLetter(v[0]) && v[1] == ':' && v[2] == '\\';
    };
    if (view.starts_with("\\\\?\\")) {
        const std::string_view rest = view.substr(4);
        if (rest.size() >= 4 && equalsIgnoringCase(rest.substr(0, 4), "unix") &&
            (rest.size() == 4 || rest[4] == '\\')) {
            path.kind = WindowsPath::Kind::unix;
            body = rest.substr(4);
        } else if (driveAt(rest)) {
            path.drive = lowerAscii(rest[0]);
            body = rest.substr(2);
        } else {
            return std::nullopt;
        }
    } else if (driveAt(view)) {
        path.drive = lowerAscii(view[0]);
        body = view.substr(2);
    } else {
        return std::nullopt; // UNC, device, rooted without a drive, relative or drive-relative
    }

    std::vector<std::string> raw;
    for (std::size_t start = 0; start <= body.size();) {
        const std::size_t end = std::min(body.find('\\', start), body.size());
        if (end > start)
            raw.emplace_back(body.substr(start, end - start));
        start = end + 1;
    }
    path.namesFolder = body.empty() || body.back() == '\\';
    if (!path.namesFolder && !raw.empty() && raw.back() != "." && raw.back() != "..") {
        std::string& last = raw.back();
        while (!last.empty() && (last.back() == '.' || last.back() == ' '))
            last.pop_back();
        if (last.empty()) {
            // "C:\dir\..." and "C:\dir\ " name the folder itself.
            raw.pop_back();
            path.namesFolder = true;
        }
    }

    for (std::size_t i = 0; i < raw.size(); ++i) {
        std::string& part = raw[i];
        const bool isLast = i + 1 == raw.size() && !path.namesFolder;
        const bool wildcardAllowed = isLast && wildcards == Wildcards::allowedInLastComponent;
        for (char c : part)
            if (isForbidden(c, wildcardAllowed))
                return std::nullopt;
        if (part == ".")
            continue;
        if (part == "..") {
            if (!path.parts.empty())
                path.parts.pop_back();
            continue;
        }
        if (!isLast && part.size() >= 2 && part.back() == '.' && part[part.size() - 2] != '.')
            part.pop_back();
        path.parts.push_back(std::move(part));
    }
    return path;
}

std::string foldCase(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    bool ascii = true;
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        for (char c : name)
            out += lowerAscii(c);
        return out;
    }
    for (std::size_t i = 0; i < name.size();)
        encodeOne(foldCodePoint(decodeOne(name, i)), out);
    return out;
}

bool equalFolded(std::string_view a, std::string_view b)
{
    auto isAscii = [](std::string_view text) {
        for (char c : text)
            if (static_cast<unsigned char>(c) >= 0x80)
                return false;
        return true;
    };
    if (!isAscii(a) || !isAscii(b))
        return foldCase(a) == foldCase(b);
    return equalsIgnoringCase(a, b);
}

bool hasWildcard(std::string_view name)
{
    return name.find_first_of("*?") != std::string_view::npos;
}

bool looksLikeShortName(std::string_view name)
{
    const auto tilde = name.find('~');
    if (tilde == std::string_view::npos || tilde == 0 || tilde > 6)
        return false;
    const auto dot = name.find('.', tilde);
    const std::string_view digits = name.substr(tilde + 1, dot == std::string_view::npos ? dot : dot - tilde - 1);
    if (digits.empty() || digits.size() > 6)
        return false;
    for (char c : digits)
        if (c < '0' || c > '9')
            return false;
    if (dot != std::string_view::npos) {
        const std::string_view extension = name.substr(dot + 1);
        if (extension.size() > 3 || extension.find('.') != std::string_view::npos)
            return false;
    }
    for (char c : name.substr(0, tilde))
        if (c == ' ' || c == '.' || static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool wildcardMatch(std::string_view pattern, std::string_view name)
{
    const bool matchesAll = pattern == "*" || pattern == "*.*";
    if (name == "." || name == "..")
        return matchesAll || pattern == name;
    if (matchesAll)
        return true;
    const auto folded = foldedCodePoints(name);
    if (matchCodePoints(foldedCodePoints(pattern), folded))
        return true;
    if (pattern.size() >= 2 && pattern.ends_with(".*"))
        return matchCodePoints(foldedCodePoints(pattern.substr(0, pattern.size() - 2)), folded);
    return false;
}

} // namespace tessivar::wine
