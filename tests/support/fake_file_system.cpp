#include "support/fake_file_system.h"

#include "platform/text_utils.h"

#include <cctype>
#include <stdexcept>

namespace tessivar::test {

namespace {

bool forbiddenInName(char c, bool wildcardsAllowed)
{
    if (static_cast<unsigned char>(c) < 32)
        return true;
    switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
        return true;
    case '*':
    case '?':
        return !wildcardsAllowed;
    default:
        return false;
    }
}

bool isUnder(const std::string& key, const std::string& top)
{
    return key == top || (key.size() > top.size() && key.compare(0, top.size(), top) == 0 && key[top.size()] == '\\');
}

} // namespace

FakeFileSystem::FakeFileSystem()
{
    addDrive('C', DriveType::fixed);
    addFolder("C:\\windows\\system32");
    addFolder("C:\\windows\\temp");
    addFolder("C:\\Program Files\\Tessivar");
}

// --- Paths -----------------------------------------------------------------------------------

FakeFileSystem::Parsed FakeFileSystem::parse(std::string_view path, bool wildcardsInLast) const
{
    Parsed result;
    std::string text(path);
    for (char& c : text)
        if (c == '/')
            c = '\\';
    // Only "X:\..." (or a bare "X:") names something here: UNC and relative paths do not map.
    if (text.size() < 2 || !std::isalpha(static_cast<unsigned char>(text[0])) || text[1] != ':')
        return result;
    if (text.size() > 2 && text[2] != '\\')
        return result;
    const char letter = upperAscii(text[0]);
    if (!driveUsable(letter))
        return result;

    std::vector<std::string> parts;
    std::size_t pos = 2;
    while (pos < text.size()) {
        std::size_t end = text.find('\\', pos + 1);
        if (end == std::string::npos)
            end = text.size();
        std::string part = text.substr(pos + 1, end - pos - 1);
        pos = end;
        if (part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        // Windows drops trailing dots and blanks of a component.
        while (!part.empty() && (part.back() == '.' || part.back() == ' '))
            part.pop_back();
        if (part.empty())
            continue;
        parts.push_back(std::move(part));
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        for (char c : parts[i])
            if (forbiddenInName(c, last && wildcardsInLast))
                return result;
    }

    result.valid = true;
    result.key = std::string(1, letter) + ":";
    result.root = parts.empty();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i + 1 == parts.size())
            result.parentKey = result.key;
        result.key += "\\" + upper(parts[i]);
    }
    if (!parts.empty())
        result.last = parts.back();
    result.parts = std::move(parts);
    return result;
}

bool FakeFileSystem::driveUsable(char letter) const
{
    auto it = m_drives.find(letter);
    return it != m_drives.end() && it->second.hasRoot;
}

bool FakeFileSystem::searchFails(const std::string& key) const
{
    for (const std::string& top : m_failingSearches)
        if (isUnder(key, top))
            return true;
    return false;
}

bool FakeFileSystem::writeFails(const std::string& key) const
{
    for (const std::string& top : m_failingWrites)
        if (isUnder(key, top))
            return true;
    return false;
}

FakeFileSystem::Node* FakeFileSystem::find(const std::string& key)
{
    auto it = m_nodes.find(key);
    return it == m_nodes.end() ? nullptr : &it->second;
}

const FakeFileSystem::Node* FakeFileSystem::find(const std::string& key) const
{
    auto it = m_nodes.find(key);
    return it == m_nodes.end() ? nullptr : &it->second;
}

bool FakeFileSystem::parentIsFolder(const Parsed& parsed) const
{
    const Node* parent = find(parsed.parentKey);
    return parent != nullptr && parent->folder;
}

void FakeFileSystem::makeFolders(const Parsed& parsed)
{
    std::string key = parsed.key.substr(0, 2);
    for (std::size_t i = 0; i + 1 < parsed.parts.size(); ++i) {
        key += "\\" + upper(parsed.parts[i]);
        Node& node = m_nodes[key];
        if (node.name.empty()) {
            node.name = parsed.parts[i];
            node.folder = true;
            node.attributes = FILE_ATTRIBUTE_DIRECTORY;
        } else if (!node.folder) {
            throw std::invalid_argument("FakeFileSystem: a file stands where a folder is needed: " + key);
        }
    }
}

