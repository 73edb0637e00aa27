#pragma once

// The few POSIX file helpers the back-end's writers share.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tessivar::wine {

// Owns a file descriptor and closes it when it goes.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and says whether the close succeeded (it can report a late write error).
    bool close();

  private:
    int m_fd;
};

// Writes every byte, going on after interruptions; false on an error.
bool writeAll(int fd, std::string_view bytes);
// What opening or reading a file of outside origin found.
enum class FileRead {
    ok,
    missing,  // nothing at the path (a dangling symbolic link included)
    notAFile, // a folder, FIFO, device or socket, or a refused symbolic link
    tooLarge, // larger than the caller's bound
    failed,   // it exists but could not be opened or read
};

enum class FinalLink { follow, refuse };

// Opens a file that someone else may have put there. The open never blocks (a FIFO or a device
// answers at once), FinalLink::refuse does not follow a symbolic link as the last component, and
// only a regular file is kept. Returns the descriptor (the caller closes it) and its size from
// fstat, or -1 with `state` saying why.
int openRegularFile(const std::filesystem::path& path, FinalLink link, FileRead* state, std::uint64_t* size);
// Reads such a file whole, within the size fstat gave: a file that grows meanwhile is read up to
// that size, so even a file that never ends costs no more than it claimed.
FileRead readRegularFile(const std::filesystem::path& path, std::string& content, std::uint64_t maxBytes,
                         FinalLink link = FinalLink::follow);
// "not a regular file", "cannot be read", ... for a message that names the file.
std::string_view describe(FileRead state);

// Flushes a folder, so that a file created or renamed in it survives a crash.
bool syncFolder(const std::filesystem::path& folder);

} // namespace tessivar::wine
