#include "platform/shell_link.h"
#include "platform/shortcut_text.h"
#include "platform/text_utils.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace tessivar {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// The text of the file as UTF-8: UTF-16LE when it starts with that byte-order mark, else UTF-8
// (with or without its mark) or ANSI.
std::string decodeFile(std::string_view bytes, bool* uncertain)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        bool lossless = true;
        std::string text = Utf16ToUtf8(bytes.substr(2), &lossless);
        *uncertain = !lossless;
        return text;
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return shortcut_text::TextToUtf8(bytes, uncertain);
}

// UTF-7 as the [InternetShortcut.W] section holds URLs the ANSI code page cannot; nullopt when
// the text is not valid UTF-7.
std::optional<std::string> decodeUtf7(std::string_view text)
{
    auto base64 = [](char c) -> int {
        if (c >= 'A' && c <= 'Z')
            return c - 'A';
        if (c >= 'a' && c <= 'z')
            return c - 'a' + 26;
        if (c >= '0' && c <= '9')
            return c - '0' + 52;
        if (c == '+')
            return 62;
        if (c == '/')
            return 63;
        return -1;
    };
    std::string utf16;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (static_cast<unsigned char>(c) >= 0x80)
            return std::nullopt;
        if (c != '+') {
            utf16.push_back(c);
            utf16.push_back('\0');
            continue;
        }
        ++i;
        if (i < text.size() && text[i] == '-') {
            utf16 += std::string("+\0", 2);
            continue;
        }
        std::uint32_t bits = 0;
        int count = 0;
        std::string units;
        while (i < text.size() && base64(text[i]) >= 0) {
            bits = (bits << 6) | static_cast<std::uint32_t>(base64(text[i]));
            count += 6;
            if (count >= 16) {
                count -= 16;
                const auto unit = static_cast<std::uint16_t>(bits >> count);
                units.push_back(static_cast<char>(unit & 0xFF));
                units.push_back(static_cast<char>(unit >> 8));
            }
            bits &= (1u << count) - 1;
            ++i;
        }
        utf16 += units;
        if (i < text.size() && text[i] != '-')
            --i; // the character that ended the run is literal text
    }
    bool lossless = true;
    std::string out = Utf16ToUtf8(utf16, &lossless);
    if (!lossless)
        return std::nullopt;
    return out;
}

} // namespace

std::string FileUrlToPath(std::string_view url, bool* onHost)
{
    if (onHost)
        *onHost = false;
    if (!startsWithNoCase(url, "file:"))
        return {};
    std::string_view rest = url.substr(5);
    std::string host;
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const auto slash = rest.find('/');
        host = std::string(rest.substr(0, slash));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
        if (!host.empty() && !equalsIgnoringCase(host, "localhost")) {
            if (onHost)
                *onHost = true;
        } else {
            host.clear();
        }
    }
    // Percent-decoding, then slashes to backslashes.
    std::string decoded;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexDigitValue(rest[i + 1]) >= 0 &&
            hexDigitValue(rest[i + 2]) >= 0) {
            decoded.push_back(static_cast<char>(hexDigitValue(rest[i + 1]) * 16 + hexDigitValue(rest[i + 2])));
            i += 2;
        } else if (rest[i] == '?' || rest[i] == '#') {
            break;
        } else {
            decoded.push_back(rest[i] == '/' ? '\\' : rest[i]);
        }
    }
    if (!host.empty())
        return "\\\\" + host + decoded;
    std::string_view path = decoded;
    if (!path.empty() && path[0] == '\\')
        path.remove_prefix(1);
    if (path.size() < 2 || !((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) ||
        (path[1] != ':' && path[1] != '|'))
        return {};
    std::string out(path);
    out[1] = ':';
    if (out.size() == 2)
        out += '\\';
    if (out[2] != '\\')
        return {};
    return out;
}

ShortcutInfo ReadInternetShortcut(std::string_view bytes)
{
    ShortcutInfo info;
    if (bytes.size() > kMaxShortcutFileSize)
        return info;
    bool uncertain = false;
    const std::string text = decodeFile(bytes, &uncertain);
    if (text.find('\0') != std::string::npos)
        return info; // binary data, not an INI file

    std::optional<std::string> url;
    std::optional<std::string> wideUrl;
    std::optional<std::string> workingDirectory;
    enum class Section { other, main, wide } section = Section::other;
    bool found = false;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        auto end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string_view line = trimmed(std::string_view(text).substr(pos, end - pos), " \t");
        pos = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            const auto close = line.find(']');
            const std::string_view name = close == std::string_view::npos ? line.substr(1) : line.substr(1, close - 1);
            section = Section::other;
            if (equalsIgnoringCase(trimmed(name, " \t"), "InternetShortcut")) {
                section = Section::main;
                found = true;
            } else if (equalsIgnoringCase(trimmed(name, " \t"), "InternetShortcut.W")) {
                section = Section::wide;
            }
            continue;
        }
        if (section == Section::other)
            continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = trimmed(line.substr(0, equals), " \t");
        const std::string value(trimmed(line.substr(equals + 1), " \t"));
        if (section == Section::main && equalsIgnoringCase(key, "URL") && !url)
            url = value;
        else if (section == Section::wide && equalsIgnoringCase(key, "URL") && !wideUrl)
            wideUrl = value;
        else if (section == Section::main && equalsIgnoringCase(key, "WorkingDirectory") && !workingDirectory)
            workingDirectory = value;
    }
    if (!found)
        return info;

    info.format = ShortcutFormat::internetShortcut;
    info.isLink = true;
    info.typeName = "Internet Shortcut";
    if (workingDirectory)
        info.workingDirectory = *workingDirectory;
    if (!url)
        return info;
    info.hasUrl = true;
    info.url = *url;
    if (wideUrl && !wideUrl->empty())
        if (auto decoded = decodeUtf7(*wideUrl))
            info.url = *decoded;

    if (startsWithNoCase(info.url, "file:")) {
        bool onHost = false;
        std::string path = FileUrlToPath(info.url, &onHost);
        // A '?' or '#' ends the path of a URL, but in a shortcut it is more likely a character the
        // writer's code page could not hold: the path before it is not the target.
        bool pathUncertain = uncertain || info.url.find_first_of("?#") != std::string::npos;
        path = shortcut_text::TextToUtf8(path, &pathUncertain);
        if (onHost) {
            info.network = true;
            info.targetPath = path;
        } else if (!path.empty()) {
            info.targetPath = path;
            info.targets.push_back(ShortcutTarget{path, TargetSource::fileUrl, pathUncertain});
        }
    }
    return info;
}

} // namespace tessivar
