#include "scan/key_walker.h"

#include "checks/checks.h"
#include "engine/registry_ops.h"
#include "engine/scan_context.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessivar {

namespace {

// Names and data are enumerated into buffers of this size; anything larger ends its key's walk.
constexpr std::uint32_t kEnumBufferSize = 255;

struct ScannerCheck {
    std::string_view scannerName;
    RegistryCheck check;
};

constexpr std::array<ScannerCheck, 9> kDispatchTable{{
    {"ActiveX \\ COM", &CheckActiveX},
    {"ActiveX \\ COM Subsections", &CheckActiveX},
    {"Application Paths", &CheckApplicationPath},
    {"Help Files", &CheckHelpFile},
    {"Microsoft Shared", &CheckSharedFile},
    {"Windows Startup", &CheckStartup},
    {"Uninstall Section", &CheckUninstall},
    {"VxD Section", &CheckVirtualDevice},
    {"Windows Fonts", &CheckFont},
}};

// One level of the tree walk: the key open at that depth, the next subkey index, and how long
// the shared path text is at that depth.
struct Level {
    HKEY key;
    std::uint32_t index;
    std::size_t pathLength;
};

void closeAll(Registry& registry, std::vector<Level>& levels)
{
    while (!levels.empty()) {
        registry.RegCloseKey(levels.back().key);
        levels.pop_back();
    }
}

// The value loop of a key already open: every value in turn until one does not fit the buffers
// or the scan is cancelled. The key stays open.
void walkValuesOfOpenKey(ScanContext& context, HKEY key, HKEY hive, const std::string& keyPath,
                         const std::string& scannerName, const std::string& hiveName, ValueChecks checks)
{
    Registry& registry = context.registry;
    ScanModel& model = context.model;
    const RegistryCheck check = checks == ValueChecks::run ? CheckForScanner(scannerName) : nullptr;
    // Filled by each call before they are read; not cleared, since this runs once per key.
    std::array<char, kEnumBufferSize + 1> name;
    std::array<std::uint8_t, kEnumBufferSize + 1> data;
    std::string valueName;
    for (std::uint32_t index = 0;; ++index) {
        if (model.ScanCancelled)
            return;
        std::uint32_t nameLength = kEnumBufferSize;
        std::uint32_t dataSize = kEnumBufferSize;
        std::uint32_t type = 0;
        if (registry.RegEnumValueA(key, index, name.data(), &nameLength, &type, data.data(), &dataSize) !=
            ERROR_SUCCESS)
            return;
        if (nameLength > kEnumBufferSize)
            nameLength = kEnumBufferSize;
        valueName.assign(name.data(), nameLength);

        // The value's text, straight into the label that shows it. The enumeration has just
        // handed over its type and data, and reading it again by name finds the same value
        // (names are unique within a key); except for a name holding a zero character, which
        // the read by name stops at, so that one is read by name as always.
        if (valueName.find('\0') == std::string::npos)
            model.lblRegistryFilesScan.edit([&](std::string& text) {
                ValueDataAsText(
                    type,
                    std::string_view(reinterpret_cast<const char*>(data.data()), std::min(dataSize, kEnumBufferSize)),
                    text);
            });
        else
            model.lblRegistryFilesScan.edit(
                [&](std::string& text) { ReadValueAsText(registry, key, valueName, text); });
        if (model.ScanCancelled)
            return;
        DispatchValue(context, check, model.lblRegistryFilesScan, scannerName, valueName, hive, hiveName, keyPath);
        if (model.ScanCancelled)
            return;
        context.host.yield();
    }
}

} // namespace

RegistryCheck CheckForScanner(std::string_view scannerName)
{
    for (const auto& entry : kDispatchTable) {
        if (entry.scannerName == scannerName)
            return entry.check;
    }
    return nullptr;
}

