#include "checks/drive_walk.h"

#include <vector>

#include "checks/shortcut_check.h"
#include "engine/path_utils.h"
#include "engine/scan_context.h"

namespace tessivar {

namespace {

constexpr std::uint32_t kFileMask = 0x1A7;

bool endsWithShortcutLetters(const std::string& name)
{
    if (name.size() < 3)
        return false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const std::string ending{lower(name[name.size() - 3]), lower(name[name.size() - 2]), lower(name.back())};
    return ending == "lnk" || ending == "url";
}

// Closes a listing on every way out of a level.
class Listing {
public:
    explicit Listing(FileSystem& files) : m_files(files) {}
    ~Listing() { close(); }
    Listing(const Listing&) = delete;
    Listing& operator=(const Listing&) = delete;

    bool open(const std::string& pattern, FindData* data)
    {
        m_handle = m_files.FindFirstFileA(pattern, data, FindDetail::typeOnly);
        return m_handle != INVALID_FIND_HANDLE;
    }
    bool next(FindData* data) { return m_files.FindNextFileA(m_handle, data); }
    void close()
    {
        if (m_handle != INVALID_FIND_HANDLE)
            m_files.FindClose(m_handle);
        m_handle = INVALID_FIND_HANDLE;
    }

private:
    FileSystem& m_files;
    FindHandle m_handle = INVALID_FIND_HANDLE;
};

class Walker {
public:
    Walker(ScanContext& context, std::uint64_t rootDevice) : m_context(context), m_rootDevice(rootDevice) {}

    // `path` ends in a backslash.
    void walkFolder(const std::string& path, std::size_t depth)
    {
        ScanModel& model = m_context.model;
        FileSystem& files = m_context.files;
        std::vector<std::string> subfolders;
        {
            Listing listing(files);
            FindData entry;
            if (listing.open(path + "*", &entry)) {
                // Every entry shows the same folder; its short form is asked once per folder.
                const std::string shortFolder = GetShortName(files, path);
                for (;;) {
                    if (model.ScanCancelled)
                        return;
                    m_context.host.yield();
                    model.lblRegistryScan = shortFolder;
                    model.lblRegistryFilesScan = entry.fileName;
                    visit(path, entry, &subfolders);
                    if (!listing.next(&entry))
                        break;
                    if (model.ScanCancelled)
                        return;
                    m_context.host.yield();
                }
            }
        }
        for (const std::string& name : subfolders) {
            if (model.ScanCancelled)
                return;
            const std::string subfolder = path + name + "\\";
            if (depth < kMaxFolderDepth && sameFileSystem(subfolder))
                walkFolder(subfolder, depth + 1);
            m_context.host.yield();
            if (model.ScanCancelled)
                return;
        }
    }

private:
    void visit(const std::string& path, const FindData& entry, std::vector<std::string>* subfolders)
    {
        const std::string& name = entry.fileName;
        if (name == "." || name == "..")
            return;
        const std::uint32_t listed = entry.attributes;
        const bool link = listed & FILE_ATTRIBUTE_REPARSE_POINT;
        if ((listed & FILE_ATTRIBUTE_DIRECTORY) && !link) {
            subfolders->push_back(name);
            return;
        }
        // The listing tells folders from files without a look at each entry; the exact
        // attributes are read only for the few names the shortcut check would look at at all.
        if (name.find('.') == std::string::npos || !endsWithShortcutLetters(name))
            return;
        const std::string file = path + name;
        const std::uint32_t attributes = m_context.files.GetFileAttributesA(file);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            // Gone since it was listed, or unreadable: as a folder it lists nothing.
            if (!link)
                subfolders->push_back(name);
            return;
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return; // a link to a folder: listed, never entered
        if (!(attributes & kFileMask))
            return;
        CheckShortcut(m_context, file);
    }

    bool sameFileSystem(const std::string& folder)
    {
        if (m_rootDevice == 0)
            return true;
        const std::uint64_t device = m_context.files.folderDevice(folder);
        return device == 0 || device == m_rootDevice;
    }

    ScanContext& m_context;
    std::uint64_t m_rootDevice;
};

std::string withBackslash(const std::string& path)
{
    return !path.empty() && path.back() == '\\' ? path : path + "\\";
}

} // namespace

void WalkDrive(ScanContext& context, const std::string& root)
{
    std::string volumeName;
    std::uint32_t serial = 0;
    std::string fileSystemName;
    if (!context.files.GetVolumeInformationA(root, &volumeName, &serial, &fileSystemName))
        return;
    WalkFolder(context, root);
}

void WalkFolder(ScanContext& context, const std::string& path)
{
    const std::string folder = withBackslash(path);
    Walker walker(context, context.files.folderDevice(folder));
    walker.walkFolder(folder, 0);
}

} // namespace tessivar
