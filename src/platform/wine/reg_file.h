#pragma once

// One of Wine's registry files ("WINE REGISTRY Version 2": system.reg, user.reg, userdef.reg) as a
// tree of keys, read the way the Wine server reads it and written the way it writes it.
//
// The file's text is kept. A key that was not changed is written back from its own original
// lines, so an untouched file comes back byte for byte, and loading stays close to the cost of
// splitting the text into lines: values are only decoded when a key's values are asked for.
// A changed key is written by the server's rules (escapes, hex wrapping, order), so Wine reads
// back exactly what was meant.
//
// Anything the server would drop, or turn into an empty REG_NONE value, is a parse problem: the
// key still reads as Wine would read it, but the file is not safe to write (see problems()).

#include "platform/wine/reg_text_buffer.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::wine {

struct RegValue {
    std::u16string name; // empty: the key's default value
    std::uint32_t type = 0;
    std::string data; // raw bytes; UTF-16LE for the string types
};

struct ParseProblem {
    std::size_t line = 0; // 1-based line of the file
    std::string message;
};

class RegFile;

// How serialize() writes keys that were not changed.
enum class RegLayout { keepOriginalText, rewriteAll };

class RegKey {
  public:
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    std::u16string_view name() const { return m_name; }
    RegKey* parent() const { return m_parent; }
    // A key removed from the tree stays a valid object until its file goes away, so that open
    // handles can tell it is gone.
    bool deleted() const { return m_deleted; }

    // Subkeys in the order the server writes them.
    std::size_t childCount() const { return m_children.size(); }
    RegKey* child(std::size_t index) const { return m_children[index]; }
    RegKey* findChild(std::u16string_view name) const;
    // Returns the existing subkey of that name (any letter case), else a new empty one.
    RegKey* createChild(std::u16string_view name, std::uint64_t filetime, bool* created);
    // Removes the subkey and everything below it.
    void removeChild(RegKey* child, std::uint64_t filetime);

    // Values in the order the server writes them; decoded from the file text on first use.
    // Decoding may run on another thread (see ValueReadAhead) while nothing changes the tree;
    // everything else about a key belongs to one thread.
    const std::vector<RegValue>& values();
    void decodeValues();
    const RegValue* findValue(std::u16string_view name);
    void setValue(std::u16string_view name, std::uint32_t type, std::string data, std::uint64_t filetime);
    bool removeValue(std::u16string_view name, std::uint64_t filetime);
    void removeAllValues(std::uint64_t filetime);

    bool isLink() const { return m_link; }
    // Null when the key has no class.
    const std::u16string* className() const { return m_class.get(); }
    void setClassName(std::u16string className, std::uint64_t filetime);
    // Volatile keys live in memory only and are never written.
    bool isVolatile() const { return m_volatile; }
    void setVolatile(bool isVolatileKey) { m_volatile = isVolatileKey; }

    // Last write time as a Windows FILETIME (100 ns ticks since 1601).
    std::uint64_t modified() const { return m_modified; }
    // Records a change of the key's own content at `filetime`.
    void touch(std::uint64_t filetime);

  private:
    friend class RegFile;
    friend class RegFileParser;
    friend class RegFileWriter;

    struct TextSlice {
        std::size_t offset = 0;
        std::size_t length = 0;
        std::size_t line = 0;
    };

    RegKey(RegFile* file, RegKey* parent, std::u16string_view name) : m_file(file), m_parent(parent), m_name(name) {}
    void markDecoded() { m_decoding.store(kDecoded, std::memory_order_relaxed); }
    // Finds or adds a subkey while the file is read: no time, no change mark.
    RegKey* obtainChild(std::u16string_view name);
    std::size_t lowerBoundChild(std::u16string_view name) const;

    RegFile* m_file;
    RegKey* m_parent;
    std::u16string_view m_name;      // kept by the file
    std::vector<RegKey*> m_children; // owned by the file
    std::vector<RegValue> m_values;
    // The key's own sections of the original text (more than one when the file repeats a key).
    std::size_t sectionCount() const { return m_hasSection ? 1 + (m_moreSections ? m_moreSections->size() : 0) : 0; }
    const TextSlice& section(std::size_t index) const { return index == 0 ? m_section : (*m_moreSections)[index - 1]; }
    void addSection(const TextSlice& slice);

    // The key's own sections of the original text: nearly always one, more when the file
    // repeats the key. Kept small because a big file has hundreds of thousands of keys.
    TextSlice m_section;
    std::unique_ptr<std::vector<TextSlice>> m_moreSections;
    std::unique_ptr<std::u16string> m_class;
    std::uint64_t m_modified = 0;
    bool m_hasSection = false;
    // Whether m_values holds the decoded values yet: kUndecoded, kDecoding (by one thread, and
    // kDecodingAwaited once another waits for it) or kDecoded.
    enum : std::uint8_t { kUndecoded, kDecoding, kDecodingAwaited, kDecoded };
    std::atomic<std::uint8_t> m_decoding{kUndecoded};
    bool m_changed = false; // must be written by the rules instead of from its original text
    bool m_link = false;
    bool m_volatile = false;
    bool m_deleted = false;
    bool m_ownTime = false; // the time came from the key's own section, not from a subkey's
};

