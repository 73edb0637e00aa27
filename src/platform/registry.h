#pragma once

// The registry as the program sees it: the advapi32 calls it makes, with Windows' handles, status
// codes and enumeration by index. Back-ends: the Wine prefix (platform/wine), an in-memory fake
// for tests, and later the real advapi32.
//
// Text crossing this interface (key paths, value names, class names and the data of the string
// types REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ) is UTF-8; the "ANSI code page" of the calls is
// UTF-8 here, so no character is ever lost. Names that hold unpaired UTF-16 surrogates travel as
// WTF-8 (the surrogate encoded like any other code point) and come back unchanged. Lengths are in
// bytes of that encoding. The data of every other type is passed through byte for byte.

#include "platform/prefix_lock.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

using HKEY = std::uint32_t;
using LSTATUS = std::int32_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr HKEY HKEY_USERS = 0x80000003u;
inline constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004u;
inline constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
inline constexpr HKEY HKEY_DYN_DATA = 0x80000006u;

inline constexpr LSTATUS ERROR_SUCCESS = 0;
inline constexpr LSTATUS ERROR_FILE_NOT_FOUND = 2;
inline constexpr LSTATUS ERROR_ACCESS_DENIED = 5;
inline constexpr LSTATUS ERROR_INVALID_HANDLE = 6;
inline constexpr LSTATUS ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr LSTATUS ERROR_INVALID_PARAMETER = 87;
inline constexpr LSTATUS ERROR_MORE_DATA = 234;
inline constexpr LSTATUS ERROR_NO_MORE_ITEMS = 259;
inline constexpr LSTATUS ERROR_BADKEY = 1010;
inline constexpr LSTATUS ERROR_CANTWRITE = 1013;
inline constexpr LSTATUS ERROR_REGISTRY_IO_FAILED = 1016;
inline constexpr LSTATUS ERROR_KEY_DELETED = 1018;
inline constexpr LSTATUS ERROR_CHILD_MUST_BE_VOLATILE = 1021;

inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_DWORD_BIG_ENDIAN = 5;
inline constexpr std::uint32_t REG_LINK = 6;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;
inline constexpr std::uint32_t REG_QWORD = 11;

inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_WRITE = 0x20006;
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

inline constexpr std::uint32_t REG_OPTION_NON_VOLATILE = 0;
inline constexpr std::uint32_t REG_CREATED_NEW_KEY = 1;
inline constexpr std::uint32_t REG_OPENED_EXISTING_KEY = 2;

inline constexpr std::uint32_t VER_PLATFORM_WIN32_NT = 2;

// The version record of GetVersionExA: 148 bytes on Windows.
struct OSVERSIONINFOA {
    std::uint32_t dwOSVersionInfoSize = 0;
    std::uint32_t dwMajorVersion = 0;
    std::uint32_t dwMinorVersion = 0;
    std::uint32_t dwBuildNumber = 0;
    std::uint32_t dwPlatformId = 0;
    char szCSDVersion[128] = {};
};

// Contract shared by every back-end:
// - Handles are 32-bit. The predefined ones (0x80000000-0x80000006) are always open and closing
//   them is a no-op; every other handle comes from an open or create call and stays valid until
//   RegCloseKey, even when the key is deleted meanwhile (calls on it then return
//   ERROR_KEY_DELETED).
// - Enumeration is by index in the back-end's stable order; ERROR_NO_MORE_ITEMS past the end,
//   ERROR_MORE_DATA when a name, class or data does not fit the caller's buffer (the length
//   parameters then hold the size needed, as Windows does for data; names are not written).
// - Sizes are in bytes. On success the name lengths exclude the terminating zero, which is written
//   when there is room; data sizes count every byte written, terminator included.
// - A value name of nullptr or "" is the key's unnamed (default) value.
// - Calls never throw and never block on the user.
class Registry {
  public:
    virtual ~Registry() = default;

