#include "platform/wine/wine_file_system.h"

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace tessivar::wine {

namespace {

// Beyond this many cached names the cache starts over, so that an operation over a huge tree
// keeps a bounded amount of memory.
constexpr std::size_t kMaxCachedEntries = 250000;
// Lookups of a folder answered by a plain scan before its names are folded into an index; a scan
// costs about what folding a tenth of the names does.
constexpr std::size_t kScansBeforeIndex = 4;
// What one read of a folder's entries takes, as much as opendir's own buffer.
constexpr std::size_t kDirentBufferBytes = 32768;

unsigned char typeFromMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return DT_DIR;
    if (S_ISLNK(mode))
        return DT_LNK;
    return DT_REG;
}

bool isHiddenName(const std::string& name)
{
    return !name.empty() && name.front() == '.' && name != "." && name != "..";
}

std::string currentUserName()
{
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_name && *entry->pw_name)
        return entry->pw_name;
    if (const char* user = std::getenv("USER"); user && *user)
        return user;
    return {};
}

} // namespace

WineFileSystem::WineFileSystem(std::filesystem::path prefix, WineFileSystemOptions options)
    : m_prefix(std::move(prefix)), m_options(std::move(options))
{
    m_fontFolder = m_options.wineFontFolder ? *m_options.wineFontFolder : findWineFontFolder();
    if (m_options.userName.empty())
        m_options.userName = currentUserName();
}

WineFileSystem::~WineFileSystem() = default;

void WineFileSystem::beginOperation()
{
    ++m_depth;
}

void WineFileSystem::endOperation()
{
    if (m_depth > 0 && --m_depth == 0)
        clearCaches();
}

void WineFileSystem::clearCaches()
{
    m_listings.clear();
    m_cachedEntries = 0;
    m_folders.clear();
    m_driveRoots = {};
    m_drives.reset();
    m_memo.reset();
    m_memoText.clear();
}

std::string WineFileSystem::join(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
}

WineFileSystem::Listing& WineFileSystem::listing(const std::string& unixFolder)
{
    if (auto it = m_listings.find(unixFolder); it != m_listings.end())
        return *it->second;
    if (m_cachedEntries > kMaxCachedEntries) {
        m_listings.clear();
        m_folders.clear();
        m_cachedEntries = 0;
    }
    auto made = std::make_unique<Listing>();
    const int folder = ::open(unixFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        made->error = errno != 0 ? errno : EIO;
    } else {
        struct stat info {};
        if (::fstat(folder, &info) == 0) {
            made->device = info.st_dev;
            made->inode = info.st_ino;
        }
        // Read into a buffer that stays, where opendir would allocate one for every folder. An
        // error part-way ends the listing with what was read, as readdir would.
        m_direntBuffer.resize(kDirentBufferBytes);
        ssize_t got = 0;
        while ((got = ::getdents64(folder, m_direntBuffer.data(), m_direntBuffer.size())) > 0) {
            for (ssize_t at = 0; at < got;) {
                const auto* item = reinterpret_cast<const dirent64*>(m_direntBuffer.data() + at);
                at += item->d_reclen;
                const std::string_view name = item->d_name;
                if (name == "." || name == "..")
                    continue;
                unsigned char type = item->d_type;
                if (type == DT_UNKNOWN) {
                    struct stat entryInfo {};
                    type = ::fstatat(folder, item->d_name, &entryInfo, AT_SYMLINK_NOFOLLOW) == 0
                               ? typeFromMode(entryInfo.st_mode)
                               : static_cast<unsigned char>(DT_REG);
                }
                m_scratch.push_back(Entry{std::string(name), type});
            }
        }
        ::close(folder);
        // Gathered in a buffer that stays, then moved into one block of the exact size: growing
        // each listing's own vector would fault in fresh memory at every doubling.
        made->entries.assign(std::make_move_iterator(m_scratch.begin()), std::make_move_iterator(m_scratch.end()));
        m_scratch.clear();
    }
    m_cachedEntries += made->entries.size() + 1;
    return *m_listings.emplace(unixFolder, std::move(made)).first->second;
}

void WineFileSystem::index(Listing& list)
{
    list.folded.reserve(list.entries.size());
    for (std::uint32_t i = 0; i < list.entries.size(); ++i) {
        auto folded = foldCase(list.entries[i].name);
        if (!list.folded.emplace(folded, i).second)
            list.ambiguous.insert(std::move(folded));
    }
    list.indexed = true;
}