class RegFile {
  public:
    // Parses `text`; `fileName` is only used in messages. `loadTime` (FILETIME) stands in for a
    // key line that carries no time, as the server uses its start time.
    static std::unique_ptr<RegFile> parse(std::string text, std::string fileName, std::uint64_t loadTime);
    static std::unique_ptr<RegFile> parse(std::unique_ptr<RegTextBuffer> text, std::string fileName,
                                          std::uint64_t loadTime);
    // Reads and parses the file at `path`, parsing while it is read. Returns null when it exists
    // but cannot be read; `exists` says whether there was a file (a missing one reads as empty).
    static std::unique_ptr<RegFile> load(const std::filesystem::path& path, std::string fileName,
                                         std::uint64_t loadTime, bool* exists,
                                         LargeFileRead how = LargeFileRead::mapWhereSafe);
    // An empty hive, as written for a file that does not exist yet. `rootPath` is the branch
    // named in the ";;" comment ("REGISTRY\\Machine" with single backslashes).
    static std::unique_ptr<RegFile> createEmpty(std::string fileName, std::string_view rootPath, std::string_view arch);

    RegFile(const RegFile&) = delete;
    RegFile& operator=(const RegFile&) = delete;
    ~RegFile();

    RegKey& root() { return *m_root; }
    const std::string& fileName() const { return m_fileName; }
    // The text the tree was read from.
    std::string_view originalText() const { return m_text->view(); }
    // "win32", "win64" or "" when the file names none.
    const std::string& arch() const { return m_arch; }
    // Whether the header was valid. Without it the server ignores the whole file.
    bool headerValid() const { return m_headerValid; }

    // Every value line is decoded once to find what the server would lose. Cheap to call again.
    const std::vector<ParseProblem>& problems();
    // "system.reg line 12: Malformed value", or "" when the file parsed completely.
    std::string firstProblemMessage();
    // Whether anything changed since parse().
    bool changed() const { return m_changed; }
    // Called before anything in the tree changes (every change goes through RegKey::touch()), so
    // that what is kept about the tree elsewhere is dropped in that one place.
    void setChangeObserver(std::function<void()> observer) { m_beforeChange = std::move(observer); }
    // Records a problem found outside the file's own text (for example an architecture that
    // disagrees with the prefix's other files); the file is then not written.
    void addProblem(std::size_t line, std::string message);

    // The file as the server would write it; untouched keys in their original text unless
    // `layout` asks for every key to be written by the rules.
    std::string serialize(RegLayout layout = RegLayout::keepOriginalText);
    // The same text handed to `sink` in pieces of about a megabyte; stops when it returns false.
    bool write(const std::function<bool(std::string_view)>& sink, RegLayout layout = RegLayout::keepOriginalText);

  private:
    friend class RegKey;
    friend class RegFileParser;
    friend class RegFileWriter;

    RegFile() = default;
    RegKey* makeKey(RegKey* parent, std::u16string_view name);
    RegKey* makeRoot(std::uint64_t filetime);

    std::unique_ptr<RegTextBuffer> m_text;
    std::string m_fileName;
    std::string m_arch;
    std::size_t m_headerLength = 0; // original header text kept as is
    std::string m_newHeader;        // header of a file created here
    RegKey* m_root = nullptr;
    struct Block {
        void* memory = nullptr;
        std::size_t bytes = 0;
    };
    // Every key of the file, in blocks that grow with it (large_blocks.h): a big file has hundreds
    // of thousands of them, and a key removed from the tree stays valid until the file goes away.
    std::vector<Block> m_keyBlocks;
    std::size_t m_keysInLastBlock = 0;
    std::size_t m_keysFitLastBlock = 0;
    // Key names, which never change once made, in blocks too.
    std::vector<Block> m_nameBlocks;
    char16_t* m_nextNameUnit = nullptr;
    std::size_t m_nameUnitsLeft = 0;
    std::vector<ParseProblem> m_problems;
    std::function<void()> m_beforeChange;
    bool m_headerValid = true;
    bool m_valuesChecked = false;
    bool m_textReusable = true; // false when the original line layout must not be copied
    bool m_changed = false;
};

// FILETIME of the Unix epoch and of a Unix time in seconds.
inline constexpr std::uint64_t kFiletimeUnixEpoch = 116444736000000000ull;
std::uint64_t filetimeNow();

} // namespace tessivar::wine
