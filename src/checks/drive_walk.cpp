#include "checks/drive_walk.h"

#include "checks/shortcut_check.h"
#include "engine/path_utils.h"
#include "engine/scan_context.h"
#include "settings/backup_folder.h"

#include <optional>
#include <vector>

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
    Walker(ScanContext& context, std::uint64_t rootDevice, std::optional<FileIdentity> backupFolder)
        : m_context(context), m_rootDevice(rootDevice), m_backupFolder(backupFolder)
    {
    }

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
            if (depth < kMaxFolderDepth && mayEnter(subfolder))
                walkFolder(subfolder, depth + 1);
            m_context.host.yield();
            if (model.ScanCancelled)
                return;
        }
    }

    // Whether the walk goes into `folder` (ending in a backslash); a folder it goes into is
    // remembered for the rest of the scan. It stays out of another file system than the root's,
    // the host's virtual file systems, any Wine prefix (another one, or this one reached again
    // from outside), the backup folder, and every folder it has been in already.
    bool mayEnter(const std::string& folder)
    {
        FileSystem& files = m_context.files;
        const std::optional<FileIdentity> identity = files.fileIdentity(folder);
        if (!identity) {
            const std::uint64_t device = m_rootDevice == 0 ? 0 : files.folderDevice(folder);
            return (device == 0 || device == m_rootDevice) && !holdsWinePrefix(folder);
        }
        if (identity->hostSystem || (m_rootDevice != 0 && identity->device != m_rootDevice))
            return false;
        if (m_backupFolder && identity->sameFile(*m_backupFolder))
            return false;
        if (holdsWinePrefix(folder))
            return false;
        return m_context.model.lvwShortcut.firstVisit(*identity);
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
        ShortcutList& found = m_context.model.lvwShortcut;
        const std::size_t before = found.count();
        CheckShortcut(m_context, file);
        // Repair deletes the file only while it is still this one.
        if (found.count() > before)
            found.setIdentity(found.count(), m_context.files.fileIdentity(file));
    }

    // A Wine prefix is a folder with its registry file beside its drive links.
    bool holdsWinePrefix(const std::string& folder)
    {
        FileSystem& files = m_context.files;
        const std::uint32_t registry = files.GetFileAttributesA(folder + "system.reg");
        if (registry == INVALID_FILE_ATTRIBUTES || (registry & FILE_ATTRIBUTE_DIRECTORY))
            return false;
        const std::uint32_t devices = files.GetFileAttributesA(folder + "dosdevices");
        return devices != INVALID_FILE_ATTRIBUTES && (devices & FILE_ATTRIBUTE_DIRECTORY);
    }

    ScanContext& m_context;
    std::uint64_t m_rootDevice;
    std::optional<FileIdentity> m_backupFolder;
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
    FileSystem& files = context.files;
    const std::optional<FileIdentity> root = files.fileIdentity(folder);
    const std::uint64_t rootDevice = root ? root->device : files.folderDevice(folder);
    // The shortcut copies a repair saved are not the user's shortcuts.
    const std::string backupFolder = withBackslash(BackupFolder(context.settings, files));
    Walker walker(context, rootDevice, files.fileIdentity(backupFolder));
    if (walker.mayEnter(folder))
        walker.walkFolder(folder, 0);
}

} // namespace tessivar