WineFileSystem::State WineFileSystem::findEntry(const std::string& unixFolder, const std::string& name, Entry* entry)
{
    Listing& list = listing(unixFolder);
    if (list.error != 0)
        return (list.error == ENOENT || list.error == ENOTDIR) ? State::missing : State::failed;
    if (!list.indexed && list.lookups++ < kScansBeforeIndex) {
        // The name as written wins over its case variants; else the first variant, as in the index.
        const Entry* variant = nullptr;
        for (const auto& candidate : list.entries) {
            if (candidate.name == name) {
                *entry = candidate;
                return State::found;
            }
            if (!variant && equalFolded(candidate.name, name))
                variant = &candidate;
        }
        if (!variant)
            return looksLikeShortName(name) ? State::failed : State::missing;
        *entry = *variant;
        return State::found;
    }
    if (!list.indexed)
        index(list);
    const std::string folded = foldCase(name);
    const auto it = list.folded.find(folded);
    if (it == list.folded.end())
        return looksLikeShortName(name) ? State::failed : State::missing;
    const Entry* chosen = &list.entries[it->second];
    if (chosen->name != name && list.ambiguous.contains(folded)) {
        for (const auto& candidate : list.entries)
            if (candidate.name == name) {
                chosen = &candidate;
                break;
            }
    }
    *entry = *chosen;
    return State::found;
}

std::optional<std::string> WineFileSystem::driveRootPath(const WindowsPath& path)
{
    if (path.kind == WindowsPath::Kind::unix)
        return std::string("/");
    const auto index = static_cast<std::size_t>(path.drive - 'a');
    if (index >= m_driveRoots.size())
        return std::nullopt;
    if (!m_driveRoots[index]) {
        std::optional<std::string> root;
        if (const auto target = driveRoot(m_prefix, path.drive)) {
            struct stat info {};
            if (::stat(target->c_str(), &info) == 0 && S_ISDIR(info.st_mode))
                root = target->string();
        }
        m_driveRoots[index] = root;
    }
    return *m_driveRoots[index];
}

bool WineFileSystem::isFontFolder(const WindowsPath& path, std::size_t componentCount) const
{
    return !m_fontFolder.empty() && path.kind == WindowsPath::Kind::drive && path.drive == 'c' && componentCount == 2 &&
           path.parts.size() >= 2 && foldCase(path.parts[0]) == "windows" && foldCase(path.parts[1]) == "fonts";
}

bool WineFileSystem::isWineRegisteredFont(const WindowsPath& path) const
{
    // Wine registers these bitmap fonts in every prefix's Fonts key and answers for them itself,
    // even where its font folder lacks the file (Debian ships no serife.fon): they are Wine's
    // entries, not the user's, and never count as missing.
    static constexpr std::string_view kFonts[] = {"coure.fon", "sserife.fon", "serife.fon", "smalle.fon"};
    if (path.parts.size() != 3 || !isFontFolder(path, 2))
        return false;
    const std::string name = foldCase(path.parts.back());
    for (const auto font : kFonts)
        if (name == font)
            return true;
    return false;
}