// Written as a loop over an explicit stack rather than by recursion, so that a registry file
// nesting keys thousands deep cannot exhaust the call stack; the order of the steps and the one
// open key per level are those of the recursive walk (values of a subkey, then its subtree).
void WalkKeyTree(ScanContext& context, HKEY hive, const std::string& keyPath, const std::string& scannerName,
                 const std::string& hiveName, ValueChecks checks)
{
    Registry& registry = context.registry;
    ScanModel& model = context.model;

    HKEY start = 0;
    if (registry.RegOpenKeyExA(hive, keyPath, 0, KEY_ENUMERATE_SUB_KEYS, &start) != ERROR_SUCCESS)
        return;

    std::vector<Level> levels;
    levels.push_back({start, 0, keyPath.size()});
    std::string path = keyPath;
    std::array<char, kEnumBufferSize + 1> name;
    std::array<char, kEnumBufferSize + 1> className;

    // After a subkey and everything below it: stop when cancelled, else yield and move on.
    const auto finishSubkey = [&]() {
        if (model.ScanCancelled) {
            closeAll(registry, levels);
            return true;
        }
        context.host.yield();
        ++levels.back().index;
        return false;
    };

    while (!levels.empty()) {
        Level& level = levels.back();
        path.resize(level.pathLength);

        std::uint32_t nameLength = kEnumBufferSize;
        std::uint32_t classLength = kEnumBufferSize;
        if (registry.RegEnumKeyExA(level.key, level.index, name.data(), &nameLength, className.data(), &classLength) !=
            ERROR_SUCCESS) {
            registry.RegCloseKey(level.key);
            levels.pop_back();
            if (levels.empty() || finishSubkey())
                return;
            continue;
        }
        if (nameLength > kEnumBufferSize)
            nameLength = kEnumBufferSize;
        const std::string_view subkeyName(name.data(), nameLength);
        path += '\\';
        path += subkeyName;
        model.lblRegistryScan.assign(subkeyName);

        // The subkey is opened once, relative to its parent, for its values and then its own
        // subkeys: the same key the full path names (no link lies on the way), found without
        // resolving the path from the hive again.
        HKEY child = 0;
        if (!registry.isLinkKey(level.key, subkeyName) &&
            registry.RegOpenKeyExA(level.key, subkeyName, 0, KEY_READ, &child) == ERROR_SUCCESS) {
            walkValuesOfOpenKey(context, child, hive, path, scannerName, hiveName, checks);
            levels.push_back({child, 0, path.size()});
            continue;
        }
        if (finishSubkey())
            return;
    }
}

void WalkKeyValues(ScanContext& context, HKEY hive, const std::string& keyPath, const std::string& scannerName,
                   const std::string& hiveName, ValueChecks checks)
{
    HKEY key = 0;
    if (context.registry.RegOpenKeyA(hive, keyPath, &key) != ERROR_SUCCESS)
        return;
    walkValuesOfOpenKey(context, key, hive, keyPath, scannerName, hiveName, checks);
    context.registry.RegCloseKey(key);
}

void ListSubkeyNames(ScanContext& context, HKEY hive, const std::string& keyPath)
{
    Registry& registry = context.registry;
    ScanModel& model = context.model;

    HKEY key = 0;
    if (registry.RegOpenKeyA(hive, keyPath, &key) != ERROR_SUCCESS)
        return;

    std::array<char, kEnumBufferSize + 1> name;
    std::array<char, kEnumBufferSize + 1> className;
    for (std::uint32_t index = 0;; ++index) {
        if (!model.cmdCancelOrStopEnabled)
            break;
        std::uint32_t nameLength = kEnumBufferSize;
        std::uint32_t classLength = kEnumBufferSize;
        const LSTATUS status =
            registry.RegEnumKeyExA(key, index, name.data(), &nameLength, className.data(), &classLength);
        if (status == ERROR_SUCCESS)
            model.lblRegistryScan.assign(name.data(), nameLength > kEnumBufferSize ? kEnumBufferSize : nameLength);
        context.host.yield();
        if (!model.cmdCancelOrStopEnabled || status != ERROR_SUCCESS)
            break;
    }
    registry.RegCloseKey(key);
}

void DispatchValue(ScanContext& context, RegistryCheck check, const std::string& data, const std::string& scannerName,
                   const std::string& valueName, HKEY hive, const std::string& hiveName, const std::string& keyPath)
{
    if (check == nullptr || context.model.ScanCancelled)
        return;
    check(context, hive, hiveName, valueName, data, scannerName, keyPath);
}

} // namespace tessivar
