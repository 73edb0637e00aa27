// WineRegistry: handles, paths and the advapi32-shaped calls.

#include "platform/wine/wine_registry.h"

#include "platform/wine/prefix.h"
#include "platform/wine/reg_text.h"
#include "platform/wine/server_lock.h"
#include "platform/wine/wine_registry_text.h"

#include <algorithm>
#include <cstring>

namespace tessivar::wine {

namespace {

constexpr LSTATUS kErrorBadPathname = 161;
constexpr std::uint32_t kRegOptionVolatile = 1;

bool isPredefined(HKEY key)
{
    return key >= HKEY_CLASSES_ROOT && key <= HKEY_DYN_DATA;
}

// Splits "A\B\C"; false for a path that starts with a backslash, which Windows rejects.
bool splitPath(std::string_view text, std::vector<std::u16string>& parts)
{
    if (!text.empty() && text.front() == '\\')
        return false;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find('\\', begin);
        if (end == std::string_view::npos)
            end = text.size();
        if (end > begin)
            parts.push_back(utf8ToUtf16(text.substr(begin, end - begin)));
        begin = end + 1;
    }
    return true;
}

} // namespace

WineRegistry::WineRegistry() : WineRegistry(defaultPrefixPath()) {}

WineRegistry::WineRegistry(std::filesystem::path prefix, LookupMemos memos)
    : m_prefix(std::move(prefix)), m_memos(memos)
{
    std::error_code error;
    m_prefixExists = std::filesystem::is_directory(m_prefix, error);
    m_hives[kMachine] = HiveFile{"system.reg", "REGISTRY\\Machine", m_prefix / "system.reg", {}, {}, {}, {}, {}, 0};
    m_hives[kUser] =
        HiveFile{"user.reg", "REGISTRY\\User\\S-1-5-21-0-0-0-1000", m_prefix / "user.reg", {}, {}, {}, {}, {}, 0};
    m_hives[kUserDefault] =
        HiveFile{"userdef.reg", "REGISTRY\\User\\.Default", m_prefix / "userdef.reg", {}, {}, {}, {}, {}, 0};
    // The server's order; a file whose architecture disagrees with an earlier one is rejected.
    std::string arch;
    for (int index : {kMachine, kUserDefault, kUser}) {
        loadHive(index);
        const std::string& own = m_hives[index].file->arch();
        if (own.empty() || !m_hives[index].stamp.exists)
            continue;
        if (arch.empty())
            arch = own;
        else if (own != arch)
            m_hives[index].archProblem =
                m_hives[index].fileName + " line 1: Architecture " + own + " differs from the prefix's " + arch;
    }
}

WineRegistry::~WineRegistry()
{
    m_readAhead.stop();
}

std::vector<std::u16string> WineRegistry::pathOf(const RegKey* key) const
{
    std::vector<std::u16string> path;
    for (; key && key->parent(); key = key->parent())
        path.emplace_back(key->name());
    std::reverse(path.begin(), path.end());
    return path;
}

HKEY WineRegistry::allocate(const Location& location)
{
    while (m_nextHandle == 0 || isPredefined(m_nextHandle) || m_handles.count(m_nextHandle))
        ++m_nextHandle;
    const HKEY handle = m_nextHandle++;
    OpenKey open;
    open.hive = location.hive;
    open.key = location.key;
    if (location.hive >= 0)
        open.generation = m_hives[location.hive].generation;
    if (m_spareHandle) {
        m_spareHandle.key() = handle;
        m_spareHandle.mapped() = std::move(open);
        m_handles.insert(std::move(m_spareHandle));
    } else {
        m_handles[handle] = std::move(open);
    }
    return handle;
}

void WineRegistry::keepOpenPaths(int hive)
{
    for (auto& [handle, open] : m_handles) {
        if (open.hive == hive && !open.pathKnown && open.generation == m_hives[hive].generation) {
            open.path = pathOf(open.key);
            open.pathKnown = true;
        }
    }
}

