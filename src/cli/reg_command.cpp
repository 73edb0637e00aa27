#include "cli/reg_command.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <system_error>

#include "cli/cli_platform.h"
#include "cli/reg_format.h"
#include "cli/reg_help.h"
#include "platform/utf16_text.h"

namespace tessivar::cli {

namespace {

constexpr std::string_view kSuccess = "reg: The operation completed successfully";
constexpr std::string_view kCancelled = "reg: The registry operation was cancelled";
constexpr std::string_view kKeyMissing = "reg: Unable to find the specified registry key";
constexpr std::string_view kValueMissing = "reg: Unable to find the specified registry value";
constexpr std::string_view kCannotCreate = "reg: Unable to access or create the specified registry key";
// Windows allows 512 levels; deeper means a link loop the back-end did not catch.
constexpr int kMaxDepth = 512;

struct RootName {
    HKEY key;
    std::string_view brief;
    std::string_view full;
};

constexpr RootName kRoots[] = {
    {HKEY_LOCAL_MACHINE, "HKLM", "HKEY_LOCAL_MACHINE"}, {HKEY_CURRENT_USER, "HKCU", "HKEY_CURRENT_USER"},
    {HKEY_CLASSES_ROOT, "HKCR", "HKEY_CLASSES_ROOT"},   {HKEY_USERS, "HKU", "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, "HKCC", "HKEY_CURRENT_CONFIG"},
};

std::string upper(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && upper(a) == upper(b);
}

bool isHelpSwitch(std::string_view arg)
{
    return arg.size() == 2 && (arg[0] == '/' || arg[0] == '-') && (arg[1] == '?' || arg[1] == 'h' || arg[1] == 'H');
}

struct KeyArg {
    HKEY root = 0;
    std::string path;     // below the root, no trailing backslash
    std::string fullName; // as reg prints it
};

class Reg {
public:
    Reg(Registry& registry, RegStreams streams) : m_registry(registry), m_s(streams) {}

    int dispatch(const std::vector<std::string>& args);

private:
    int query(const std::vector<std::string>& args, const KeyArg& key);
    int add(const std::vector<std::string>& args, const KeyArg& key);
    int remove(const std::vector<std::string>& args, const KeyArg& key);
    int exportKey(const std::vector<std::string>& args, const KeyArg& key);

    std::optional<KeyArg> parseKey(std::string_view text);
    int invalidSyntax(std::string_view operation);
    int fail(std::string_view message);
    bool confirm(const std::string& question);
    bool writable();
    int commit(RegistryBatch& batch);

    struct Value {
        std::string name;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    std::vector<Value> values(HKEY key);
    std::vector<std::string> subkeys(HKEY key);
    HKEY openRead(HKEY parent, std::string_view path);

    void queryAll(HKEY key, const std::string& path, bool recurse, bool recursing, bool belowLink, int depth);
    void queryValue(HKEY key, const std::string& valueName, const std::string& path, bool belowLink, int depth);
    void printValue(std::string_view name, std::string_view type, std::string_view data);
    void exportTree(HKEY key, const std::string& path, std::u16string& text, bool belowLink, int depth);

    Registry& m_registry;
    RegStreams m_s;
    int m_matches = 0;
};

int Reg::dispatch(const std::vector<std::string>& args)
{
    if (args.empty()) {
        m_s.err << "reg: Invalid syntax. Type \"REG /?\" for help.\n";
        return 1;
    }
    if (isHelpSwitch(args[0])) {
        m_s.out << regHelpText("");
        return 0;
    }
    std::string operation = upper(args[0]);
    std::transform(operation.begin(), operation.end(), operation.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (operation != "query" && operation != "add" && operation != "delete" && operation != "export") {
        m_s.err << "reg: Invalid option [" << args[0] << "]. Type \"REG /?\" for help.\n";
        return 1;
    }
    if (args.size() == 1)
        return invalidSyntax(operation);
    if (isHelpSwitch(args[1])) {
        if (args.size() > 2)
            return invalidSyntax(operation);
        m_s.out << regHelpText(operation);
        return 0;
    }
    if (operation == "export" && args.size() < 3)
        return invalidSyntax(operation);
    const auto key = parseKey(args[1]);
    if (!key)
        return 1;
    if (operation == "query")
        return query(args, *key);
    if (operation == "add")
        return add(args, *key);
    if (operation == "delete")
        return remove(args, *key);
    return exportKey(args, *key);
}

int Reg::invalidSyntax(std::string_view operation)
{
    m_s.err << "reg: Invalid syntax. Type \"REG " << upper(operation) << " /?\" for help.\n";
    return 1;
}

int Reg::fail(std::string_view message)
{
    m_s.err << message << "\n";
    return 1;
}

std::optional<KeyArg> Reg::parseKey(std::string_view text)
{
    if (text.size() < 3 || text.ends_with("\\\\")) {
        fail("reg: Invalid registry key");
        return std::nullopt;
    }
    if (text.starts_with("\\\\") && text[2] != '\\') {
        fail("reg: Unable to access remote machine");
        return std::nullopt;
    }
    const std::size_t slash = text.find('\\');
    const std::string_view rootText = text.substr(0, slash);
    KeyArg key;
    for (const auto& root : kRoots) {
        if (equalsIgnoringCase(rootText, root.brief) || equalsIgnoringCase(rootText, root.full)) {
            key.root = root.key;
            key.fullName = root.full;
        }
    }
    if (key.root == 0 || (slash != std::string_view::npos && slash + 1 == text.size())) {
        fail("reg: Invalid system key");
        return std::nullopt;
    }
    if (slash != std::string_view::npos) {
        std::string_view path = text.substr(slash + 1);
        if (path.ends_with('\\'))
            path.remove_suffix(1);
        key.path = std::string(path);
        key.fullName += "\\" + key.path;
    }
    return key;
}

bool Reg::confirm(const std::string& question)
{
    while (true) {
        m_s.out << question << " (Yes|No)" << std::flush;
        std::string answer;
        if (!std::getline(m_s.in, answer)) {
            m_s.out << "\n";
            return false;
        }
        const char first = answer.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(answer[0])));
        if (first == 'Y')
            return true;
        if (first == 'N')
            return false;
    }
}

bool Reg::writable()
{
    std::string why;
    if (m_registry.canWrite(&why))
        return true;
    fail("reg: " + (why.empty() ? std::string("The registry cannot be changed now") : why));
    return false;
}

int Reg::commit(RegistryBatch& batch)
{
    std::string why;
    if (!batch.commit(&why))
        return fail("reg: " + (why.empty() ? std::string("The registry could not be saved") : why));
    m_s.out << kSuccess << "\n";
    return 0;
}

HKEY Reg::openRead(HKEY parent, std::string_view path)
{
    // reg never finds a key through an empty path component ("A\\\\B").
    if (path.find("\\\\") != std::string_view::npos || path.starts_with('\\'))
        return 0;
    HKEY key = 0;
    if (m_registry.RegOpenKeyExA(parent, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    return key;
}

std::vector<Reg::Value> Reg::values(HKEY key)
{
    std::vector<Value> found;
    std::vector<char> name(1024);
    for (std::uint32_t index = 0;;) {
        auto length = static_cast<std::uint32_t>(name.size());
        std::uint32_t type = 0;
        const LSTATUS status = m_registry.RegEnumValueA(key, index, name.data(), &length, &type, nullptr, nullptr);
        if (status == ERROR_MORE_DATA && name.size() < (1u << 20)) {
            name.resize(std::max<std::size_t>(name.size() * 2, length + 1));
            continue;
        }
        if (status != ERROR_SUCCESS)
            break;
        Value value{std::string(name.data(), length), type, {}};
        if (m_registry.queryRawValue(key, value.name, &value.type, &value.data) == ERROR_SUCCESS)
            found.push_back(std::move(value));
        ++index;
    }
    return found;
}

std::vector<std::string> Reg::subkeys(HKEY key)
{
    std::vector<std::string> found;
    std::vector<char> name(1024);
    for (std::uint32_t index = 0;;) {
        auto length = static_cast<std::uint32_t>(name.size());
        const LSTATUS status = m_registry.RegEnumKeyExA(key, index, name.data(), &length, nullptr, nullptr);
        if (status == ERROR_MORE_DATA && name.size() < (1u << 20)) {
            name.resize(std::max<std::size_t>(name.size() * 2, length + 1));
            continue;
        }
        if (status != ERROR_SUCCESS)
            break;
        found.emplace_back(name.data(), length);
        ++index;
    }
    return found;
}

// --- query ---

void Reg::printValue(std::string_view name, std::string_view type, std::string_view data)
{
    m_s.out << "    " << (name.empty() ? std::string_view("(Default)") : name) << "    " << type << "    " << data
            << "\n";
}

void Reg::queryAll(HKEY key, const std::string& path, bool recurse, bool recursing, bool belowLink, int depth)
{
    const auto list = values(key);
    if (!list.empty() || recursing)
        m_s.out << path << "\n";
    for (const auto& value : list)
        printValue(value.name, regTypeName(value.type), queryDataText(value.type, value.data));
    if (!list.empty() || recursing)
        m_s.out << "\n";
    for (const auto& name : subkeys(key)) {
        if (!recurse) {
            m_s.out << path << "\\" << name << "\n";
            continue;
        }
        const bool isLink = m_registry.isLinkKey(key, name);
        if ((isLink && belowLink) || depth >= kMaxDepth)
            continue;
        if (const HKEY sub = openRead(key, name)) {
            queryAll(sub, path + "\\" + name, true, true, belowLink || isLink, depth + 1);
            m_registry.RegCloseKey(sub);
        }
    }
}

void Reg::queryValue(HKEY key, const std::string& valueName, const std::string& path, bool belowLink, int depth)
{
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    if (m_registry.queryRawValue(key, valueName, &type, &data) == ERROR_SUCCESS) {
        m_s.out << path << "\n";
        printValue(valueName, regTypeName(type), queryDataText(type, data));
        m_s.out << "\n";
        ++m_matches;
    }
    for (const auto& name : subkeys(key)) {
        const bool isLink = m_registry.isLinkKey(key, name);
        if ((isLink && belowLink) || depth >= kMaxDepth)
            continue;
        if (const HKEY sub = openRead(key, name)) {
            queryValue(sub, valueName, path + "\\" + name, belowLink || isLink, depth + 1);
            m_registry.RegCloseKey(sub);
        }
    }
}

int Reg::query(const std::vector<std::string>& args, const KeyArg& key)
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
            queryValue(handle, name, key.fullName, false, 0);
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
        queryAll(handle, key.fullName, recurse, false, false, 0);
    }
    m_registry.RegCloseKey(handle);
    return status;
}

// --- add ---

int Reg::add(const std::vector<std::string>& args, const KeyArg& key)
{
    std::optional<std::string> valueName;
    std::optional<std::string> typeName;
    std::optional<std::string> data;
    bool valueEmpty = false;
    bool force = false;
    char separator = '\0';
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || (arg[0] != '/' && arg[0] != '-'))
            return invalidSyntax("add");
        const std::string option = upper(std::string_view(arg).substr(1));
        const bool hasNext = i + 1 < args.size();
        if (option == "VE") {
            if (valueEmpty)
                return invalidSyntax("add");
            valueEmpty = true;
        } else if (option == "V" || option == "T" || option == "D") {
            auto& slot = option == "V" ? valueName : option == "T" ? typeName : data;
            if (slot || !hasNext)
                return invalidSyntax("add");
            slot = args[++i];
        } else if (option == "S") {
            if (!hasNext || args[i + 1].size() != 1)
                return invalidSyntax("add");
            separator = args[++i][0];
        } else if (option == "F") {
            if (force)
                return invalidSyntax("add");
            force = true;
        } else if (option == "REG:32") {
            return fail("reg: The 32-bit registry view is not supported");
        } else if (option != "REG:64") {
            return invalidSyntax("add");
        }
    }
    if (valueName && valueEmpty)
        return invalidSyntax("add");

