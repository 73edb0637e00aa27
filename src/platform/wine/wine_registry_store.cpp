// The files behind WineRegistry: loading, links between them, and careful saving.

#include "platform/wine/reg_text.h"
#include "platform/wine/server_lock.h"
#include "platform/wine/wine_registry.h"

#include <sys/stat.h>
#include <unistd.h>

namespace tessivar::wine {

namespace {

constexpr int kMaxLinkHops = 16;
constexpr std::u16string_view kUserSid = u"S-1-5-21-0-0-0-1000";
constexpr std::u16string_view kLinkValue = u"SymbolicLinkValue";

std::vector<std::u16string> splitNtPath(std::u16string_view text)
{
    std::vector<std::u16string> parts;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        std::size_t end = text.find(u'\\', begin);
        if (end == std::u16string_view::npos)
            end = text.size();
        if (end > begin)
            parts.emplace_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

bool isDanglingLink(const std::filesystem::path& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && ::stat(path.c_str(), &info) != 0;
}

std::string whyUnreadable(const std::filesystem::path& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
        return S_ISDIR(info.st_mode) ? "is a folder, not a file" : "is not a regular file";
    return "cannot be read";
}

std::string prefixProblem(const std::filesystem::path& prefix)
{
    std::error_code error;
    if (std::filesystem::exists(prefix, error))
        return "The Wine prefix " + prefix.string() + " is not a folder";
    return "The Wine prefix " + prefix.string() + " does not exist";
}

} // namespace

void WineRegistry::lockForBatch()
{
    m_lockRefusal.clear();
    if (!m_prefixExists)
        return; // every write is refused anyway, with the prefix's own reason
    if (!m_lock.lock(&m_lockRefusal)) {
        if (m_lockRefusal.empty())
            m_lockRefusal = "The Wine prefix cannot be locked for changes";
        return;
    }
    m_batchLocked = true;
    // What another process saved while nothing was pending here is read again, so that the
    // batch reads and changes the registry as it is now.
    for (int index : {kMachine, kUser, kUserDefault}) {
        HiveFile& hive = m_hives[index];
        if (hive.pending.empty() && !(stampOf(hive.path) == hive.stamp))
            loadHive(index);
    }
}

void WineRegistry::unlockAfterBatch()
{
    if (m_batchLocked)
        m_lock.unlock();
    m_batchLocked = false;
    m_lockRefusal.clear();
}

bool WineRegistry::canRead(std::string* why)
{
    const auto fail = [why](std::string message) {
        if (why)
            *why = std::move(message);
        return false;
    };
    if (!m_prefixExists)
        return fail(prefixProblem(m_prefix));
    bool any = false;
    for (const HiveFile& hive : m_hives) {
        if (!hive.readError.empty())
            return fail(hive.readError);
        if (!hive.stamp.exists)
            continue;
        any = true;
        if (hive.file->originalText().empty())
            return fail(hive.fileName + " is empty");
        if (!hive.file->headerValid())
            return fail(hive.fileName + " does not start with Wine's registry header \"WINE REGISTRY Version 2\"");
    }
    if (!any)
        return fail("The Wine prefix " + m_prefix.string() +
                    " holds no registry file (system.reg, user.reg, userdef.reg)");
    return true;
}

std::unique_ptr<RegFile> WineRegistry::emptyFileFor(int index) const
{
    // A file made here must name the same architecture as the others, or Wine rejects it.
    std::string arch;
    for (const HiveFile& hive : m_hives) {
        if (hive.file && !hive.file->arch().empty()) {
            arch = hive.file->arch();
            break;
        }
    }
    if (arch.empty())
        arch = "win64";
    return RegFile::createEmpty(m_hives[index].fileName, m_hives[index].rootPath, arch);
}

void WineRegistry::loadHive(int index)
{
    HiveFile& hive = m_hives[index];
    hive.readError.clear();
    hive.pending.clear();
    hive.stamp = stampOf(hive.path);
    bool exists = false;
    auto file = RegFile::load(hive.path, hive.fileName, filetimeNow(), &exists);
    if (!file)
        hive.readError = hive.fileName + " " + whyUnreadable(hive.path);
    else if (!exists && isDanglingLink(hive.path))
        hive.readError = hive.fileName + " is a symbolic link to a missing file";
    if (!file || !exists)
        file = emptyFileFor(index);
    replaceTree(index, std::move(file));
}

void WineRegistry::replaceTree(int index, std::unique_ptr<RegFile> file)
{
    HiveFile& hive = m_hives[index];
    keepOpenPaths(index);
    noteChange();
    file->setChangeObserver([this] { noteChange(); });
    hive.file = std::move(file);
    ++hive.generation;
}

std::string WineRegistry::refusalFor(int hive)
{
    if (hive < 0)
        return "This part of the registry cannot be changed";
    if (!m_prefixExists)
        return prefixProblem(m_prefix);
    if (!m_lockRefusal.empty())
        return m_lockRefusal;
    if (isServerRunning(m_prefix))
        return std::string(kWineRunningMessage);
    HiveFile& file = m_hives[hive];
    if (!file.readError.empty())
        return file.readError;
    if (!file.archProblem.empty())
        return file.archProblem + " (the file is left as it is)";
    if (std::string problem = file.file->firstProblemMessage(); !problem.empty())
        return problem + " (the file is left as it is)";
    const std::filesystem::path folder = writeTarget(file.path).parent_path();
    if (::access(folder.c_str(), W_OK) != 0)
        return "The folder of " + file.fileName + " is not writable";
    return {};
}

LSTATUS WineRegistry::afterChange(int hive)
{
    if (m_batchDepth > 0 || m_hives[hive].pending.empty())
        return ERROR_SUCCESS;
    // A write outside a batch saves under the lock too; a file another process saved meanwhile
    // is read again and the change applied to it (saveHive).
    PrefixLockScope lock(m_lock);
    if (!lock.held()) {
        m_lastWriteError = lock.why();
        rollBack(hive);
        return ERROR_ACCESS_DENIED;
    }
    std::string why;
    return saveHive(hive, &why) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

void WineRegistry::rollBack(int hive)
{
    HiveFile& file = m_hives[hive];
    // Back to the text last read or written; only volatile keys are lost, as on a restart.
    std::string text(file.file->originalText());
    const bool fromDisk = !text.empty() || file.stamp.exists;
    file.pending.clear();
    replaceTree(hive, fromDisk ? RegFile::parse(std::move(text), file.fileName, filetimeNow()) : emptyFileFor(hive));
}

bool WineRegistry::saveHive(int hive, std::string* why)
{
    HiveFile& file = m_hives[hive];
    auto refuse = [&](const std::string& message) {
        m_lastWriteError = message;
        if (why)
            *why = message;
        rollBack(hive);
        return false;
    };
    if (std::string refusal = refusalFor(hive); !refusal.empty())
        return refuse(refusal);

    const FileStamp now = stampOf(file.path);
    if (!(now == file.stamp)) {
        // Someone wrote the file since it was read (often Wine, with the same content).
        bool exists = false;
        auto text = RegTextBuffer::readFile(file.path, &exists);
        if (!text)
            return refuse(file.fileName + " cannot be read");
        const bool same = exists == file.stamp.exists && text->view() == file.file->originalText();
        if (!same) {
            auto fresh = exists ? RegFile::parse(std::move(text), file.fileName, filetimeNow()) : emptyFileFor(hive);
            if (std::string problem = fresh->firstProblemMessage(); !problem.empty())
                return refuse(file.fileName + " changed on disk and no longer reads cleanly: " + problem);
            if (!replay(*fresh, file.pending))
                return refuse(file.fileName + " changed on disk since it was read, and the change no longer fits it");
            replaceTree(hive, std::move(fresh));
        }
        file.stamp = now;
    }

    const std::string error =
        replaceFileAtomically(file.path, [&file](const ContentSink& sink) { return file.file->write(sink); });
    if (!error.empty())
        return refuse("Cannot save " + file.fileName + ": " + error);
    // What is on disk now becomes the text the tree stands for.
    file.pending.clear();
    loadHive(hive);
    if (isServerRunning(m_prefix)) {
        // A server that started while we wrote holds the old registry and will save it back.
        const std::string message = "Wine started in this prefix while " + file.fileName +
                                    " was being saved and may write its older copy back: close its programs, then "
                                    "check the change";
        m_lastWriteError = message;
        if (why)
            *why = message;
        return false;
    }
    return true;
}

bool WineRegistry::replay(RegFile& file, const std::vector<Change>& changes)
{
    auto find = [&file](const std::vector<std::u16string>& path) {
        RegKey* key = &file.root();
        for (const auto& part : path) {
            key = key->findChild(part);
            if (!key)
                return key;
        }
        return key;
    };
    for (const Change& change : changes) {
        switch (change.kind) {
        case Change::Kind::createKey: {
            RegKey* key = &file.root();
            for (std::size_t i = 0; i < change.path.size(); ++i) {
                bool created = false;
                key = key->createChild(change.path[i], change.time, &created);
                if (created)
                    key->setVolatile(change.isVolatile);
                if (created && i + 1 == change.path.size()) {
                    if (change.className)
                        key->setClassName(*change.className, change.time);
                }
            }
            break;
        }
        case Change::Kind::setValue: {
            RegKey* key = find(change.path);
            if (!key)
                return false;
            key->setValue(change.name, change.type, change.data, change.time);
            break;
        }
        case Change::Kind::deleteValue:
            if (RegKey* key = find(change.path))
                key->removeValue(change.name, change.time);
            break;
        case Change::Kind::deleteKey:
            if (RegKey* key = find(change.path); key && key->parent())
                key->parent()->removeChild(key, change.time);
            break;
        case Change::Kind::clearKey:
            if (RegKey* key = find(change.path)) {
                while (key->childCount() > 0)
                    key->removeChild(key->child(0), change.time);
                key->removeAllValues(change.time);
            }
            break;
        }
    }
    return true;
}

LSTATUS WineRegistry::followLink(RegKey* link, Location& out, int& hops)
{
    if (++hops > kMaxLinkHops)
        return ERROR_FILE_NOT_FOUND;
    const RegValue* value = link->findValue(kLinkValue);
    if (!value || value->type != REG_LINK)
        return ERROR_FILE_NOT_FOUND;
    const std::u16string target = bytesToUtf16(value->data);
    if (target.empty() || target[0] != u'\\')
        return ERROR_FILE_NOT_FOUND;
    std::vector<std::u16string> parts = splitNtPath(target);
    if (parts.size() < 2 || !namesEqual(parts[0], u"Registry"))
        return ERROR_FILE_NOT_FOUND;
    Location start;
    std::size_t used = 2;
    if (namesEqual(parts[1], u"Machine")) {
        start = Location{kMachine, &m_hives[kMachine].file->root()};
    } else if (namesEqual(parts[1], u"User")) {
        start = Location{kUsersRoot, nullptr};
    } else {
        return ERROR_FILE_NOT_FOUND;
    }
    parts.erase(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(used));
    return walk(start, parts, Walk::open, out, nullptr, nullptr, hops);
}

LSTATUS WineRegistry::walk(Location start, const std::vector<std::u16string>& parts, Walk mode, Location& out,
                           bool* created, const Change* creation, int& hops)
{
    Location here = start;
    if (created)
        *created = false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::u16string& part = parts[i];
        if (here.hive == kEmptyRoot)
            return mode == Walk::create ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
        if (here.hive == kUsersRoot) {
            if (namesEqual(part, u".Default"))
                here = Location{kUserDefault, &m_hives[kUserDefault].file->root()};
            else if (namesEqual(part, kUserSid))
                here = Location{kUser, &m_hives[kUser].file->root()};
            else
                return mode == Walk::create ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
            continue;
        }
        RegKey* child = here.key->findChild(part);
        if (!child) {
            if (mode != Walk::create)
                return ERROR_FILE_NOT_FOUND;
            for (std::size_t j = i; j < parts.size(); ++j) {
                if (parts[j].size() > kMaxKeyNameLength)
                    return ERROR_INVALID_PARAMETER; // Wine would refuse the key, then drop it from the file
            }
            if (std::string refusal = refusalFor(here.hive); !refusal.empty()) {
                m_lastWriteError = refusal;
                return ERROR_ACCESS_DENIED;
            }
            if (here.key->isVolatile() && !(creation && creation->isVolatile))
                return ERROR_CHILD_MUST_BE_VOLATILE;
            Change change = creation ? *creation : Change{Change::Kind::createKey, {}, {}, 0, {}, {}, false, 0};
            change.kind = Change::Kind::createKey;
            change.time = filetimeNow();
            change.path = pathOf(here.key);
            change.path.insert(change.path.end(), parts.begin() + static_cast<std::ptrdiff_t>(i), parts.end());
            RegKey* key = here.key;
            for (std::size_t j = i; j < parts.size(); ++j) {
                key = key->createChild(parts[j], change.time, nullptr);
                key->setVolatile(change.isVolatile);
            }
            if (change.className)
                key->setClassName(*change.className, change.time);
            m_hives[here.hive].pending.push_back(std::move(change));
            if (created)
                *created = true;
            out = Location{here.hive, key};
            return ERROR_SUCCESS;
        }
        if (child->isLink()) {
            Location target;
            if (const LSTATUS status = followLink(child, target, hops); status != ERROR_SUCCESS)
                return status;
            here = target;
        } else {
            here = Location{here.hive, child};
        }
    }
    out = here;
    return ERROR_SUCCESS;
}

} // namespace tessivar::wine