LSTATUS WineRegistry::resolveHandle(HKEY key, Location& out)
{
    if (isPredefined(key))
        return openPath(key, {}, Walk::open, out, nullptr, nullptr);
    if (memoHolds(m_memos.handle, m_handleMemo.stamp) && m_handleMemo.handle == key) {
        out = m_handleMemo.location;
        return ERROR_SUCCESS;
    }
    const auto it = m_handles.find(key);
    if (it == m_handles.end())
        return ERROR_INVALID_HANDLE;
    OpenKey& open = it->second;
    if (open.hive < 0) {
        out = Location{open.hive, nullptr};
        return ERROR_SUCCESS;
    }
    HiveFile& hive = m_hives[open.hive];
    if (open.generation != hive.generation) {
        // The file was read again (after a save); find the same key in the new tree.
        RegKey* found = &hive.file->root();
        for (const auto& part : open.path) {
            found = found->findChild(part);
            if (!found)
                break;
        }
        open.key = found;
        open.generation = hive.generation;
    }
    if (!open.key || open.key->deleted())
        return ERROR_KEY_DELETED;
    out = Location{open.hive, open.key};
    m_handleMemo = HandleMemo{m_changeStamp, key, out};
    return ERROR_SUCCESS;
}

LSTATUS WineRegistry::openPath(HKEY key, std::string_view subKey, Walk mode, Location& out, bool* created,
                               const Change* creation)
{
    std::vector<std::u16string> parts;
    Location start;
    switch (key) {
    case HKEY_LOCAL_MACHINE:
        start = Location{kMachine, &m_hives[kMachine].file->root()};
        break;
    case HKEY_CURRENT_USER:
        start = Location{kUser, &m_hives[kUser].file->root()};
        break;
    case HKEY_USERS:
        start = Location{kUsersRoot, nullptr};
        break;
    case HKEY_CLASSES_ROOT:
        start = Location{kMachine, &m_hives[kMachine].file->root()};
        parts = {u"Software", u"Classes"};
        break;
    case HKEY_CURRENT_CONFIG:
        start = Location{kMachine, &m_hives[kMachine].file->root()};
        parts = {u"System", u"CurrentControlSet", u"Hardware Profiles", u"Current"};
        break;
    case HKEY_PERFORMANCE_DATA:
    case HKEY_DYN_DATA:
        start = Location{kEmptyRoot, nullptr};
        break;
    default:
        if (const LSTATUS status = resolveHandle(key, start); status != ERROR_SUCCESS)
            return status;
        break;
    }
    if (!splitPath(subKey, parts))
        return kErrorBadPathname;
    int hops = 0;
    return walk(start, parts, mode, out, created, creation, hops);
}

LSTATUS WineRegistry::RegOpenKeyExA(HKEY key, std::string_view subKey, std::uint32_t options, std::uint32_t samDesired,
                                    HKEY* result)
{
    (void)options;
    (void)samDesired;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    if (subKey.empty() && isPredefined(key)) {
        *result = key;
        return ERROR_SUCCESS;
    }
    // The subkey just enumerated, opened by its name: no path to split and walk again. A name
    // with a separator in it, or a link, takes the long way, which treats them as a path would.
    if (memoHolds(m_memos.child, m_childMemo.stamp) && m_childMemo.handle == key && m_childMemo.name == subKey &&
        !subKey.empty() && subKey.find('\\') == std::string_view::npos && !m_childMemo.child->isLink()) {
        *result = allocate(Location{m_childMemo.hive, m_childMemo.child});
        return ERROR_SUCCESS;
    }
    Location location;
    if (const LSTATUS status = openPath(key, subKey, Walk::open, location, nullptr, nullptr); status != ERROR_SUCCESS)
        return status;
    *result = allocate(location);
    return ERROR_SUCCESS;
}

LSTATUS WineRegistry::RegOpenKeyA(HKEY key, std::string_view subKey, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    if (subKey.empty()) {
        Location location;
        if (const LSTATUS status = resolveHandle(key, location); status != ERROR_SUCCESS)
            return status;
        *result = key;
        return ERROR_SUCCESS;
    }
    return RegOpenKeyExA(key, subKey, 0, KEY_ALL_ACCESS, result);
}

