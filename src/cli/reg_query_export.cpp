#include "cli/reg_format.h"
#include "cli/reg_session.h"
#include "platform/text_utils.h"
#include "platform/utf16_text.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

namespace tessivar::cli {

// --- query ---

void RegSession::printValue(std::string_view name, std::string_view type, std::string_view data)
{
    m_s.out << "    " << (name.empty() ? std::string_view("(Default)") : name) << "    " << type << "    " << data
            << "\n";
}

std::vector<std::pair<std::string, bool>> RegSession::enterableSubkeys(HKEY key, Level level)
{
    std::vector<std::pair<std::string, bool>> enterable;
    if (level.depth >= kMaxDepth)
        return enterable;
    for (auto& name : subkeys(key)) {
        const bool isLink = m_registry.isLinkKey(key, name);
        if (!(isLink && level.belowLink))
            enterable.emplace_back(std::move(name), isLink);
    }
    return enterable;
}

void RegSession::queryAll(HKEY key, const std::string& path, Scope scope, Level level)
{
    const auto list = values(key);
    // The key named on the command line shows its own name only when it has values.
    const bool header = !list.empty() || level.nested;
    if (header)
        m_s.out << path << "\n";
    for (const auto& value : list)
        printValue(value.name, regTypeName(value.type), queryDataText(value.type, value.data));
    if (header)
        m_s.out << "\n";
    if (scope == Scope::keyOnly) {
        for (const auto& name : subkeys(key))
            m_s.out << path << "\\" << name << "\n";
        return;
    }
    for (const auto& [name, isLink] : enterableSubkeys(key, level)) {
        if (const HKEY sub = openRead(key, name)) {
            queryAll(sub, path + "\\" + name, Scope::subtree, level.below(isLink));
            m_registry.RegCloseKey(sub);
        }
    }
}

void RegSession::queryValue(HKEY key, const std::string& valueName, const std::string& path, Level level)
{
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    if (m_registry.queryRawValue(key, valueName, &type, &data) == ERROR_SUCCESS) {
        m_s.out << path << "\n";
        printValue(valueName, regTypeName(type), queryDataText(type, data));
        m_s.out << "\n";
        ++m_matches;
    }
    for (const auto& [name, isLink] : enterableSubkeys(key, level)) {
        if (const HKEY sub = openRead(key, name)) {
            queryValue(sub, valueName, path + "\\" + name, level.below(isLink));
            m_registry.RegCloseKey(sub);
        }
    }
}

int RegSession::query(const std::vector<std::string>& args, const KeyArg& key)
{
    std::optional<std::string> valueName;
    bool valueEmpty = false;
    bool recurse = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || (arg[0] != '/' && arg[0] != '-'))
            return invalidSyntax("query");
        const std::string option = upper(std::string_view(arg).substr(1));
        if (option == "VE") {
            if (valueEmpty)
                return invalidSyntax("query");
            valueEmpty = true;
        } else if (option == "V") {
            if (valueName || i + 1 >= args.size())
                return invalidSyntax("query");
            valueName = args[++i];
        } else if (option == "S") {
            if (recurse)
                return invalidSyntax("query");
            recurse = true;
        } else if (option == "REG:32") {
            return fail("reg: The 32-bit registry view is not supported");
        } else if (option != "REG:64") {
            return invalidSyntax("query");
        }
    }
    if (valueName && valueEmpty)
        return invalidSyntax("query");

    const HKEY handle = openRead(key.root, key.path);
    if (!handle)
        return fail(kKeyMissing);
    m_s.out << "\n";
    int status = 0;
    if (valueName || valueEmpty) {
        const std::string name = valueName.value_or(std::string());
        if (recurse) {
            queryValue(handle, name, key.fullName, Level{});
            m_s.out << "Search complete. Number of matches found: " << m_matches << "\n";
        } else {
            std::uint32_t type = 0;
            std::vector<std::uint8_t> data;
            if (m_registry.queryRawValue(handle, name, &type, &data) == ERROR_SUCCESS) {
                m_s.out << key.fullName << "\n";
                printValue(name, regTypeName(type), queryDataText(type, data));
                m_s.out << "\n";
            } else if (!name.empty()) {
                status = fail(kValueMissing);
            } else {
                m_s.out << key.fullName << "\n";
                printValue("", "REG_SZ", "(value not set)");
            }
        }
    } else {
        queryAll(handle, key.fullName, recurse ? Scope::subtree : Scope::keyOnly, Level{});
    }
    m_registry.RegCloseKey(handle);
    return status;
}
// --- export ---

void RegSession::exportTree(HKEY key, const std::string& path, std::u16string& text, Level level)
{
    text += u"\r\n[" + utf8ToUtf16(path) + u"]\r\n";
    for (const auto& value : values(key))
        text += exportValueLine(value.name, value.type, value.data) + u"\r\n";
    for (const auto& [name, isLink] : enterableSubkeys(key, level)) {
        if (const HKEY sub = openRead(key, name)) {
            exportTree(sub, path + "\\" + name, text, level.below(isLink));
            m_registry.RegCloseKey(sub);
        }
    }
}

int RegSession::exportKey(const std::vector<std::string>& args, const KeyArg& key)
{
    if (args.size() > 6)
        return invalidSyntax("export");
    bool overwrite = false;
    for (std::size_t i = 3; i < args.size(); ++i) {
        const std::string option = upper(args[i]);
        if (option == "/Y" || option == "-Y")
            overwrite = true;
        else if (option == "/REG:32" || option == "-REG:32")
            return fail("reg: The 32-bit registry view is not supported");
        else if (option != "/REG:64" && option != "-REG:64")
            return invalidSyntax("export");
    }
    const HKEY handle = openRead(key.root, key.path);
    if (!handle)
        return fail(kKeyMissing);
    std::u16string text = u"\xFEFFWindows Registry Editor Version 5.00\r\n";
    exportTree(handle, key.fullName, text, Level{});
    text += u"\r\n";
    m_registry.RegCloseKey(handle);

    const std::filesystem::path file = args[2];
    std::error_code error;
    if (std::filesystem::exists(file, error) && !overwrite &&
        !confirm("The file '" + args[2] + "' already exists. Do you want to overwrite it?")) {
        m_s.out << kCancelled << "\n";
        return 0;
    }
    // Written beside the target and renamed over it, so an existing file is never left half
    // written.
    const std::filesystem::path temporary = file.string() + ".tessivar-export";
    {
        std::ofstream stream(temporary, std::ios::binary | std::ios::trunc);
        for (const char16_t unit : text) {
            stream.put(static_cast<char>(unit & 0xFF));
            stream.put(static_cast<char>(unit >> 8));
        }
        stream.flush();
        if (!stream) {
            std::filesystem::remove(temporary, error);
            return fail("reg: Unable to write the file '" + args[2] + "'");
        }
    }
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return fail("reg: Unable to write the file '" + args[2] + "'");
    }
    return 0;
}

} // namespace tessivar::cli
