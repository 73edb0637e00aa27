#pragma once

// The working parts of `reg`, shared by its source files.

#include "cli/reg_command.h"
#include "platform/registry.h"
#include "platform/text_utils.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessivar::cli {

inline constexpr std::string_view kSuccess = "reg: The operation completed successfully";
inline constexpr std::string_view kCancelled = "reg: The registry operation was cancelled";
inline constexpr std::string_view kKeyMissing = "reg: Unable to find the specified registry key";
inline constexpr std::string_view kValueMissing = "reg: Unable to find the specified registry value";
inline constexpr std::string_view kCannotCreate = "reg: Unable to access or create the specified registry key";
// Windows allows 512 levels; deeper means a link loop the back-end did not catch.
inline constexpr int kMaxDepth = 512;

enum class Scope { keyOnly, subtree };

// Where a walk stands: below the key named on the command line or not, below a registry link
// already followed or not, and how deep.
struct Level {
    bool nested = false;
    bool belowLink = false;
    int depth = 0;
    Level below(bool throughLink) const { return {true, belowLink || throughLink, depth + 1}; }
};

struct KeyArg {
    HKEY root = 0;
    std::string path;     // below the root, no trailing backslash
    std::string fullName; // as reg prints it
};

class RegSession {
  public:
    RegSession(Registry& registry, RegStreams streams) : m_registry(registry), m_s(streams) {}

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

    void queryAll(HKEY key, const std::string& path, Scope scope, Level level);
    void queryValue(HKEY key, const std::string& valueName, const std::string& path, Level level);
    void printValue(std::string_view name, std::string_view type, std::string_view data);
    void exportTree(HKEY key, const std::string& path, std::u16string& text, Level level);
    // The subkeys a walk may enter: never a link below a link already followed (links can
    // loop), never deeper than Windows allows.
    std::vector<std::pair<std::string, bool>> enterableSubkeys(HKEY key, Level level);

    Registry& m_registry;
    RegStreams m_s;
    int m_matches = 0;
};

} // namespace tessivar::cli