LSTATUS WineRegistry::RegCreateKeyExA(HKEY key, std::string_view subKey, std::uint32_t reserved, const char* className,
                                      std::uint32_t options, std::uint32_t samDesired, HKEY* result,
                                      std::uint32_t* disposition)
{
    (void)reserved;
    (void)samDesired;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    Change creation{Change::Kind::createKey, {}, {}, 0, {}, {}, (options & kRegOptionVolatile) != 0, 0};
    if (className && *className)
        creation.className = utf8ToUtf16(className);
    Location location;
    bool created = false;
    if (const LSTATUS status = openPath(key, subKey, Walk::create, location, &created, &creation);
        status != ERROR_SUCCESS)
        return status;
    const HKEY handle = allocate(location);
    if (created) {
        if (const LSTATUS status = afterChange(location.hive); status != ERROR_SUCCESS) {
            m_handles.erase(handle);
            return status;
        }
    }
    *result = handle;
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LSTATUS WineRegistry::RegEnumKeyExA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                                    char* className, std::uint32_t* classLength)
{
    if (!name || !nameLength)
        return ERROR_INVALID_PARAMETER;
    Location location;
    if (const LSTATUS status = resolveHandle(key, location); status != ERROR_SUCCESS)
        return status;
    std::string_view childName;
    std::string_view childClass;
    RegKey* child = nullptr;
    if (location.hive == kUsersRoot) {
        static constexpr std::string_view kUsers[] = {".Default", "S-1-5-21-0-0-0-1000"};
        if (index >= 2)
            return ERROR_NO_MORE_ITEMS;
        childName = kUsers[index];
    } else if (location.hive == kEmptyRoot || index >= location.key->childCount()) {
        return ERROR_NO_MORE_ITEMS;
    } else {
        child = location.key->child(index);
        assignNameText(m_nameText, child->name());
        childName = m_nameText;
        if (child->className()) {
            assignNameText(m_classText, *child->className());
            childClass = m_classText;
        }
    }
    if (childName.size() + 1 > *nameLength) {
        *nameLength = static_cast<std::uint32_t>(childName.size() + 1);
        return ERROR_MORE_DATA;
    }
    if (className && classLength && childClass.size() + 1 > *classLength) {
        *classLength = static_cast<std::uint32_t>(childClass.size() + 1);
        return ERROR_MORE_DATA;
    }
    copyName(childName, name, nameLength);
    if (className && classLength)
        copyName(childClass, className, classLength);
    else if (classLength)
        *classLength = static_cast<std::uint32_t>(childClass.size());
    if (child) {
        m_childMemo.stamp = m_changeStamp;
        m_childMemo.handle = key;
        m_childMemo.name.assign(childName);
        m_childMemo.hive = location.hive;
        m_childMemo.child = child;
    }
    return ERROR_SUCCESS;
}

LSTATUS WineRegistry::RegCloseKey(HKEY key)
{
    if (isPredefined(key))
        return ERROR_SUCCESS;
    if (m_handleMemo.handle == key)
        m_handleMemo.stamp = 0;
    if (m_valueMemo.handle == key)
        m_valueMemo.stamp = 0;
    if (m_childMemo.handle == key)
        m_childMemo.stamp = 0;
    const auto it = m_handles.find(key);
    if (it == m_handles.end())
        return ERROR_INVALID_HANDLE;
    // Kept for the next open: a walk opens and closes a key at every step.
    m_spareHandle = m_handles.extract(it);
    return ERROR_SUCCESS;
}

