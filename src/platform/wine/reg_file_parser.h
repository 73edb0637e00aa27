#pragma once

// The reading half of RegFile: the line structure of the file at load time, and the value lines
// of one key when they are first needed. Internal to the Wine back-end.

#include "platform/wine/reg_file.h"
#include "platform/wine/reg_line_cursor.h"

#include <string_view>

namespace tessivar::wine {

// A key of the previous key line's path, one per name. Consecutive key lines share most of
// their path, so the next line starts from these.
struct KeyPathLevel {
    RegKey* key = nullptr;
    std::size_t nameEnd = 0; // offset in the previous line just after this name
    bool respelled = false;  // this name or one before it differs from the spelling the key kept
};

class RegFileParser {
  public:
    // Builds the key tree of `file` from its text (values stay undecoded).
    static void load(RegFile& file, std::uint64_t loadTime);
    // Decodes the value lines of one section into `values`, merging repeated names as the server
    // does. With `file` set, what the server would lose is recorded there as a problem.
    static void decodeSection(std::string_view text, const RegKey::TextSlice& slice, std::vector<RegValue>& values,
                              RegFile* file);
    // Inserts or replaces by name (any letter case), keeping the first spelling and the order.
    static void mergeValue(std::vector<RegValue>& values, RegValue value);
    // Whether a value line goes on in the lines after it (hex data ending in a backslash).
    static bool continuesOnNextLines(std::string_view content);

  private:
    // Resolves a key line whose path is plain ASCII with "\\\\" between names (nearly every line
    // Wine writes) without decoding it. Returns the offset after "]", or npos when the line needs
    // the general reading; `chain` is then unchanged.
    static std::size_t resolvePlainKeyLine(RegKey& root, std::string_view content, std::string_view previous,
                                           std::vector<KeyPathLevel>& chain, RegKey** key);
    // Goes one name of a key line's path down from `at`: to the previous line's key at `depth`
    // while the path still follows that line, else to the child of that name (made when missing).
    // Records it in `chain`, with `nameEnd`, the offset after the name in the line.
    static RegKey* stepInto(std::vector<KeyPathLevel>& chain, std::size_t depth, RegKey* at, std::u16string_view name,
                            std::size_t nameEnd, bool& followsPrevious, bool& respelled);
    // The general reading: unescapes the whole path first. Returns npos for a malformed path.
    static std::size_t resolveKeyLine(RegFile& file, const RegLine& line, std::string_view content,
                                      std::vector<KeyPathLevel>& chain, RegKey** key);

    // The steps of load(), one per kind of line.
    struct LoadState;
    // A key line: resolves its key (made when missing) and starts its section.
    static void readKeyLine(LoadState& state, const RegLine& line, std::string_view content);
    // A value line and the lines it goes on in (left undecoded): they extend the section.
    static void skipValueLines(LoadState& state, RegLineCursor& cursor, RegLine& line, std::string_view content);
    // "#time=", "#class=", "#link" in a section, "#arch=" before the first. False when the file
    // names an architecture the server does not know, which ends the load.
    static bool readCommentLine(LoadState& state, const RegLine& line, std::string_view content);
    // Ends the section of the current key at the last line that belonged to it.
    static void closeSection(LoadState& state);
    static void updateKeyTime(RegKey* key, std::uint64_t filetime);
};

} // namespace tessivar::wine
