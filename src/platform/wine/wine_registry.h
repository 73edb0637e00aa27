#pragma once

// The registry of a Wine prefix, read from and written to its three files:
//   HKEY_LOCAL_MACHINE                  system.reg
//   HKEY_CURRENT_USER                   user.reg (also HKEY_USERS\S-1-5-21-0-0-0-1000)
//   HKEY_USERS\.Default                 userdef.reg
//   HKEY_CLASSES_ROOT                   HKLM\Software\Classes (Wine does not merge HKCU's classes)
//   HKEY_CURRENT_CONFIG                 HKLM\System\CurrentControlSet\Hardware Profiles\Current
//   HKEY_DYN_DATA, HKEY_PERFORMANCE_DATA  empty, not writable
//
// A missing prefix or file reads as an empty hive. Registry links are followed when a path is
// opened, also into another file. Deleting a key that is a link deletes the link, never what it
// points at.
//
// Saving is careful, because these files are the user's data: nothing is written while a Wine
// server runs for the prefix, nor to a file that did not parse completely; a file that changed
// on disk since it was read is read again and the pending changes are applied to its new
// content; the file is replaced atomically. A refused save changes nothing, on disk or in
// memory, and lastWriteError() says why.
//
// GetVersionExA answers from the prefix's own
// HKLM\Software\Microsoft\Windows NT\CurrentVersion (CurrentMajorVersionNumber /
// CurrentMinorVersionNumber, else CurrentVersion "6.1"; CurrentBuildNumber; CSDVersion), and
// 10.0.19045 where the prefix says nothing.
//
// Writes are batches (a write outside one is a batch of its own): the outermost batch holds the
// prefix lock from its start until it is saved, and first reads again every file that changed
// on disk meanwhile, so that another process's saved change is never written over.
//
// Not thread-safe; one instance per prefix.

#include "platform/registry.h"
#include "platform/wine/atomic_file.h"
#include "platform/wine/prefix_file_lock.h"
#include "platform/wine/reg_file.h"
#include "platform/wine/value_read_ahead.h"

#include <array>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>

namespace tessivar::wine {

// What Wine keeps: its server refuses a longer key name component or value name, and drops such
// a key from a file it loads.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxValueNameLength = 16383;

// Which of the lookups WineRegistry remembers (see ValueMemo below): all of them, but to measure
// what each is worth.
struct LookupMemos {
    bool handle = true;   // where the last handle resolved to
    bool value = true;    // the last value looked up or enumerated
    bool narrowed = true; // the last string data converted to UTF-8
    bool child = true;    // the last subkey enumerated
};

class WineRegistry final : public Registry {
  public:
    // Reads the registry of the prefix at defaultPrefixPath().
    WineRegistry();
    explicit WineRegistry(std::filesystem::path prefix, LookupMemos memos = {});
    ~WineRegistry() override;

    const std::filesystem::path& prefixPath() const { return m_prefix; }
    bool prefixExists() const { return m_prefixExists; }

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
    void readAheadValues(HKEY key, std::string_view keyPath, bool subtree) override;
    LSTATUS queryRawValue(HKEY key, std::string_view valueName, std::uint32_t* type,
                          std::vector<std::uint8_t>* data) override;
    LSTATUS setRawValue(HKEY key, std::string_view valueName, std::uint32_t type,
                        std::span<const std::uint8_t> data) override;
    bool canWrite(std::string* why) override;
    void beginBatch() override;
    bool endBatch(std::string* why) override;
    std::string lastWriteError() const override;
    bool canRead(std::string* why) override;
    PrefixLock& prefixLock() override { return m_lock; }

  private:
    static constexpr int kHiveCount = 3;
    enum HiveIndex : int { kMachine = 0, kUser = 1, kUserDefault = 2 };
    // Places that are not inside a file.
    static constexpr int kUsersRoot = -1;
    static constexpr int kEmptyRoot = -2;

    struct Change {
        enum class Kind { createKey, setValue, deleteValue, deleteKey, clearKey } kind;
        std::vector<std::u16string> path;
        std::u16string name;
        std::uint32_t type = 0;
        std::string data;
        std::optional<std::u16string> className;
        bool isVolatile = false;
        std::uint64_t time = 0;
    };

    struct HiveFile {
        std::string fileName;
        std::string rootPath; // as the file's ";;" comment names it
        std::filesystem::path path;
        std::unique_ptr<RegFile> file;
        FileStamp stamp;         // of the file the tree was read from
        std::string readError;   // the file exists but could not be read
        std::string archProblem; // its architecture disagrees with the other files
        std::vector<Change> pending;
        std::uint64_t generation = 0;
    };

    struct Location {
        int hive = kEmptyRoot;
        RegKey* key = nullptr;
    };

