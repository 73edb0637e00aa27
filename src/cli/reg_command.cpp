#include "cli/reg_command.h"

#include "cli/cli_platform.h"
#include "cli/reg_format.h"
#include "cli/reg_help.h"
#include "cli/reg_session.h"
#include "platform/text_utils.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <optional>

namespace tessivar::cli {

namespace {

struct RootName {
    HKEY key;
    std::string_view brief;
    std::string_view full;
};

constexpr RootName kRoots[] = {
    {HKEY_LOCAL_MACHINE, "HKLM", "HKEY_LOCAL_MACHINE"},   {HKEY_CURRENT_USER, "HKCU", "HKEY_CURRENT_USER"},
    {HKEY_CLASSES_ROOT, "HKCR", "HKEY_CLASSES_ROOT"},     {HKEY_USERS, "HKU", "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, "HKCC", "HKEY_CURRENT_CONFIG"},
};

bool isHelpSwitch(std::string_view arg)
{
    return arg.size() == 2 && (arg[0] == '/' || arg[0] == '-') && (arg[1] == '?' || arg[1] == 'h' || arg[1] == 'H');
}

} // namespace

int RegSession::dispatch(const std::vector<std::string>& args)
{
    if (args.empty()) {
        m_s.err << "reg: Invalid syntax. Type \"REG /?\" for help.\n";
        return 1;
    }
    if (isHelpSwitch(args[0])) {
        m_s.out << regHelpText("");
        return 0;
    }
    std::string operation = args[0];
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
    // A registry that was not read whole would answer "no such key" for keys that exist.
    if (std::string why; !m_registry.canRead(&why))
        return fail("reg: " + why);
    if (operation == "query")
        return query(args, *key);
    if (operation == "add")
        return add(args, *key);
    if (operation == "delete")
        return remove(args, *key);
    return exportKey(args, *key);
}

int RegSession::invalidSyntax(std::string_view operation)
{
    m_s.err << "reg: Invalid syntax. Type \"REG " << upper(operation) << " /?\" for help.\n";
    return 1;
}

int RegSession::fail(std::string_view message)
{
    m_s.err << message << "\n";
    return 1;
}

std::optional<KeyArg> RegSession::parseKey(std::string_view text)
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

bool RegSession::confirm(const std::string& question)
{
    while (true) {
        m_s.out << question << " (Yes|No)" << std::flush;
        std::string answer;
        if (!std::getline(m_s.in, answer)) {
            m_s.out << "\n";
            return false;
        }
        const char first =
            answer.empty() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(answer[0])));
        if (first == 'Y')
            return true;
        if (first == 'N')
            return false;
    }
}

bool RegSession::writable()
{
    std::string why;
    if (m_registry.canWrite(&why))
        return true;
    fail("reg: " + (why.empty() ? std::string("The registry cannot be changed now") : why));
    return false;
}

int RegSession::commit(RegistryBatch& batch)
{
    std::string why;
    if (!batch.commit(&why))
        return fail("reg: " + (why.empty() ? std::string("The registry could not be saved") : why));
    m_s.out << kSuccess << "\n";
    return 0;
}

HKEY RegSession::openRead(HKEY parent, std::string_view path)
{
    // reg never finds a key through an empty path component ("A\\\\B").
    if (path.find("\\\\") != std::string_view::npos || path.starts_with('\\'))
        return 0;
    HKEY key = 0;
    if (m_registry.RegOpenKeyExA(parent, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return 0;
    return key;
}

std::vector<RegSession::Value> RegSession::values(HKEY key)
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

std::vector<std::string> RegSession::subkeys(HKEY key)
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
// --- add ---

int RegSession::add(const std::vector<std::string>& args, const KeyArg& key)
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
                                   nullptr) != ERROR_SUCCESS) {
        const std::string why = m_registry.lastWriteError();
        return fail(why.empty() ? std::string(kCannotCreate) : "reg: " + why);
    }
    const LSTATUS status = m_registry.setRawValue(handle, name, *type, bytes.bytes);
    m_registry.RegCloseKey(handle);
    if (status != ERROR_SUCCESS) {
        const std::string why = m_registry.lastWriteError();
        return fail(why.empty() ? std::string(kCannotCreate) : "reg: " + why);
    }
    return commit(batch);
}

// --- delete ---

int RegSession::remove(const std::vector<std::string>& args, const KeyArg& key)
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
            return fail(why.empty()
                            ? std::string("reg: The system was unable to find the specified registry key or value")
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

int runRegCommand(const std::vector<std::string>& args, Registry& registry, RegStreams streams)
{
    RegSession reg(registry, streams);
    return reg.dispatch(args);
}

int regCommand(const std::vector<std::string>& args)
{
    CliPlatform platform = openCliPlatform(std::cerr);
    return runRegCommand(args, *platform.registry, RegStreams{std::cin, std::cout, std::cerr});
}

} // namespace tessivar::cli