    // Everything is checked before anything is created, so a refused command changes nothing.
    const auto type = typeName ? regTypeFromName(*typeName) : std::optional<std::uint32_t>(REG_SZ);
    if (!type)
        return fail("reg: Unsupported registry data type [" + *typeName + "]");
    if ((*type == REG_DWORD || *type == REG_DWORD_BIG_ENDIAN) && !data)
        return fail("reg: Invalid command line parameters");
    const AddData bytes = addDataFor(*type, data, separator);
    if (!bytes.error.empty())
        return fail(bytes.error);
    if (key.path.find("\\\\") != std::string::npos || key.path.starts_with('\\'))
        return fail(kCannotCreate);
    if (!writable())
        return 1;

    const std::string name = valueName.value_or(std::string());
    if (!force) {
        if (const HKEY existing = openRead(key.root, key.path)) {
            const bool present = m_registry.queryRawValue(existing, name, nullptr, nullptr) == ERROR_SUCCESS;
            m_registry.RegCloseKey(existing);
            if (present && !confirm("The registry value '" + (name.empty() ? std::string("(Default)") : name) +
                                    "' already exists. Do you want to overwrite it?")) {
                m_s.out << kCancelled << "\n";
                return 0;
            }
        }
    }

    RegistryBatch batch(m_registry);
    HKEY handle = 0;
    if (m_registry.RegCreateKeyExA(key.root, key.path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, &handle,
                                   nullptr) != ERROR_SUCCESS)
        return fail(kCannotCreate);
    const LSTATUS status = m_registry.setRawValue(handle, name, *type, bytes.bytes);
    m_registry.RegCloseKey(handle);
    if (status != ERROR_SUCCESS) {
        const std::string why = m_registry.lastWriteError();
        return fail(why.empty() ? std::string(kCannotCreate) : "reg: " + why);
    }
    return commit(batch);
}

// --- delete ---

int Reg::remove(const std::vector<std::string>& args, const KeyArg& key)
{
    std::optional<std::string> valueName;
    bool valueEmpty = false;
    bool valueAll = false;
    bool force = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.empty() || (arg[0] != '/' && arg[0] != '-'))
            return invalidSyntax("delete");
        const std::string option = upper(std::string_view(arg).substr(1));
        bool& flag = option == "VA" ? valueAll : option == "VE" ? valueEmpty : force;
        if (option == "VA" || option == "VE" || option == "F") {
            if (flag)
                return invalidSyntax("delete");
            flag = true;
        } else if (option == "V") {
            if (valueName || i + 1 >= args.size())
                return invalidSyntax("delete");
            valueName = args[++i];
        } else if (option == "REG:32") {
            return fail("reg: The 32-bit registry view is not supported");
        } else if (option != "REG:64") {
            return invalidSyntax("delete");
        }
    }
    if ((valueName ? 1 : 0) + (valueEmpty ? 1 : 0) + (valueAll ? 1 : 0) > 1)
        return invalidSyntax("delete");
    const bool wholeKey = !valueName && !valueEmpty && !valueAll;
    // reg.exe would delete a whole hive here; no cleaner should.
    if (wholeKey && key.path.empty())
        return fail("reg: Deleting a whole root key is not allowed");

    const HKEY handle = openRead(key.root, key.path);
    if (!handle)
        return fail(kKeyMissing);
    struct Closer {
        Registry& registry;
        HKEY key;
        ~Closer() { registry.RegCloseKey(key); }
    } closer{m_registry, handle};
    if (!writable())
        return 1;

    if (wholeKey) {
        if (!force && !confirm("Are you sure you want to delete the registry key '" + key.fullName + "'?")) {
            m_s.out << kCancelled << "\n";
            return 0;
        }
        RegistryBatch batch(m_registry);
        if (m_registry.RegDeleteTreeA(key.root, key.path) != ERROR_SUCCESS) {
            const std::string why = m_registry.lastWriteError();
            return fail(why.empty() ? std::string("reg: The system was unable to find the specified registry key or value")
                                    : "reg: " + why);
        }
        return commit(batch);
    }

    if (valueAll) {
        if (!force && !confirm("Are you sure you want to delete all registry values in '" + key.fullName + "'?")) {
            m_s.out << kCancelled << "\n";
            return 0;
        }
        RegistryBatch batch(m_registry);
        HKEY writableKey = 0;
        if (m_registry.RegOpenKeyExA(key.root, key.path, 0, KEY_ALL_ACCESS, &writableKey) != ERROR_SUCCESS)
            return fail(kCannotCreate);
        bool allDeleted = true;
        for (const auto& value : values(writableKey))
            allDeleted = m_registry.RegDeleteValueA(writableKey, value.name.c_str()) == ERROR_SUCCESS && allDeleted;
        m_registry.RegCloseKey(writableKey);
        if (!allDeleted)
            return fail("reg: Unable to delete all values in '" + key.fullName + "'");
        return commit(batch);
    }

    const std::string name = valueName.value_or(std::string());
    if (!force && !confirm("Are you sure you want to delete the registry value '" +
                           (name.empty() ? std::string("(Default)") : name) + "'?")) {
        m_s.out << kCancelled << "\n";
        return 0;
    }
    RegistryBatch batch(m_registry);
    HKEY writableKey = 0;
    if (m_registry.RegOpenKeyExA(key.root, key.path, 0, KEY_ALL_ACCESS, &writableKey) != ERROR_SUCCESS)
        return fail(kCannotCreate);
    const LSTATUS status = m_registry.RegDeleteValueA(writableKey, name.c_str());
    m_registry.RegCloseKey(writableKey);
    if (status == ERROR_FILE_NOT_FOUND)
        return fail(kValueMissing);
    if (status != ERROR_SUCCESS) {
        const std::string why = m_registry.lastWriteError();
        return fail(why.empty() ? std::string(kCannotCreate) : "reg: " + why);
    }
    return commit(batch);
}

