#include "platform/wine/reg_text_buffer.h"

#include "platform/wine/posix_file.h"
#include "platform/wine/text_scans.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <system_error>
#include <unistd.h>

namespace tessivar::wine {

namespace {

constexpr std::size_t kLargeFile = 4u << 20;
// What a background read hands over at a time: two huge pages.
constexpr std::size_t kReadPiece = RegTextBuffer::kPieceSize;

// The "\n" offsets of `bytes`, and whether they hold a NUL or CR byte.
void findLineEnds(const char* bytes, std::size_t size, RegTextBuffer::PieceLines& lines)
{
    lines.ends.clear();
    lines.ends.reserve(size / 48);
    std::size_t at = 0;
    for (; at + 64 <= size; at += 64) {
        const LineBlock block = scanLineBlock(bytes + at);
        lines.nul = lines.nul || block.nul;
        lines.carriageReturn = lines.carriageReturn || block.carriageReturn;
        for (std::uint64_t ends = block.lineEnds; ends; ends &= ends - 1)
            lines.ends.push_back(static_cast<std::uint32_t>(at + static_cast<std::size_t>(std::countr_zero(ends))));
    }
    for (; at < size; ++at) {
        if (bytes[at] == '\n')
            lines.ends.push_back(static_cast<std::uint32_t>(at));
        lines.nul = lines.nul || bytes[at] == '\0';
        lines.carriageReturn = lines.carriageReturn || bytes[at] == '\r';
    }
}

// Whether a large file may be read through a mapping of it rather than a copy. A mapped file that
// someone truncates in place ends the process on the next read of a page it lost. The server and
// this program replace registry files by renaming a new file over them, which leaves a mapping of
// the old one whole; so only a regular file of a local file system is mapped, where nothing but a
// tool rewriting the file in place could do that. Network and FUSE file systems, whose files
// another machine or process may cut short under us, are copied.
bool mayMap(int fd, const struct stat& info)
{
    if (!S_ISREG(info.st_mode) || info.st_size <= 0 || info.st_nlink == 0)
        return false;
    struct statfs where {};
    if (::fstatfs(fd, &where) != 0)
        return false;
    switch (static_cast<unsigned long>(where.f_type)) {
    case 0xEF53:     // ext2, ext3, ext4
    case 0x58465342: // XFS
    case 0x9123683E: // Btrfs
    case 0xF2F52010: // F2FS
    case 0x01021994: // tmpfs
    case 0x794C7630: // overlayfs
    case 0x2FC12FC1: // ZFS
    case 0x3153464A: // JFS
    case 0x52654973: // ReiserFS
        return true;
    default:
        return false;
    }
}

// Reads at most `limit` bytes: the size fstat gave, so that a file that keeps growing while it is
// read costs no more than it claimed.
bool readStream(int fd, std::string& text, std::size_t limit)
{
    char chunk[1 << 16];
    while (text.size() < limit) {
        const ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, limit - text.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        text.append(chunk, static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

RegTextBuffer::~RegTextBuffer()
{
    finishReading();
    if (m_mapping)
        ::munmap(m_mapping, m_mappingSize);
    if (m_fileMapping)
        ::munmap(m_fileMapping, m_size);
}

std::unique_ptr<RegTextBuffer> RegTextBuffer::fromString(std::string text)
{
    std::unique_ptr<RegTextBuffer> buffer(new RegTextBuffer());
    buffer->m_string = std::move(text);
    buffer->m_data = buffer->m_string.data();
    buffer->m_size = buffer->m_string.size();
    return buffer;
}

std::unique_ptr<RegTextBuffer> RegTextBuffer::readFile(const std::filesystem::path& path, bool* exists)
{
    auto buffer = startReading(path, exists);
    if (!buffer || buffer->finishReading())
        return buffer;
    // The file changed size while it was read, or the read failed: read it again as a stream.
    FileRead state = FileRead::failed;
    std::uint64_t size = 0;
    const int fd = openRegularFile(path, FinalLink::follow, &state, &size);
    if (fd < 0)
        return nullptr;
    std::string text;
    const bool ok = readStream(fd, text, static_cast<std::size_t>(size));
    ::close(fd);
    return ok ? fromString(std::move(text)) : nullptr;
}

std::unique_ptr<RegTextBuffer> RegTextBuffer::startReading(const std::filesystem::path& path, bool* exists,
                                                           LargeFileRead how)
{
    *exists = false;
    // Only a regular file, opened without blocking: a FIFO or /dev/zero put there is an error.
    FileRead state = FileRead::failed;
    std::uint64_t size = 0;
    const int fd = openRegularFile(path, FinalLink::follow, &state, &size);
    if (fd < 0)
        return state == FileRead::missing ? fromString({}) : nullptr;
    *exists = true;
    struct stat info {};
    const bool ok = ::fstat(fd, &info) == 0;
    const std::size_t expected = ok && S_ISREG(info.st_mode) ? static_cast<std::size_t>(info.st_size) : 0;
    if (ok && expected >= kLargeFile && how == LargeFileRead::mapWhereSafe && mayMap(fd, info)) {
        // The pages the kernel already holds, read where they lie: no fresh memory to clear and
        // fill, which costs more than the whole parse of a file in the cache.
        void* mapping = ::mmap(nullptr, expected, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (mapping != MAP_FAILED) {
            ::close(fd);
            std::unique_ptr<RegTextBuffer> buffer(new RegTextBuffer());
            buffer->m_fileMapping = mapping;
            buffer->m_data = static_cast<char*>(mapping);
            buffer->m_size = expected;
            return buffer;
        }
    }
    if (ok && expected >= kLargeFile) {
        // One byte more than the size, so that a file that grows meanwhile is noticed.
        const std::size_t mappingSize = expected + 1;
        void* mapping = ::mmap(nullptr, mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping != MAP_FAILED) {
            ::madvise(mapping, mappingSize, MADV_HUGEPAGE);
            std::unique_ptr<RegTextBuffer> buffer(new RegTextBuffer());
            buffer->m_mapping = mapping;
            buffer->m_mappingSize = mappingSize;
            buffer->m_data = static_cast<char*>(mapping);
            buffer->m_size = expected;
            buffer->m_fd = fd;
            buffer->m_pieceCount = (mappingSize + kReadPiece - 1) / kReadPiece;
            buffer->m_pieceStates = std::make_unique<std::atomic<std::uint32_t>[]>(buffer->m_pieceCount);
            buffer->m_pieceBytes = std::make_unique<std::size_t[]>(buffer->m_pieceCount);
            buffer->m_pieceLines = std::make_unique<PieceLines[]>(buffer->m_pieceCount);
            RegTextBuffer* self = buffer.get();
            try {
                buffer->m_reader = std::thread([self] {
                    for (std::size_t piece; (piece = self->m_nextPiece.fetch_add(1)) < self->m_pieceCount;)
                        self->readPiece(piece);
                });
            } catch (const std::system_error&) {
                // No second thread: the reading thread reads every piece itself.
            }
            return buffer;
        }
    }
    std::string text;
    const bool read = ok && readStream(fd, text, expected);
    ::close(fd);
    return read ? fromString(std::move(text)) : nullptr;
}

void RegTextBuffer::readPiece(std::size_t piece)
{
    const std::size_t offset = piece * kReadPiece;
    const std::size_t length = std::min(kReadPiece, m_mappingSize - offset);
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = ::pread(m_fd, m_data + offset + got, length - got, static_cast<off_t>(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    // The last piece holds the byte after the file's end: reading it means the file grew.
    const bool last = offset + length == m_mappingSize;
    m_pieceBytes[piece] = got;
    findLineEnds(m_data + offset, std::min(got, m_size - std::min(offset, m_size)), m_pieceLines[piece]);
    m_pieceStates[piece].store(got == (last ? length - 1 : length) ? kRead : kShort, std::memory_order_release);
    m_pieceStates[piece].notify_all();
}

std::size_t RegTextBuffer::awaitBytes(std::size_t count)
{
    if (!arriving())
        return m_size;
    count = std::min(count, m_size);
    while (m_ready < count) {
        const std::size_t piece = m_ready / kReadPiece;
        const std::uint32_t state = m_pieceStates[piece].load(std::memory_order_acquire);
        if (state == kRead) {
            m_ready = std::min((piece + 1) * kReadPiece, m_size);
        } else if (state == kShort) {
            m_ready = std::min(piece * kReadPiece + m_pieceBytes[piece], m_size);
            return m_ready;
        } else if (const std::size_t claimed = m_nextPiece.fetch_add(1); claimed < m_pieceCount) {
            readPiece(claimed);
        } else {
            m_pieceStates[piece].wait(kUnread, std::memory_order_acquire);
        }
    }
    return m_ready;
}

const RegTextBuffer::PieceLines* RegTextBuffer::pieceLines(std::size_t piece) const
{
    if (!m_pieceLines || piece >= m_pieceCount || m_pieceStates[piece].load(std::memory_order_acquire) != kRead)
        return nullptr;
    return &m_pieceLines[piece];
}

void RegTextBuffer::releasePieceLines(std::size_t piece)
{
    if (m_pieceLines && piece < m_pieceCount)
        std::vector<std::uint32_t>().swap(m_pieceLines[piece].ends);
}

bool RegTextBuffer::finishReading()
{
    if (!arriving())
        return m_readComplete;
    for (std::size_t piece; (piece = m_nextPiece.fetch_add(1)) < m_pieceCount;)
        readPiece(piece);
    if (m_reader.joinable())
        m_reader.join();
    // Every piece has been read now, by one thread or the other.
    for (std::size_t piece = 0; piece < m_pieceCount; ++piece)
        m_readComplete = m_readComplete && m_pieceStates[piece].load(std::memory_order_acquire) == kRead;
    ::close(m_fd);
    m_fd = -1;
    return m_readComplete;
}

} // namespace tessivar::wine