    virtual LSTATUS RegOpenKeyExA(HKEY key, std::string_view subKey, std::uint32_t options, std::uint32_t samDesired,
                                  HKEY* result) = 0;
    virtual LSTATUS RegOpenKeyA(HKEY key, std::string_view subKey, HKEY* result) = 0;
    // Creates the key and any missing parent; *disposition says whether it was new.
    virtual LSTATUS RegCreateKeyExA(HKEY key, std::string_view subKey, std::uint32_t reserved, const char* className,
                                    std::uint32_t options, std::uint32_t samDesired, HKEY* result,
                                    std::uint32_t* disposition) = 0;
    // nameLength/classLength: in, the buffer size in bytes; out, the length written without the
    // terminating zero. className and classLength may be null.
    virtual LSTATUS RegEnumKeyExA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength, char* className,
                                  std::uint32_t* classLength) = 0;
    // type, data and dataSize may be null (then that part is not asked for).
    virtual LSTATUS RegEnumValueA(HKEY key, std::uint32_t index, char* name, std::uint32_t* nameLength,
                                  std::uint32_t* type, std::uint8_t* data, std::uint32_t* dataSize) = 0;
    // With data null, only the type and the size needed are returned.
    virtual LSTATUS RegQueryValueExA(HKEY key, const char* valueName, std::uint32_t* type, std::uint8_t* data,
                                     std::uint32_t* dataSize) = 0;
    virtual LSTATUS RegSetValueExA(HKEY key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t size) = 0;
    virtual LSTATUS RegDeleteValueA(HKEY key, const char* valueName) = 0;
    virtual LSTATUS RegCloseKey(HKEY key) = 0;
    // Deletes a key that has no subkeys.
    virtual LSTATUS RegDeleteKeyA(HKEY key, std::string_view subKey) = 0;
    // Deletes a key with everything below it; with an empty subKey, everything below `key`.
    virtual LSTATUS RegDeleteTreeA(HKEY key, std::string_view subKey) = 0;

    // kernel32's version query, here because the registry back-end is what knows which system it
    // stands for. Wine and Windows answer the NT family (platform id 2).
    virtual bool GetVersionExA(OSVERSIONINFOA* info) = 0;

    // --- What Win32 does not offer but a careful cleaner needs ---

    // True when the direct subkey `name` of `key` is a registry link. Opening a path follows
    // links; a tree walk asks this first so that it never descends through one.
    virtual bool isLinkKey(HKEY key, std::string_view name) = 0;

    // Says that the values of `keyPath` under `key`, and with `subtree` those of every key below
    // it (links not followed), are about to be read, in the order a depth-first walk reads them.
    // A back-end may prepare them meanwhile; nothing else depends on it.
    virtual void readAheadValues(HKEY key, std::string_view keyPath, bool subtree)
    {
        (void)key;
        (void)keyPath;
        (void)subtree;
    }

    // The value exactly as stored: its type and its raw bytes (UTF-16LE for the string types,
    // whatever they hold). Used where a value must be saved and later put back to the byte.
    virtual LSTATUS queryRawValue(HKEY key, std::string_view valueName, std::uint32_t* type,
                                  std::vector<std::uint8_t>* data) = 0;
    virtual LSTATUS setRawValue(HKEY key, std::string_view valueName, std::uint32_t type,
                                std::span<const std::uint8_t> data) = 0;

    // Whether changes can be saved right now. When they cannot (Wine runs in the prefix, a file
    // did not parse completely, ...) every write call returns ERROR_ACCESS_DENIED and changes
    // nothing, and `why` receives one line for the user.
    virtual bool canWrite(std::string* why) = 0;

    // Writes are saved when the outermost batch ends; outside a batch each write is saved at
    // once. endBatch returns false (and the reason) when a save was refused or failed; the files
    // on disk are then as they were before the batch.
    virtual void beginBatch() = 0;
    virtual bool endBatch(std::string* why) = 0;
    // The reason of the most recent failed write or save, for messages; empty when none failed.
    virtual std::string lastWriteError() const = 0;

    // Whether the registry was read whole: false, with one line naming the file and why, when a
    // file behind it cannot be read or is not a registry file, or when there is no registry at
    // all. A scan of such a registry would report a clean system that is not one.
    virtual bool canRead(std::string* why)
    {
        (void)why;
        return true;
    }

    // The lock every writer of this registry's machine holds (prefix_lock.h). The outermost batch
    // takes it and reads again what changed meanwhile; an operation that also changes files (a
    // repair, a restore) takes it around all of its work. The default has no other writer.
    virtual PrefixLock& prefixLock();
};

// Groups the writes of one operation (a repair, a restore) into one save per changed file.
class RegistryBatch {
  public:
    explicit RegistryBatch(Registry& registry) : m_registry(registry) { m_registry.beginBatch(); }
    ~RegistryBatch()
    {
        if (!m_ended)
            m_registry.endBatch(nullptr);
    }
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;

    // Ends the batch now and says whether everything was saved.
    bool commit(std::string* why)
    {
        m_ended = true;
        return m_registry.endBatch(why);
    }

  private:
    Registry& m_registry;
    bool m_ended = false;
};

// "HKEY_LOCAL_MACHINE" for 0x80000002 and so on; "" for a handle that is not predefined.
std::string_view predefinedKeyName(HKEY key);
// The handle for a full or short hive name ("HKEY_LOCAL_MACHINE", "HKLM"), any letter case;
// 0 when the name is not one.
HKEY predefinedKeyFromName(std::string_view name);

} // namespace tessivar
