#pragma once

// The bytes of a registry file held in memory. A large file on a local disk is mapped read-only,
// so that the pages the kernel holds for it are read where they lie. Another large file is read
// into memory that is neither zero-filled first nor mapped page by page in small pages, because
// for a file of hundreds of megabytes that costs more than reading it; and by a second thread, so
// that parsing starts with the first megabytes instead of after the last.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tessivar::wine {

// How a large file is read: through a mapping where that is safe (see mayMap()), or always as a
// copy (the way taken for a file that may not be mapped; chosen by tests, so that both are tried).
enum class LargeFileRead { mapWhereSafe, copy };

class RegTextBuffer {
  public:
    static std::unique_ptr<RegTextBuffer> fromString(std::string text);
    // Reads the whole file. Returns null when it exists but cannot be read; `exists` says
    // whether there was a file at all (a missing file gives an empty buffer).
    static std::unique_ptr<RegTextBuffer> readFile(const std::filesystem::path& path, bool* exists);
    // As readFile(), but a large file is read by a second thread while the caller already reads
    // the text as it arrives (awaitBytes()); finishReading() then says whether it all came.
    // A large file that may be mapped is read through the mapping instead, complete at once.
    static std::unique_ptr<RegTextBuffer> startReading(const std::filesystem::path& path, bool* exists,
                                                       LargeFileRead how = LargeFileRead::mapWhereSafe);

    RegTextBuffer(const RegTextBuffer&) = delete;
    RegTextBuffer& operator=(const RegTextBuffer&) = delete;
    ~RegTextBuffer();

    // The text. While it is still arriving, only the bytes before awaitBytes()'s answer are there.
    std::string_view view() const { return {m_data, m_size}; }
    bool arriving() const { return m_fd >= 0; }
    // Makes sure the first `count` bytes are there: reads pieces itself rather than wait for the
    // second thread, which may not get a processor soon on a busy machine. Returns how many bytes
    // are there: fewer than `count` only when the file turned out shorter or could not be read.
    std::size_t awaitBytes(std::size_t count);
    // Ends the read. False when it failed or the file changed size meanwhile: the text is then
    // not the file's.
    bool finishReading();

    // While the text arrives in pieces, the thread that reads a piece also finds its line ends,
    // which spares the parsing thread, the busier one, from looking at every byte.
    static constexpr std::size_t kPieceSize = 4u << 20;
    struct PieceLines {
        std::vector<std::uint32_t> ends; // offsets of the piece's "\n" bytes from its start
        bool nul = false;                // the piece holds a NUL byte
        bool carriageReturn = false;     // or a CR
    };
    // The line ends of a piece that awaitBytes() has covered completely; null when that piece
    // came short (the text then stops within it) or when the text is not arriving in pieces.
    const PieceLines* pieceLines(std::size_t piece) const;
    // Frees a piece's line ends once they are no longer needed.
    void releasePieceLines(std::size_t piece);

  private:
    RegTextBuffer() = default;
    void readPiece(std::size_t piece);

    std::string m_string; // small files
    char* m_data = nullptr;
    std::size_t m_size = 0;
    void* m_mapping = nullptr; // large files read into memory of their own
    std::size_t m_mappingSize = 0;
    void* m_fileMapping = nullptr; // large files read where they lie (m_size bytes)

    // A large file is read in pieces, each by whichever thread claims it first. A piece's state
    // goes from kUnread to kRead, or to kShort when it got fewer bytes than its share of the file
    // (or one more, at the end): the file changed size, or the read failed.
    enum PieceState : std::uint32_t { kUnread, kRead, kShort };
    int m_fd = -1;
    std::size_t m_pieceCount = 0;
    std::atomic<std::size_t> m_nextPiece{0};
    std::unique_ptr<std::atomic<std::uint32_t>[]> m_pieceStates;
    std::unique_ptr<std::size_t[]> m_pieceBytes; // what a piece got, set before its state
    std::unique_ptr<PieceLines[]> m_pieceLines;  // set before its state too
    std::size_t m_ready = 0;                     // bytes known to be there (the reading thread's view)
    std::thread m_reader;
    bool m_readComplete = true;
};

} // namespace tessivar::wine
