#pragma once

// The reading half of RegFile: the line structure of the file at load time, and the value lines
// of one key when they are first needed. Internal to the Wine back-end.

#include "platform/wine/reg_file.h"

#include <string_view>

namespace tessivar::wine {

// One line of the file: `content` without its line end (LF, and one CR before it).
struct RegLine {
    std::string_view content;
    std::size_t begin = 0; // offset of the line
    std::size_t end = 0;   // offset after its line end
    std::size_t number = 0;
};

class RegLineCursor {
public:
    RegLineCursor(std::string_view text, std::size_t begin, std::size_t end, std::size_t firstLine)
        : m_text(text), m_pos(begin), m_end(end), m_line(firstLine), m_ready(end)
    {
    }
    // Reads `text` as it arrives: a line is handed out once all of it is there. When the text
    // stops short, its lines end where it stops.
    RegLineCursor(RegTextBuffer& arriving, std::size_t firstLine)
        : m_text(arriving.view()), m_pos(0), m_end(m_text.size()), m_line(firstLine), m_arriving(&arriving),
          m_indexed(true)
    {
    }
    bool next(RegLine& line);
    // Whether the lines read so far, or the text just ahead of them, held a NUL byte, or a CR.
    // Lines that hold one must be looked at closely; the others may be.
    bool sawNul() const { return m_sawNul; }
    bool sawCarriageReturn() const { return m_sawCarriageReturn; }

private:
    // Where the line starting at m_pos ends: its "\n", or m_end.
    std::size_t findLineEnd();
    // The same from the line ends the reading thread found; npos once a piece came short.
    std::size_t findIndexedLineEnd();
    // Makes sure the bytes before `offset` (at most m_end) are there.
    void await(std::size_t offset);

    std::string_view m_text;
    std::size_t m_pos;
    std::size_t m_end;
    std::size_t m_line;
    RegTextBuffer* m_arriving = nullptr;
    std::size_t m_ready = 0; // bytes known to be there
    // The line ends found in the 64 bytes from m_blockBase, one bit each: most lines are shorter
    // than that, so one look at a block serves the next line too. The same look notes the rare
    // bytes that need a closer reading of the lines.
    std::size_t m_blockBase = 0;
    std::uint64_t m_block = 0;
    bool m_haveBlock = false;
    bool m_sawNul = false;
    bool m_sawCarriageReturn = false;
    // Arriving text: the piece whose line ends are in use, and the next of them to look at.
    std::size_t m_piece = 0;
    std::size_t m_pieceBase = 0;
    const RegTextBuffer::PieceLines* m_pieceLines = nullptr;
    std::size_t m_nextEnd = 0;
    bool m_indexed = false;
};

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
};

std::string_view trimLeft(std::string_view text);

} // namespace tessivar::wine