    struct OpenKey {
        int hive = kEmptyRoot;
        // Inside the hive. Taken only when the hive's tree is about to be replaced (most handles
        // are closed long before), so that the handle can find the same key in the new tree.
        std::vector<std::u16string> path;
        bool pathKnown = false;
        RegKey* key = nullptr;
        std::uint64_t generation = 0;
    };

    enum class Walk { open, create };

    // The last value and subkey looked up, so that a walk's enumerate-then-read of one value, or
    // enumerate-then-open of one subkey, finds and converts it once. One entry each, valid only
    // while m_changeStamp stands where it stood when the entry was made: any change of a tree or
    // replaced tree moves it on (noteChange()), and the close of the handle drops its entries.
    struct ValueMemo {
        std::uint64_t stamp = 0;
        HKEY handle = 0;
        std::string name;
        const RegValue* value = nullptr;
    };
    struct NarrowMemo {
        std::uint64_t stamp = 0;
        const RegValue* value = nullptr;
        std::string bytes;
    };
    struct HandleMemo {
        std::uint64_t stamp = 0;
        HKEY handle = 0;
        Location location;
    };
    struct ChildMemo {
        std::uint64_t stamp = 0;
        HKEY handle = 0;
        std::string name;
        int hive = kEmptyRoot;
        RegKey* child = nullptr;
    };

    // wine_registry_store.cpp: files, links, saving.
    void loadHive(int index);
    std::unique_ptr<RegFile> emptyFileFor(int index) const;
    std::string refusalFor(int hive);
    LSTATUS afterChange(int hive);
    bool saveHive(int hive, std::string* why);
    void rollBack(int hive);
    static bool replay(RegFile& file, const std::vector<Change>& changes);
    LSTATUS followLink(RegKey* link, Location& out, int& hops);
    // The outermost batch holds the prefix lock and starts from what is on disk now.
    void lockForBatch();
    void unlockAfterBatch();
    LSTATUS walk(Location start, const std::vector<std::u16string>& parts, Walk mode, Location& out, bool* created,
                 const Change* creation, int& hops);

    // wine_registry.cpp: handles and the calls.
    LSTATUS resolveHandle(HKEY key, Location& out);
    LSTATUS openPath(HKEY key, std::string_view subKey, Walk mode, Location& out, bool* created,
                     const Change* creation);
    HKEY allocate(const Location& location);
    // Before a hive's tree is replaced: notes where each handle open in it stands.
    void keepOpenPaths(int hive);
    std::vector<std::u16string> pathOf(const RegKey* key) const;
    LSTATUS deleteKeyAt(HKEY key, std::string_view subKey, bool tree);
    // wine_registry_version.cpp
    std::string readString(std::initializer_list<std::u16string_view> path, std::u16string_view name);

    // wine_registry_values.cpp: the calls on values.
    LSTATUS setValueAt(HKEY key, std::u16string_view name, std::uint32_t type, std::string data);
    const std::string& narrowed(const RegValue& value);
    const RegValue* lookUpValue(HKEY handle, RegKey* key, std::string_view name);

    // Puts in a hive's new tree (read again, rolled back or replaced by what is on disk).
    void replaceTree(int hive, std::unique_ptr<RegFile> file);
    // Called before anything in the trees changes: by replaceTree() and by each file's change
    // observer, never by the calls that change a tree, so that no change can leave a memo behind.
    void noteChange()
    {
        m_readAhead.stop();
        ++m_changeStamp;
    }
    // Whether a memo entry made at `stamp` still holds (`kept`: that memo is in use).
    bool memoHolds(bool kept, std::uint64_t stamp) const { return kept && stamp == m_changeStamp; }

    std::filesystem::path m_prefix;
    bool m_prefixExists = false;
    PrefixFileLock m_lock{m_prefix};
    bool m_batchLocked = false;
    std::string m_lockRefusal; // why the running batch could not have the lock
    std::array<HiveFile, kHiveCount> m_hives;
    std::map<HKEY, OpenKey> m_handles;
    std::map<HKEY, OpenKey>::node_type m_spareHandle; // the last one closed, reused by the next open
    HKEY m_nextHandle = 0x100;
    int m_batchDepth = 0;
    std::string m_lastWriteError;
    std::uint64_t m_changeStamp = 1;
    LookupMemos m_memos;
    HandleMemo m_handleMemo;
    ValueMemo m_valueMemo;
    NarrowMemo m_narrowMemo;
    ChildMemo m_childMemo;
    std::string m_nameText; // reused for the names the enumerations convert
    std::string m_classText;
    ValueReadAhead m_readAhead; // last, so that it stops before the trees go
};

} // namespace tessivar::wine