std::vector<const FakeFileSystem::Node*> FakeFileSystem::children(const std::string& folderKey) const
{
    std::vector<const Node*> out;
    const std::string prefix = folderKey + "\\";
    for (auto it = m_nodes.lower_bound(prefix); it != m_nodes.end(); ++it) {
        if (it->first.compare(0, prefix.size(), prefix) != 0)
            break;
        if (it->first.find('\\', prefix.size()) == std::string::npos)
            out.push_back(&it->second);
    }
    return out;
}

FindData FakeFileSystem::describe(const Node& node, FindDetail detail) const
{
    FindData data;
    data.fileName = node.name;
    if (detail == FindDetail::full) {
        data.attributes = node.attributes;
        data.size = node.folder ? 0 : node.content.size();
        return data;
    }
    data.attributes =
        node.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_HIDDEN);
    if (!node.name.empty() && node.name.front() == '.')
        data.attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (data.attributes == 0)
        data.attributes = FILE_ATTRIBUTE_NORMAL;
    return data;
}

bool FakeFileSystem::wildcardMatch(std::string_view mask, std::string_view name)
{
    if (name == "." || name == "..")
        return mask == "*" || mask == "*.*" || mask == name;
    // A mask ending in ".*" also matches the name without that extension ("readme.*", "*.*").
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
        wildcardMatch(mask.substr(0, mask.size() - 2), name))
        return true;
    std::size_t m = 0;
    std::size_t n = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resume = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || upperAscii(mask[m]) == upperAscii(name[n]))) {
            ++m;
            ++n;
        } else if (m < mask.size() && mask[m] == '*') {
            star = m++;
            resume = n;
        } else if (star != std::string_view::npos) {
            m = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

// --- Setting the scene -----------------------------------------------------------------------

void FakeFileSystem::addDrive(char letter, DriveType type, bool hasRoot)
{
    letter = upperAscii(letter);
    if (letter < 'A' || letter > 'Z')
        throw std::invalid_argument("FakeFileSystem: drive letter out of range");
    DriveInfo info;
    info.letter = letter;
    info.type = type;
    info.hasRoot = hasRoot;
    m_drives[letter] = info;
    const std::string rootKey = std::string(1, letter) + ":";
    if (hasRoot) {
        Node& root = m_nodes[rootKey];
        root.name = rootKey;
        root.folder = true;
        root.attributes = FILE_ATTRIBUTE_DIRECTORY;
    }
}

void FakeFileSystem::removeDrive(char letter)
{
    letter = upperAscii(letter);
    m_drives.erase(letter);
    const std::string rootKey = std::string(1, letter) + ":";
    for (auto it = m_nodes.begin(); it != m_nodes.end();)
        it = isUnder(it->first, rootKey) ? m_nodes.erase(it) : std::next(it);
}

void FakeFileSystem::addFile(std::string_view path, std::string_view content, std::uint32_t attributes)
{
    const Parsed parsed = parse(path, false);
    if (!parsed.valid || parsed.root)
        throw std::invalid_argument("FakeFileSystem: not a file path on a known drive: " + std::string(path));
    makeFolders(parsed);
    Node& node = m_nodes[parsed.key];
    if (node.folder)
        throw std::invalid_argument("FakeFileSystem: a folder has that name: " + std::string(path));
    node.name = parsed.last;
    node.attributes = attributes == 0 ? FILE_ATTRIBUTE_ARCHIVE : attributes & ~FILE_ATTRIBUTE_DIRECTORY;
    node.content = std::string(content);
    node.inode = ++m_lastInode; // a file written anew is another file
}

void FakeFileSystem::setOutsidePrefix(char letter)
{
    if (auto it = m_drives.find(upperAscii(letter)); it != m_drives.end())
        it->second.insidePrefix = false;
}

std::optional<FileIdentity> FakeFileSystem::fileIdentity(std::string_view path)
{
    const Parsed parsed = parse(path, false);
    Node* node = parsed.valid ? find(parsed.key) : nullptr;
    if (node == nullptr || searchFails(parsed.key))
        return std::nullopt;
    if (node->inode == 0)
        node->inode = ++m_lastInode;
    FileIdentity identity;
    identity.device = static_cast<unsigned char>(parsed.key[0]);
    identity.inode = node->inode;
    return identity;
}

void FakeFileSystem::addFolder(std::string_view path, std::uint32_t attributes)
{
    const Parsed parsed = parse(path, false);
    if (!parsed.valid)
        throw std::invalid_argument("FakeFileSystem: not a folder path on a known drive: " + std::string(path));
    if (parsed.root)
        return;
    makeFolders(parsed);
    Node& node = m_nodes[parsed.key];
    if (!node.name.empty() && !node.folder)
        throw std::invalid_argument("FakeFileSystem: a file has that name: " + std::string(path));
    node.name = parsed.last;
    node.folder = true;
    node.attributes = attributes | FILE_ATTRIBUTE_DIRECTORY;
}

bool FakeFileSystem::setAttributes(std::string_view path, std::uint32_t attributes)
{
    const Parsed parsed = parse(path, false);
    Node* node = parsed.valid ? find(parsed.key) : nullptr;
    if (node == nullptr)
        return false;
    node->attributes =
        node->folder ? (attributes | FILE_ATTRIBUTE_DIRECTORY) : (attributes & ~FILE_ATTRIBUTE_DIRECTORY);
    return true;
}

bool FakeFileSystem::remove(std::string_view path)
{
    const Parsed parsed = parse(path, false);
    if (!parsed.valid || parsed.root || find(parsed.key) == nullptr)
        return false;
    for (auto it = m_nodes.lower_bound(parsed.key); it != m_nodes.end() && isUnder(it->first, parsed.key);)
        it = m_nodes.erase(it);
    return true;
}

void FakeFileSystem::makeSearchFail(std::string_view path)
{
    // Kept even for a path on a drive that is not there yet, so the order of set-up is free.
    std::string key = upper(path);
    for (char& c : key)
        if (c == '/')
            c = '\\';
    while (key.size() > 2 && key.back() == '\\')
        key.pop_back();
    m_failingSearches.insert(key);
}

void FakeFileSystem::makeWriteFail(std::string_view path)
{
    std::string key = upper(path);
    for (char& c : key)
        if (c == '/')
            c = '\\';
    while (key.size() > 2 && key.back() == '\\')
        key.pop_back();
    m_failingWrites.insert(key);
}

void FakeFileSystem::clearFailures()
{
    m_failingSearches.clear();
    m_failingWrites.clear();
}

void FakeFileSystem::setShortName(std::string_view path, std::string shortName)
{
    m_shortNames[upper(path)] = std::move(shortName);
}

void FakeFileSystem::setVolumeName(char letter, std::string name)
{
    m_volumeNames[upperAscii(letter)] = std::move(name);
}

// --- Looking at the result -------------------------------------------------------------------

bool FakeFileSystem::exists(std::string_view path) const
{
    const Parsed parsed = parse(path, false);
    return parsed.valid && find(parsed.key) != nullptr;
}

bool FakeFileSystem::isFolder(std::string_view path) const
{
    const Parsed parsed = parse(path, false);
    const Node* node = parsed.valid ? find(parsed.key) : nullptr;
    return node != nullptr && node->folder;
}

std::optional<std::string> FakeFileSystem::content(std::string_view path) const
{
    const Parsed parsed = parse(path, false);
    const Node* node = parsed.valid ? find(parsed.key) : nullptr;
    if (node == nullptr || node->folder)
        return std::nullopt;
    return node->content;
}

std::vector<std::string> FakeFileSystem::entries(std::string_view folder) const
{
    std::vector<std::string> names;
    const Parsed parsed = parse(folder, false);
    if (!parsed.valid)
        return names;
    for (const Node* node : children(parsed.key))
        names.push_back(node->name);
    return names;
}

// --- FileSystem ------------------------------------------------------------------------------

FindHandle FakeFileSystem::FindFirstFileA(std::string_view pattern, FindData* data, FindDetail detail)
{
    const Parsed parsed = parse(pattern, true);
    if (!parsed.valid || parsed.root || searchFails(parsed.key) || !parentIsFolder(parsed))
        return INVALID_FIND_HANDLE;

    Search search;
    const Node* parent = find(parsed.parentKey);
    const bool atRoot = parsed.parentKey.size() == 2;
    if (!atRoot) {
        for (const char* dots : {".", ".."}) {
            if (wildcardMatch(parsed.last, dots)) {
                FindData entry;
                entry.fileName = dots;
                entry.attributes = FILE_ATTRIBUTE_DIRECTORY | (detail == FindDetail::full ? parent->attributes : 0);
                search.found.push_back(entry);
            }
        }
    }
    for (const Node* node : children(parsed.parentKey))
        if (wildcardMatch(parsed.last, node->name))
            search.found.push_back(describe(*node, detail));
    if (search.found.empty())
        return INVALID_FIND_HANDLE;

    if (data != nullptr)
        *data = search.found.front();
    search.next = 1;
    const FindHandle handle = m_nextHandle++;
    m_handles.emplace(handle, std::move(search));
    return handle;
}

bool FakeFileSystem::FindNextFileA(FindHandle handle, FindData* data)
{
    auto it = m_handles.find(handle);
    if (it == m_handles.end() || it->second.next >= it->second.found.size())
        return false;
    if (data != nullptr)
        *data = it->second.found[it->second.next];
    ++it->second.next;
    return true;
}

bool FakeFileSystem::FindClose(FindHandle handle)
{
    return m_handles.erase(handle) == 1;
}

SearchOutcome FakeFileSystem::searchPath(std::string_view path, std::uint32_t attributeMask)
{
    if (recordSearches)
        m_searchedPaths.emplace_back(path);
    const Parsed parsed = parse(path, true);
    if (!parsed.valid || searchFails(parsed.key))
        return SearchOutcome::failed;
    if (parsed.root)
        return (attributeMask & FILE_ATTRIBUTE_DIRECTORY) != 0 ? SearchOutcome::found : SearchOutcome::failed;
    if (!parentIsFolder(parsed))
        return SearchOutcome::notFound;
    const auto admitted = [attributeMask](const Node& node) {
        if (node.folder && (attributeMask & FILE_ATTRIBUTE_DIRECTORY) == 0)
            return false;
        if ((node.attributes & FILE_ATTRIBUTE_HIDDEN) != 0 && (attributeMask & FILE_ATTRIBUTE_HIDDEN) == 0)
            return false;
        return (node.attributes & FILE_ATTRIBUTE_SYSTEM) == 0 || (attributeMask & FILE_ATTRIBUTE_SYSTEM) != 0;
    };
    // A plain name is one lookup, so that benchmarks over large folders measure the caller.
    if (parsed.last.find_first_of("*?") == std::string::npos) {
        const Node* node = find(parsed.key);
        return node != nullptr && admitted(*node) ? SearchOutcome::found : SearchOutcome::notFound;
    }
    for (const Node* node : children(parsed.parentKey))
        if (wildcardMatch(parsed.last, node->name) && admitted(*node))
            return SearchOutcome::found;
    return SearchOutcome::notFound;
}

std::uint32_t FakeFileSystem::GetFileAttributesA(std::string_view path)
{
    const Parsed parsed = parse(path, false);
    if (!parsed.valid || searchFails(parsed.key))
        return INVALID_FILE_ATTRIBUTES;
    const Node* node = find(parsed.key);
    return node == nullptr ? INVALID_FILE_ATTRIBUTES : node->attributes;
}

bool FakeFileSystem::GetVolumeInformationA(std::string_view rootPath, std::string* volumeName,
                                           std::uint32_t* serialNumber, std::string* fileSystemName)
{
    const Parsed parsed = parse(rootPath, false);
    if (!parsed.valid || !parsed.root || searchFails(parsed.key))
        return false;
    const char letter = parsed.key[0];
    if (volumeName != nullptr) {
        auto it = m_volumeNames.find(letter);
        *volumeName = it == m_volumeNames.end() ? std::string() : it->second;
    }
    if (serialNumber != nullptr)
        *serialNumber = 0x1000u + static_cast<std::uint32_t>(letter);
    if (fileSystemName != nullptr)
        *fileSystemName = "NTFS";
    return true;
}

bool FakeFileSystem::CopyFileA(std::string_view from, std::string_view to, bool failIfExists)
{
    const Parsed source = parse(from, false);
    const Parsed target = parse(to, false);
    if (!source.valid || !target.valid || target.root || searchFails(source.key) || writeFails(target.key))
        return false;
    const Node* sourceNode = find(source.key);
    if (sourceNode == nullptr || sourceNode->folder || !parentIsFolder(target))
        return false;
    if (const Node* existing = find(target.key)) {
        if (existing->folder || failIfExists || (existing->attributes & FILE_ATTRIBUTE_READONLY) != 0)
            return false;
    }
    Node copy = *sourceNode;
    copy.name = target.last;
    copy.inode = ++m_lastInode;
    m_nodes[target.key] = std::move(copy);
    return true;
}

bool FakeFileSystem::DeleteFileA(std::string_view path)
{
    const Parsed parsed = parse(path, false);
    if (!parsed.valid || parsed.root || writeFails(parsed.key))
        return false;
    const Node* node = find(parsed.key);
    if (node == nullptr || node->folder || (node->attributes & FILE_ATTRIBUTE_READONLY) != 0)
        return false;
    m_nodes.erase(parsed.key);
    return true;
}

bool FakeFileSystem::CreateDirectoryA(std::string_view path)
{
    const Parsed parsed = parse(path, false);
    if (!parsed.valid || parsed.root || writeFails(parsed.key) || find(parsed.key) != nullptr ||
        !parentIsFolder(parsed))
        return false;
    Node& node = m_nodes[parsed.key];
    node.name = parsed.last;
    node.folder = true;
    node.attributes = FILE_ATTRIBUTE_DIRECTORY;
    return true;
}

bool FakeFileSystem::appendLine(std::string_view path, std::string_view line, Sync)
{
    const Parsed parsed = parse(path, false);
    if (!parsed.valid || parsed.root || writeFails(parsed.key) || !parentIsFolder(parsed))
        return false;
    Node* node = find(parsed.key);
    if (node == nullptr) {
        node = &m_nodes[parsed.key];
        node->name = parsed.last;
        node->attributes = FILE_ATTRIBUTE_ARCHIVE;
    } else if (node->folder || (node->attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    node->content.append(line);
    node->content.append("\r\n");
    return true;
}

bool FakeFileSystem::writeFile(std::string_view path, std::string_view bytes, Sync)
{
    const Parsed parsed = parse(path, false);
    if (!parsed.valid || parsed.root || writeFails(parsed.key) || !parentIsFolder(parsed))
        return false;
    Node* node = find(parsed.key);
    if (node == nullptr) {
        node = &m_nodes[parsed.key];
        node->name = parsed.last;
        node->attributes = FILE_ATTRIBUTE_ARCHIVE;
    } else if (node->folder || (node->attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    node->content.assign(bytes);
    return true;
}

bool FakeFileSystem::readLines(std::string_view path, std::vector<std::string>* lines)
{
    std::string bytes;
    if (!readFile(path, &bytes, bytes.max_size()))
        return false;
    if (lines == nullptr)
        return true;
    lines->clear();
    std::string current;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines->push_back(std::move(current));
            current.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
        } else {
            current.push_back(c);
        }
    }
    if (!current.empty())
        lines->push_back(std::move(current));
    return true;
}

bool FakeFileSystem::readFile(std::string_view path, std::string* bytes, std::size_t maxBytes)
{
    const Parsed parsed = parse(path, false);
    if (!parsed.valid || searchFails(parsed.key))
        return false;
    const Node* node = find(parsed.key);
    if (node == nullptr || node->folder || node->content.size() > maxBytes)
        return false;
    if (bytes != nullptr)
        *bytes = node->content;
    return true;
}

std::int64_t FakeFileSystem::fileSize(std::string_view path)
{
    const Parsed parsed = parse(path, false);
    if (!parsed.valid || searchFails(parsed.key))
        return -1;
    const Node* node = find(parsed.key);
    return node == nullptr || node->folder ? -1 : static_cast<std::int64_t>(node->content.size());
}

std::string FakeFileSystem::GetShortPathNameA(std::string_view path)
{
    const Parsed parsed = parse(path, false);
    if (!parsed.valid || searchFails(parsed.key) || find(parsed.key) == nullptr)
        return {};
    auto it = m_shortNames.find(upper(path));
    return it == m_shortNames.end() ? std::string(path) : it->second;
}

std::vector<DriveInfo> FakeFileSystem::drives()
{
    std::vector<DriveInfo> out;
    for (const auto& [letter, info] : m_drives)
        out.push_back(info);
    return out;
}

void FakeFileSystem::beginOperation()
{
    ++m_operationDepth;
    ++m_operationsBegun;
}

void FakeFileSystem::endOperation()
{
    --m_operationDepth;
}

} // namespace tessivar::test