bool WineFileSystem::entryIsFolder(const std::string& unixPath, unsigned char type) const
{
    if (type == DT_DIR)
        return true;
    if (type != DT_LNK)
        return false;
    struct stat info {};
    return ::stat(unixPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

WineFileSystem::Folder WineFileSystem::resolveFolder(const WindowsPath& path, std::size_t componentCount)
{
    std::string key = path.foldedFolderKey(componentCount);
    if (auto it = m_folders.find(key); it != m_folders.end())
        return it->second;
    Folder folder;
    if (const auto root = driveRootPath(path)) {
        folder.state = State::found;
        folder.unixPath = *root;
        for (std::size_t i = 0; i < componentCount; ++i) {
            Entry entry;
            folder.state = findEntry(folder.unixPath, path.parts[i], &entry);
            if (folder.state != State::found) {
                folder.unixPath.clear();
                break;
            }
            folder.unixPath = join(folder.unixPath, entry.name);
        }
    }
    m_folders.emplace(std::move(key), folder);
    return folder;
}

WineFileSystem::Target WineFileSystem::resolveTarget(std::string_view windowsPath, Wildcards wildcards)
{
    const auto path = canonicalWindowsPath(windowsPath, wildcards);
    if (!path)
        return Target{};
    return resolveTarget(*path);
}

WineFileSystem::Target WineFileSystem::resolveTarget(const WindowsPath& path)
{
    Target target;
    target.namesFolder = path.namesFolder;
    const auto root = driveRootPath(path);
    if (!root)
        return target;
    if (path.parts.empty()) {
        target.state = State::found;
        target.folder = target.unixPath = *root;
        target.type = DT_DIR;
        target.isRoot = true;
        return target;
    }
    const std::size_t folderCount = path.parts.size() - 1;
    const std::string& last = path.parts.back();
    if (m_depth == 0) {
        // Outside an operation the path as written usually exists, and one lstat answers.
        std::string direct = *root;
        for (std::size_t i = 0; i < folderCount; ++i)
            direct = join(direct, path.parts[i]);
        struct stat info {};
        if (::lstat(join(direct, last).c_str(), &info) == 0) {
            target.state = State::found;
            target.folder = direct;
            target.name = last;
            target.unixPath = join(direct, last);
            target.type = typeFromMode(info.st_mode);
            return target;
        }
    }
    const Folder folder = resolveFolder(path, folderCount);
    Entry entry;
    State state = folder.state;
    if (state == State::found)
        state = findEntry(folder.unixPath, last, &entry);
    target.folder = folder.unixPath;
    if (state != State::found && state != State::failed && isFontFolder(path, folderCount) &&
        findEntry(m_fontFolder.string(), last, &entry) == State::found) {
        state = State::found;
        target.folder = m_fontFolder.string();
    }
    target.state = state;
    if (state == State::found) {
        target.name = entry.name;
        target.type = entry.type;
    } else {
        target.name = last;
    }
    if (!target.folder.empty())
        target.unixPath = join(target.folder, target.name);
    return target;
}

WineFileSystem::SearchSummary WineFileSystem::summarise(std::string_view text)
{
    if (m_depth > 0 && m_memo && text == m_memoText)
        return *m_memo;
    SearchSummary summary;
    const auto path = canonicalWindowsPath(text, Wildcards::allowedInLastComponent);
    auto note = [&summary](bool folder, bool hidden) {
        if (folder)
            (hidden ? summary.hiddenFolder : summary.visibleFolder) = true;
        else
            (hidden ? summary.hiddenFile : summary.visibleFile) = true;
    };
    if (!path) {
        summary.failed = true;
    } else if (path->namesFolder || path->parts.empty() || !hasWildcard(path->parts.back())) {
        const Target target = resolveTarget(*path);
        if (target.state == State::failed) {
            summary.failed = true;
        } else if (target.state == State::missing && isWineRegisteredFont(*path)) {
            note(false, false);
        } else if (target.state == State::found) {
            const bool folder = target.isRoot || entryIsFolder(target.unixPath, target.type);
            if (folder || !path->namesFolder)
                note(folder, !target.isRoot && isHiddenName(target.name));
        }
    } else {
        const std::size_t folderCount = path->parts.size() - 1;
        const std::string& pattern = path->parts.back();
        const Folder folder = resolveFolder(*path, folderCount);
        summary.failed = folder.state == State::failed;
        std::vector<std::string> folders;
        if (folder.state == State::found)
            folders.push_back(folder.unixPath);
        if (!summary.failed && isFontFolder(*path, folderCount))
            folders.push_back(m_fontFolder.string());
        for (const auto& unixFolder : folders) {
            const Listing& list = listing(unixFolder);
            if (list.error != 0) {
                summary.failed = summary.failed || (list.error != ENOENT && list.error != ENOTDIR);
                continue;
            }
            if (folderCount > 0 && wildcardMatch(pattern, "."))
                note(true, false);
            for (const auto& entry : list.entries)
                if (wildcardMatch(pattern, entry.name))
                    note(entryIsFolder(join(unixFolder, entry.name), entry.type), isHiddenName(entry.name));
        }
    }
    if (m_depth > 0) {
        m_memoText = text;
        m_memo = summary;
    }
    return summary;
}

SearchOutcome WineFileSystem::searchPath(std::string_view path, std::uint32_t attributeMask)
{
    CallScope scope(*this);
    const SearchSummary summary = summarise(path);
    if (summary.failed)
        return SearchOutcome::failed;
    const bool hiddenAdmitted = (attributeMask & FILE_ATTRIBUTE_HIDDEN) != 0;
    const bool foldersAdmitted = (attributeMask & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool found = summary.visibleFile || (hiddenAdmitted && summary.hiddenFile) ||
                       (foldersAdmitted && (summary.visibleFolder || (hiddenAdmitted && summary.hiddenFolder)));
    return found ? SearchOutcome::found : SearchOutcome::notFound;
}

std::uint32_t WineFileSystem::attributesOf(const std::string& unixPath, const std::string& name, bool isRoot,
                                           std::uint64_t* size)
{
    struct stat info {};
    if (::lstat(unixPath.c_str(), &info) != 0)
        return INVALID_FILE_ATTRIBUTES;
    std::uint32_t attributes = 0;
    if (S_ISLNK(info.st_mode)) {
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        struct stat targetInfo {};
        if (::stat(unixPath.c_str(), &targetInfo) == 0)
            info = targetInfo;
    }
    attributes |= S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    if (!isRoot && isHiddenName(name))
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (attributes == 0)
        attributes = FILE_ATTRIBUTE_NORMAL;
    if (size)
        *size = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
    return attributes;
}

std::uint32_t WineFileSystem::GetFileAttributesA(std::string_view path)
{
    CallScope scope(*this);
    const auto canonical = canonicalWindowsPath(path, Wildcards::rejected);
    if (!canonical)
        return INVALID_FILE_ATTRIBUTES;
    const Target target = resolveTarget(*canonical);
    if (target.state != State::found)
        return INVALID_FILE_ATTRIBUTES;
    const std::uint32_t attributes = attributesOf(target.unixPath, target.name, target.isRoot, nullptr);
    if (canonical->namesFolder && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return INVALID_FILE_ATTRIBUTES;
    return attributes;
}

FindHandle WineFileSystem::FindFirstFileA(std::string_view pattern, FindData* data, FindDetail detail)
{
    CallScope scope(*this);
    const auto path = canonicalWindowsPath(pattern, Wildcards::allowedInLastComponent);
    if (!path || path->namesFolder || path->parts.empty() || !data)
        return INVALID_FIND_HANDLE;
    FindState state;
    const std::size_t folderCount = path->parts.size() - 1;
    const std::string& last = path->parts.back();
    auto add = [&](const std::string& unixFolder, const std::string& name, unsigned char type) {
        FindData found;
        found.fileName = name;
        if (detail == FindDetail::full) {
            found.attributes = attributesOf(join(unixFolder, name), name, false, &found.size);
            if (found.attributes == INVALID_FILE_ATTRIBUTES)
                return; // gone since it was listed
        } else {
            found.attributes = type == DT_DIR   ? FILE_ATTRIBUTE_DIRECTORY
                               : type == DT_LNK ? FILE_ATTRIBUTE_REPARSE_POINT
                                                : FILE_ATTRIBUTE_ARCHIVE;
            if (isHiddenName(name))
                found.attributes |= FILE_ATTRIBUTE_HIDDEN;
        }
        state.results.push_back(std::move(found));
    };
    if (!hasWildcard(last)) {
        const Target target = resolveTarget(*path);
        if (target.state != State::found)
            return INVALID_FIND_HANDLE;
        add(target.folder, target.name, target.type);
    } else {
        const Folder folder = resolveFolder(*path, folderCount);
        if (folder.state != State::found)
            return INVALID_FIND_HANDLE;
        std::vector<std::string> folders{folder.unixPath};
        if (isFontFolder(*path, folderCount))
            folders.push_back(m_fontFolder.string());
        std::unordered_set<std::string> seen;
        for (std::size_t f = 0; f < folders.size(); ++f) {
            // The listing a lookup would read anyway: a walk that lists a folder and then looks
            // at a file in it reads the folder once.
            const Listing& list = listing(folders[f]);
            if (list.error != 0) {
                if (f == 0)
                    return INVALID_FIND_HANDLE; // an unreadable folder lists nothing
                continue;
            }
            state.results.reserve(state.results.size() + list.entries.size() + 2);
            if (f == 0 && folderCount > 0) {
                for (const char* special : {".", ".."})
                    if (wildcardMatch(last, special))
                        add(folders[f], special, DT_DIR);
            }
            for (const Entry& item : list.entries) {
                if (!wildcardMatch(last, item.name))
                    continue;
                // Fonts Wine serves from its own folder appear only where the prefix has none.
                if (folders.size() > 1 && !seen.insert(foldCase(item.name)).second)
                    continue;
                add(folders[f], item.name, item.type);
            }
        }
    }
    if (state.results.empty())
        return INVALID_FIND_HANDLE;
    *data = state.results.front();
    state.next = 1;
    const FindHandle handle = m_nextHandle++;
    m_finds.emplace(handle, std::move(state));
    return handle;
}

bool WineFileSystem::FindNextFileA(FindHandle handle, FindData* data)
{
    const auto it = m_finds.find(handle);
    if (it == m_finds.end() || !data || it->second.next >= it->second.results.size())
        return false;
    *data = it->second.results[it->second.next++];
    return true;
}

bool WineFileSystem::FindClose(FindHandle handle)
{
    return m_finds.erase(handle) > 0;
}

std::optional<std::filesystem::path> WineFileSystem::unixPathOf(std::string_view windowsPath)
{
    CallScope scope(*this);
    const Target target = resolveTarget(windowsPath);
    if (target.state == State::failed || target.unixPath.empty())
        return std::nullopt;
    return std::filesystem::path(target.unixPath);
}

std::optional<std::uint64_t> WineFileSystem::deviceOf(std::string_view windowsPath)
{
    const auto unixPath = unixPathOf(windowsPath);
    struct stat info {};
    if (!unixPath || ::stat(unixPath->c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return static_cast<std::uint64_t>(info.st_dev);
}

} // namespace tessivar::wine
