#pragma once

// An in-memory registry with Windows' meaning, for unit tests of everything that reads or writes
// the registry.
//
// - Predefined handles are always open; HKEY_CLASSES_ROOT is a view of
//   HKLM\Software\Classes, HKEY_CURRENT_USER of HKU\S-1-5-21-0-0-0-1000 and HKEY_CURRENT_CONFIG of
//   HKLM\System\CurrentControlSet\Hardware Profiles\Current, as Wine composes them, so a write
//   through one name is seen through the other.
// - Names compare without regard to case (ASCII, Latin-1, Greek and Cyrillic letters) and keep the
//   spelling they were created with. Enumeration follows insertion order.
// - String types are stored as UTF-16LE, as Windows stores them: the A calls convert to and from
//   UTF-8, queryRawValue gives the stored bytes.
// - Handles carry the access they were opened with: querying values needs KEY_QUERY_VALUE,
//   enumerating subkeys KEY_ENUMERATE_SUB_KEYS, setting or deleting values KEY_SET_VALUE.
//   RegOpenKeyA asks for full access and, like Windows' MAXIMUM_ALLOWED, falls back to read
//   access where full access is refused.
// - No length limit is imposed on names or data, so a test can make a name or data longer than a
//   caller's 255-byte buffer simply by setting one.
// - A registry link (makeLink) is followed when a path is opened through it, up to 16 hops; a loop
//   or a missing target is ERROR_FILE_NOT_FOUND.

#include "platform/registry.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::test {

// A prefix lock another writer may be holding: with `heldElsewhere` set every lock() refuses with
// it; `depth` is how many nested locks this side holds now.
class FakePrefixLock final : public PrefixLock {
  public:
    std::string heldElsewhere;
    int depth = 0;
    int taken = 0; // outermost locks taken so far

    bool lock(std::string* why) override
    {
        if (!heldElsewhere.empty()) {
            if (why)
                *why = heldElsewhere;
            return false;
        }
        taken += depth == 0 ? 1 : 0;
        ++depth;
        return true;
    }
    void unlock() override { --depth; }
};

class FakeRegistry : public Registry {
  public:
    FakeRegistry();
    ~FakeRegistry() override;

