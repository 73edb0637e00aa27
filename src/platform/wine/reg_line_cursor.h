#pragma once

// The lines of registry text, one after the other, found 64 bytes at a time (or from the line
// ends the reading thread found, while the text still arrives). Internal to the Wine back-end.

#include "platform/wine/reg_text_buffer.h"
#include "platform/wine/text_scans.h"

#include <cstdint>
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

// Inline: the load calls next() for every line of the file.
inline std::size_t RegLineCursor::findLineEnd()
{
    if (m_indexed) {
        // Lines are read one after the other, so the next line end found is nearly always
        // the one after the previous line's.
        if (m_pieceLines && m_nextEnd < m_pieceLines->ends.size()) {
            const std::size_t end = m_pieceBase + m_pieceLines->ends[m_nextEnd];
            if (end >= m_pos && end < m_end) {
                ++m_nextEnd;
                return end;
            }
        }
        if (const std::size_t end = findIndexedLineEnd(); end != std::string_view::npos)
            return end;
        m_indexed = false; // a piece came short: look at the bytes themselves from here on
    }
    const char* base = m_text.data();
    std::size_t from = m_pos;
    for (;;) {
        if (m_haveBlock && from >= m_blockBase && from - m_blockBase < 64) {
            const std::uint64_t ahead = m_block & (~std::uint64_t{0} << (from - m_blockBase));
            if (ahead)
                return m_blockBase + static_cast<std::size_t>(std::countr_zero(ahead));
            from = m_blockBase + 64;
        }
        await(from + 64);
        if (from >= m_end)
            return m_end;
        if (m_end - from < 64) {
            std::size_t at = from;
            for (; at < m_end && base[at] != '\n'; ++at) {
                m_sawNul = m_sawNul || base[at] == '\0';
                m_sawCarriageReturn = m_sawCarriageReturn || base[at] == '\r';
            }
            return at;
        }
        const LineBlock scan = scanLineBlock(base + from);
        m_blockBase = from;
        m_block = scan.lineEnds;
        m_haveBlock = true;
        m_sawNul = m_sawNul || scan.nul;
        m_sawCarriageReturn = m_sawCarriageReturn || scan.carriageReturn;
    }
}

inline void RegLineCursor::await(std::size_t offset)
{
    offset = std::min(offset, m_end);
    if (offset <= m_ready)
        return;
    m_ready = m_arriving->awaitBytes(offset);
    if (m_ready < offset)
        m_end = m_ready; // the text stops short
}

inline bool RegLineCursor::next(RegLine& line)
{
    if (m_pos >= m_end)
        return false;
    const char* base = m_text.data();
    const std::size_t eol = findLineEnd();
    const bool found = eol < m_end;
    std::size_t contentEnd = eol;
    // A CR before the line end was seen when its block was.
    if (m_sawCarriageReturn && contentEnd > m_pos && base[contentEnd - 1] == '\r')
        --contentEnd;
    line.content = std::string_view(base + m_pos, contentEnd - m_pos);
    line.begin = m_pos;
    line.end = found ? eol + 1 : eol;
    line.number = m_line++;
    m_pos = line.end;
    return true;
}

} // namespace tessivar::wine
