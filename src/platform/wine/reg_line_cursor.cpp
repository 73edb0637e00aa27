#include "platform/wine/reg_line_cursor.h"

#include <algorithm>

namespace tessivar::wine {

std::size_t RegLineCursor::findIndexedLineEnd()
{
    constexpr std::size_t kPiece = RegTextBuffer::kPieceSize;
    std::size_t from = m_pos;
    for (;;) {
        if (!m_pieceLines || from >= m_pieceBase + kPiece) {
            if (m_pieceLines)
                m_arriving->releasePieceLines(m_piece);
            m_piece = from / kPiece;
            m_pieceBase = m_piece * kPiece;
            await(m_pieceBase + kPiece);
            m_pieceLines = m_arriving->pieceLines(m_piece);
            if (!m_pieceLines)
                return std::string_view::npos;
            m_nextEnd = 0;
            m_sawNul = m_sawNul || m_pieceLines->nul;
            m_sawCarriageReturn = m_sawCarriageReturn || m_pieceLines->carriageReturn;
        }
        const std::vector<std::uint32_t>& ends = m_pieceLines->ends;
        while (m_nextEnd < ends.size() && m_pieceBase + ends[m_nextEnd] < from)
            ++m_nextEnd;
        if (m_nextEnd < ends.size())
            return std::min<std::size_t>(m_pieceBase + ends[m_nextEnd], m_end);
        if (m_pieceBase + kPiece >= m_end)
            return m_end;
        from = m_pieceBase + kPiece; // the line goes on into the next piece
    }
}

} // namespace tessivar::wine
