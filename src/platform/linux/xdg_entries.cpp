#include "platform/linux/xdg_entries.h"

namespace tessivar::xdg {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isExecBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

} // namespace

std::optional<std::string> groupValue(std::string_view text, std::string_view group, std::string_view key)
{
    bool inGroup = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inGroup = line.size() >= 2 && line.back() == ']' && line.substr(1, line.size() - 2) == group;
            continue;
        }
        if (!inGroup)
            continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos || trimmed(line.substr(0, equals)) != key)
            continue;
        return std::string(trimmed(line.substr(equals + 1)));
    }
    return std::nullopt;
}

std::string unescapeValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[i + 1]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\';
            continue; // the next character is read on its own
        }
        ++i;
    }
    return out;
}

std::vector<std::string> stringList(std::string_view value)
{
    std::vector<std::string> items;
    while (!value.empty()) {
        const auto end = value.find(';');
        const std::string_view item = trimmed(value.substr(0, end));
        if (!item.empty())
            items.emplace_back(item);
        value = end == std::string_view::npos ? std::string_view{} : value.substr(end + 1);
    }
    return items;
}

std::optional<std::vector<std::string>> execArguments(std::string_view exec)
{
    std::vector<std::string> arguments;
    std::size_t i = 0;
    while (i < exec.size()) {
        while (i < exec.size() && isExecBlank(exec[i]))
            ++i;
        if (i == exec.size())
            break;
        std::string argument;
        bool quoted = false;
        while (i < exec.size() && (quoted || !isExecBlank(exec[i]))) {
            const char c = exec[i];
            if (c == '"') {
                quoted = !quoted;
                ++i;
            } else if (quoted && c == '\\' && i + 1 < exec.size() &&
                       std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos) {
                argument += exec[i + 1];
                i += 2;
            } else if (c == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
                argument += '%';
                i += 2;
            } else {
                argument += c;
                ++i;
            }
        }
        if (quoted)
            return std::nullopt;
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::string quotedExecArgument(std::string_view argument)
{
    std::string exec = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            exec += '\\';
        if (c == '%')
            exec += '%';
        exec += c;
    }
    exec += '"';
    std::string line;
    for (const char c : exec) {
        switch (c) {
        case '\\':
            line += "\\\\";
            break;
        case '\n':
            line += "\\n";
            break;
        case '\t':
            line += "\\t";
            break;
        case '\r':
            line += "\\r";
            break;
        default:
            line += c;
        }
    }
    return line;
}

} // namespace tessivar::xdg