LSTATUS WineRegistry::deleteKeyAt(HKEY key, std::string_view subKey, bool tree)
{
    std::vector<std::u16string> parts;
    if (!splitPath(subKey, parts))
        return kErrorBadPathname;
    Location target;
    if (parts.empty()) {
        if (isPredefined(key))
            return ERROR_ACCESS_DENIED;
        if (const LSTATUS status = resolveHandle(key, target); status != ERROR_SUCCESS)
            return status;
    } else {
        // The parent is reached through links, the key itself is not: deleting a link deletes
        // the link, never the key it points at (which may sit in another file).
        const std::u16string last = parts.back();
        std::string parentPath(subKey);
        const std::size_t cut = parentPath.find_last_of('\\');
        parentPath = cut == std::string::npos ? std::string() : parentPath.substr(0, cut);
        Location parent;
        if (const LSTATUS status = openPath(key, parentPath, Walk::open, parent, nullptr, nullptr);
            status != ERROR_SUCCESS)
            return status;
        if (parent.hive == kUsersRoot || parent.hive == kEmptyRoot)
            return parent.hive == kUsersRoot &&
                           (namesEqual(last, u".Default") || namesEqual(last, u"S-1-5-21-0-0-0-1000"))
                       ? ERROR_ACCESS_DENIED
                       : ERROR_FILE_NOT_FOUND;
        target = Location{parent.hive, parent.key->findChild(last)};
        if (!target.key)
            return ERROR_FILE_NOT_FOUND;
    }
    if (target.hive < 0 || !target.key->parent())
        return ERROR_ACCESS_DENIED;
    const bool clearOnly = tree && parts.empty();
    if (!tree && target.key->childCount() > 0)
        return ERROR_ACCESS_DENIED;
    if (std::string refusal = refusalFor(target.hive); !refusal.empty()) {
        m_lastWriteError = refusal;
        return ERROR_ACCESS_DENIED;
    }
    Change change{clearOnly ? Change::Kind::clearKey : Change::Kind::deleteKey,
                  pathOf(target.key),
                  {},
                  0,
                  {},
                  {},
                  false,
                  filetimeNow()};
    if (clearOnly) {
        while (target.key->childCount() > 0)
            target.key->removeChild(target.key->child(0), change.time);
        target.key->removeAllValues(change.time);
    } else {
        target.key->parent()->removeChild(target.key, change.time);
    }
    m_hives[target.hive].pending.push_back(std::move(change));
    return afterChange(target.hive);
}

LSTATUS WineRegistry::RegDeleteKeyA(HKEY key, std::string_view subKey)
{
    return deleteKeyAt(key, subKey, false);
}

LSTATUS WineRegistry::RegDeleteTreeA(HKEY key, std::string_view subKey)
{
    return deleteKeyAt(key, subKey, true);
}

bool WineRegistry::isLinkKey(HKEY key, std::string_view name)
{
    Location location;
    if (resolveHandle(key, location) != ERROR_SUCCESS || location.hive < 0)
        return false;
    if (memoHolds(m_memos.child, m_childMemo.stamp) && m_childMemo.handle == key && m_childMemo.name == name)
        return m_childMemo.child->isLink();
    const RegKey* child = location.key->findChild(utf8ToUtf16(name));
    return child && child->isLink();
}

void WineRegistry::readAheadValues(HKEY key, std::string_view keyPath, bool subtree)
{
    Location location;
    if (openPath(key, keyPath, Walk::open, location, nullptr, nullptr) == ERROR_SUCCESS && location.hive >= 0 &&
        location.key)
        m_readAhead.add(location.key, subtree);
}

bool WineRegistry::canWrite(std::string* why)
{
    for (int hive : {kMachine, kUser, kUserDefault}) {
        if (std::string refusal = refusalFor(hive); !refusal.empty()) {
            if (why)
                *why = refusal;
            return false;
        }
    }
    return true;
}

void WineRegistry::beginBatch()
{
    if (m_batchDepth++ == 0)
        lockForBatch();
}

bool WineRegistry::endBatch(std::string* why)
{
    m_readAhead.stop(); // the save reads the whole tree
    if (m_batchDepth == 0 || --m_batchDepth > 0)
        return true;
    struct Release {
        WineRegistry& registry;
        ~Release() { registry.unlockAfterBatch(); }
    } release{*this};
    // Every file must be writable before any is written, so a refusal leaves all of them as they were.
    for (int hive : {kMachine, kUser, kUserDefault}) {
        if (m_hives[hive].pending.empty())
            continue;
        if (std::string refusal = refusalFor(hive); !refusal.empty()) {
            m_lastWriteError = refusal;
            if (why)
                *why = refusal;
            for (int other : {kMachine, kUser, kUserDefault}) {
                if (!m_hives[other].pending.empty())
                    rollBack(other);
            }
            return false;
        }
    }
    bool ok = true;
    for (int hive : {kMachine, kUser, kUserDefault}) {
        if (!m_hives[hive].pending.empty() && !saveHive(hive, why))
            ok = false;
    }
    return ok;
}

std::string WineRegistry::lastWriteError() const
{
    return m_lastWriteError;
}

} // namespace tessivar::wine