// --- export ---

void Reg::exportTree(HKEY key, const std::string& path, std::u16string& text, bool belowLink, int depth)
{
    text += u"\r\n[" + utf8ToUtf16(path) + u"]\r\n";
    for (const auto& value : values(key))
        text += exportValueLine(value.name, value.type, value.data) + u"\r\n";
    for (const auto& name : subkeys(key)) {
        const bool isLink = m_registry.isLinkKey(key, name);
        if ((isLink && belowLink) || depth >= kMaxDepth)
            continue;
        if (const HKEY sub = openRead(key, name)) {
            exportTree(sub, path + "\\" + name, text, belowLink || isLink, depth + 1);
            m_registry.RegCloseKey(sub);
        }
    }
}

int Reg::exportKey(const std::vector<std::string>& args, const KeyArg& key)
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
    exportTree(handle, key.fullName, text, false, 0);
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

} // namespace

int runRegCommand(const std::vector<std::string>& args, Registry& registry, RegStreams streams)
{
    Reg reg(registry, streams);
    return reg.dispatch(args);
}

int regCommand(const std::vector<std::string>& args)
{
    CliPlatform platform = openCliPlatform(std::cerr);
    return runRegCommand(args, *platform.registry, RegStreams{std::cin, std::cout, std::cerr});
}

} // namespace tessivar::cli