    // --- Registry ---
    LSTATUS RegOpenKeyExA(HKEY key, std::string_view subKey, std::uint32_t options, std::uint32_t samDesired,
                          HKEY* result) override;
    LSTATUS RegOpenKeyA(HKEY key, std::string_view subKey, HKEY* result) override;
    LSTATUS RegCreateKeyExA(HKEY key, std::string_view subKey, std::uint32_t reserved, const char* className,
                            std::uint32_t options, std::uint32_t samDesired, HKEY* result,
                            std::uint32_t* disposition) override;
    LSTATUS RegEnumKeyExA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength, char* className,
                          std::uint32_t* classLength) override;
    LSTATUS RegEnumValueA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* dataSize) override;
    LSTATUS RegQueryValueExA(HKEY key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* dataSize) override;
    LSTATUS RegSetValueExA(HKEY key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                           const std::uint8_t* data, std::uint32_t size) override;
    LSTATUS RegDeleteValueA(HKEY key, const char* valueName) override;
    LSTATUS RegCloseKey(HKEY key) override;
    LSTATUS RegDeleteKeyA(HKEY key, std::string_view subKey) override;
    LSTATUS RegDeleteTreeA(HKEY key, std::string_view subKey) override;
    bool GetVersionExA(OSVERSIONINFOA* info) override;
    bool isLinkKey(HKEY key, std::string_view name) override;
    LSTATUS queryRawValue(HKEY key, std::string_view valueName, std::uint32_t* type,
                          std::vector<std::uint8_t>* data) override;
    LSTATUS setRawValue(HKEY key, std::string_view valueName, std::uint32_t type,
                        std::span<const std::uint8_t> data) override;
    bool canWrite(std::string* why) override;
    bool canRead(std::string* why) override;
    void beginBatch() override;
    bool endBatch(std::string* why) override;
    std::string lastWriteError() const override;
    PrefixLock& prefixLock() override { return lock; }

    FakePrefixLock lock;

    // --- Building a registry for a test (never refused, never counted as saves) ---

    // Creates the key and its missing parents.
    void makeKey(HKEY hive, std::string_view path);
    // Stores `text` plus one terminating zero, as a program writing a string would.
    void setString(HKEY hive, std::string_view path, std::string_view name, std::string_view text,
                   std::uint32_t type = REG_SZ);
    // A REG_MULTI_SZ holding `items`: each with its zero, then the closing zero.
    void setMultiString(HKEY hive, std::string_view path, std::string_view name, const std::vector<std::string>& items);
    void setDword(HKEY hive, std::string_view path, std::string_view name, std::uint32_t value);
    // Stores the bytes as they are, under any type (string types included: then UTF-16LE bytes).
    void setBinary(HKEY hive, std::string_view path, std::string_view name, std::vector<std::uint8_t> bytes,
                   std::uint32_t type = REG_BINARY);
    void setClass(HKEY hive, std::string_view path, std::string_view className);
    // Makes `path` a link to `targetPath` under `targetHive` (the target need not exist).
    void makeLink(HKEY hive, std::string_view path, HKEY targetHive, std::string_view targetPath);
    // RegOpenKeyExA on this key refuses any access beyond reading (KEY_ALL_ACCESS included).
    void denyFullAccess(HKEY hive, std::string_view path);

    // --- Looking at the result (paths resolved like an open, links followed) ---
    bool keyExists(HKEY hive, std::string_view path) const;
    bool valueExists(HKEY hive, std::string_view path, std::string_view name) const;
    std::optional<std::uint32_t> valueType(HKEY hive, std::string_view path, std::string_view name) const;
    // The stored bytes.
    std::optional<std::vector<std::uint8_t>> valueBytes(HKEY hive, std::string_view path, std::string_view name) const;
    // A string type's data as UTF-8, every zero kept (terminator included).
    std::optional<std::string> valueText(HKEY hive, std::string_view path, std::string_view name) const;
    std::vector<std::string> subkeyNames(HKEY hive, std::string_view path) const;
    std::vector<std::string> valueNames(HKEY hive, std::string_view path) const;

    // --- Faults and counters ---

    // canWrite() false with this reason; every write call returns ERROR_ACCESS_DENIED.
    void refuseWrites(std::string reason);
    // canRead() false with this reason, as for a registry file that is not one.
    void refuseReads(std::string reason) { m_unreadableReason = std::move(reason); }
    // Called by canRead(), as a program reading its files would pass through its event loop.
    std::function<void()> whileReading;
    void allowWrites();
    // endBatch (and a write outside a batch) reports this failure; the change stays in memory.
    void failSaves(std::string reason);
    void failGetVersion(bool fail) { m_failVersion = fail; }
    void setPlatformId(std::uint32_t id) { m_platformId = id; }

    // Handles allocated by open/create calls and not yet closed.
    std::size_t openHandleCount() const { return m_handles.size(); }
    // Every handle ever allocated.
    std::size_t handlesOpened() const { return m_handlesOpened; }
    // How many saves the writes so far caused: one per write outside a batch, one per outermost
    // batch that changed anything.
    std::size_t saveCount() const { return m_saveCount; }
    // Write calls that changed something.
    std::size_t changeCount() const { return m_changeCount; }
    int batchDepth() const { return m_batchDepth; }

    struct Value {
        std::string name;
        std::uint32_t type = REG_NONE;
        std::vector<std::uint8_t> data;
    };
    struct Key {
        std::string name;
        std::string className;
        Key* parent = nullptr;
        std::vector<std::shared_ptr<Key>> children;
        std::vector<Value> values;
        bool deleted = false;
        bool denyFullAccess = false;
        bool isLink = false;
        HKEY linkHive = 0;
        std::string linkPath;
    };

  private:
    struct Handle {
        std::shared_ptr<Key> key;
        std::uint32_t access = 0;
    };
    struct Lookup {
        std::shared_ptr<Key> key;
        LSTATUS status = ERROR_SUCCESS;
    };

    std::shared_ptr<Key> rootOf(HKEY hive) const;
    // The key behind a handle with at least `access`; status on failure.
    Lookup keyOfHandle(HKEY key, std::uint32_t access) const;
    Lookup resolve(const std::shared_ptr<Key>& start, std::string_view path, int hops = 0) const;
    Lookup resolve(HKEY hive, std::string_view path) const;
    std::shared_ptr<Key> create(HKEY hive, std::string_view path);
    std::shared_ptr<Key> createBelow(const std::shared_ptr<Key>& start, std::string_view path, bool* created);
    HKEY allocate(std::shared_ptr<Key> key, std::uint32_t access);
    LSTATUS refusedWrite();
    void noteChange();
    const Value* findValue(HKEY hive, std::string_view path, std::string_view name) const;

    std::shared_ptr<Key> m_machine;
    std::shared_ptr<Key> m_users;
    std::shared_ptr<Key> m_performance;
    std::shared_ptr<Key> m_dynData;
    std::map<HKEY, Handle> m_handles;
    HKEY m_nextHandle = 0x100;
    std::size_t m_handlesOpened = 0;
    std::size_t m_saveCount = 0;
    std::size_t m_changeCount = 0;
    int m_batchDepth = 0;
    bool m_batchChanged = false;
    bool m_refuseWrites = false;
    std::string m_refuseReason;
    std::string m_unreadableReason;
    bool m_failSaves = false;
    std::string m_failReason;
    std::string m_lastWriteError;
    bool m_failVersion = false;
    std::uint32_t m_platformId = VER_PLATFORM_WIN32_NT;
};

} // namespace tessivar::test
