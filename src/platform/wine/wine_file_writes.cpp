// The operations of WineFileSystem that read whole files or change the disk.

#include "platform/wine/posix_file.h"
#include "platform/wine/wine_file_system.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessivar::wine {

namespace {

// Line-wise reading is for the program's own text files; anything larger is not one of them.
constexpr std::size_t kMaxLineFileBytes = 256u * 1024u * 1024u;

mode_t defaultFileMode()
{
    static const mode_t mode = [] {
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    return mode;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
}

// Reads a whole regular file of at most maxBytes; false when it cannot be read, is larger, or is
// not a regular file (a FIFO or device must never block or flood the caller).
bool readBounded(const std::string& path, std::string* bytes, std::size_t maxBytes)
{
    std::string content;
    if (readRegularFile(path, content, maxBytes) != FileRead::ok)
        return false;
    *bytes = std::move(content);
    return true;
}

// Writes `produce`'s bytes into a new file beside `target` and renames it over the target, so
// that the target is either the old file or the complete new one, never a mix.
template <typename Produce> bool replaceAtomically(const std::string& target, mode_t mode, Sync sync, Produce produce)
{
    std::string finalPath = target;
    struct stat linkInfo {};
    if (::lstat(target.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
        // Replace the file the link points at, so that the link survives.
        char* real = ::realpath(target.c_str(), nullptr);
        if (!real)
            return false;
        finalPath = real;
        std::free(real);
    }
    const std::string folder = folderOf(finalPath);
    std::string temporary = folder + "/.tessivar-XXXXXX";
    FileDescriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0)
        return false;
    const bool written = produce(fd.get()) && ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0 && fd.close();
    if (!written || ::rename(temporary.c_str(), finalPath.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (sync == Sync::yes)
        syncFolder(folder);
    return true;
}

// Whether `folder` really lies below `root`, links on the way resolved.
bool realPathIsBelow(const std::string& folder, const std::string& root)
{
    char* realFolder = ::realpath(folder.c_str(), nullptr);
    char* realRoot = ::realpath(root.c_str(), nullptr);
    bool below = false;
    if (realFolder && realRoot) {
        const std::string inner = realFolder;
        std::string outer = realRoot;
        if (outer.empty() || outer.back() != '/')
            outer += '/';
        below = inner + "/" == outer || inner.compare(0, outer.size(), outer) == 0;
    }
    std::free(realFolder);
    std::free(realRoot);
    return below;
}

} // namespace

bool WineFileSystem::staysOnItsDrive(std::string_view windowsPath, const std::string& unixFolder)
{
    // A folder link inside C: that points elsewhere (outside the prefix) is not followed for a
    // write; a drive mapped to "/" keeps everything below it, as the user chose.
    const auto path = canonicalWindowsPath(windowsPath, Wildcards::rejected);
    if (!path)
        return false;
    const auto root = driveRootPath(*path);
    return root && realPathIsBelow(unixFolder, *root);
}

void WineFileSystem::afterWrite(const std::string& unixFolder)
{
    struct stat info {};
    const bool known = ::stat(unixFolder.c_str(), &info) == 0;
    for (auto it = m_listings.begin(); it != m_listings.end();) {
        const Listing& list = *it->second;
        const bool same = it->first == unixFolder ||
                          (known && list.error == 0 && list.device == info.st_dev && list.inode == info.st_ino);
        if (same) {
            m_cachedEntries -= std::min(m_cachedEntries, list.entries.size() + 1);
            it = m_listings.erase(it);
        } else {
            ++it;
        }
    }
    m_folders.clear();
    m_memo.reset();
    m_memoText.clear();
}

bool WineFileSystem::CopyFileA(std::string_view from, std::string_view to, bool failIfExists)
{
    CallScope scope(*this);
    const Target source = resolveTarget(from);
    if (source.state != State::found || source.isRoot)
        return false;
    const Target destination = resolveTarget(to);
    if (destination.state == State::failed || destination.folder.empty() || destination.isRoot ||
        destination.namesFolder || !staysOnItsDrive(to, destination.folder))
        return false;
    FileRead sourceState = FileRead::failed;
    std::uint64_t sourceSize = 0;
    FileDescriptor input(openRegularFile(source.unixPath, FinalLink::follow, &sourceState, &sourceSize));
    struct stat sourceInfo {};
    if (!input.valid() || ::fstat(input.get(), &sourceInfo) != 0)
        return false;
    if (destination.state == State::found) {
        struct stat destinationInfo {};
        if (failIfExists || ::stat(destination.unixPath.c_str(), &destinationInfo) != 0 ||
            S_ISDIR(destinationInfo.st_mode))
            return false;
        if (destinationInfo.st_dev == sourceInfo.st_dev && destinationInfo.st_ino == sourceInfo.st_ino)
            return false; // a file cannot be copied onto itself
    }
    const bool copied = replaceAtomically(destination.unixPath, sourceInfo.st_mode & 07777, Sync::yes, [&](int out) {
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(input.get(), buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return got == 0;
            if (!writeAll(out, std::string_view(buffer, static_cast<std::size_t>(got))))
                return false;
        }
    });
    afterWrite(destination.folder);
    return copied;
}

bool WineFileSystem::DeleteFileA(std::string_view path)
{
    CallScope scope(*this);
    const Target target = resolveTarget(path);
    if (target.state != State::found || target.isRoot)
        return false;
    struct stat info {};
    if (::lstat(target.unixPath.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    // Windows refuses to delete a read-only file; so does this layer.
    if (!S_ISLNK(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    const bool deleted = ::unlink(target.unixPath.c_str()) == 0;
    afterWrite(target.folder);
    return deleted;
}

bool WineFileSystem::CreateDirectoryA(std::string_view path)
{
    CallScope scope(*this);
    const Target target = resolveTarget(path);
    if (target.state != State::missing || target.folder.empty())
        return false;
    const bool made = ::mkdir(target.unixPath.c_str(), 0777) == 0;
    afterWrite(target.folder);
    afterWrite(target.unixPath);
    return made;
}

bool WineFileSystem::appendLine(std::string_view path, std::string_view line, Sync sync)
{
    CallScope scope(*this);
    const Target target = resolveTarget(path);
    if (target.state == State::failed || target.folder.empty() || target.isRoot || target.namesFolder)
        return false;
    const bool creating = target.state == State::missing;
    FileDescriptor fd(::open(target.unixPath.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
    bool done = fd.get() >= 0;
    if (done) {
        std::string bytes(line);
        bytes += "\r\n";
        done = writeAll(fd.get(), bytes);
        if (done && sync == Sync::yes)
            done = ::fsync(fd.get()) == 0;
        done = fd.close() && done;
        if (done && creating && sync == Sync::yes)
            done = syncFolder(target.folder);
    }
    if (creating)
        afterWrite(target.folder);
    return done;
}

bool WineFileSystem::writeFile(std::string_view path, std::string_view bytes, Sync sync)
{
    CallScope scope(*this);
    const Target target = resolveTarget(path);
    if (target.state == State::failed || target.folder.empty() || target.isRoot || target.namesFolder ||
        !staysOnItsDrive(path, target.folder))
        return false;
    mode_t mode = defaultFileMode();
    if (target.state == State::found) {
        struct stat info {};
        if (::stat(target.unixPath.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
            return false;
        mode = info.st_mode & 07777;
    }
    const bool written =
        replaceAtomically(target.unixPath, mode, sync, [bytes](int fd) { return writeAll(fd, bytes); });
    afterWrite(target.folder);
    return written;
}

bool WineFileSystem::readFile(std::string_view path, std::string* bytes, std::size_t maxBytes)
{
    CallScope scope(*this);
    const Target target = resolveTarget(path);
    return target.state == State::found && bytes && readBounded(target.unixPath, bytes, maxBytes);
}

bool WineFileSystem::readLines(std::string_view path, std::vector<std::string>* lines)
{
    std::string content;
    if (!lines || !readFile(path, &content, kMaxLineFileBytes))
        return false;
    lines->clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] != '\r' && content[i] != '\n')
            continue;
        lines->push_back(content.substr(start, i - start));
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < content.size())
        lines->push_back(content.substr(start));
    return true;
}

std::int64_t WineFileSystem::fileSize(std::string_view path)
{
    CallScope scope(*this);
    const Target target = resolveTarget(path);
    struct stat info {};
    if (target.state != State::found || ::stat(target.unixPath.c_str(), &info) != 0 || S_ISDIR(info.st_mode))
        return -1;
    return static_cast<std::int64_t>(info.st_size);
}

} // namespace tessivar::wine
