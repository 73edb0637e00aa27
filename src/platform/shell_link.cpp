#include "platform/shell_link.h"

#include "platform/shell_link_layout.h"
#include "platform/shortcut_text.h"

#include <array>
#include <cstring>
#include <optional>

namespace tessivar {

namespace {

using namespace shell_link_layout;
using shortcut_text::AnsiToUtf8;
using shortcut_text::LooksLikeShortName;

constexpr std::uint32_t kHasLinkTargetIdList = 0x00000001;
constexpr std::uint32_t kHasLinkInfo = 0x00000002;
constexpr std::uint32_t kHasName = 0x00000004;
constexpr std::uint32_t kHasRelativePath = 0x00000008;
constexpr std::uint32_t kHasWorkingDir = 0x00000010;
constexpr std::uint32_t kHasArguments = 0x00000020;
constexpr std::uint32_t kHasIconLocation = 0x00000040;
constexpr std::uint32_t kIsUnicode = 0x00000080;
constexpr std::uint32_t kForceNoLinkInfo = 0x00000100;
constexpr std::uint32_t kHasDarwinId = 0x00001000;

constexpr std::uint32_t kEnvironmentBlock = 0xA0000001;
constexpr std::uint32_t kSpecialFolderBlock = 0xA0000005;
constexpr std::uint32_t kDarwinBlock = 0xA0000006;
constexpr std::uint32_t kKnownFolderBlock = 0xA000000B;

constexpr std::size_t kHeaderSize = 0x4C;
constexpr std::array<std::uint8_t, 16> kShellLinkClsid = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::array<std::uint8_t, 16> kMyComputerClsid = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                                           0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};

// Every read goes through this view; a read past the end fails instead of reading.
class Bytes {
  public:
    explicit Bytes(std::string_view data) : m_data(data) {}

    std::size_t size() const { return m_data.size(); }
    bool has(std::size_t offset, std::size_t count) const
    {
        return offset <= m_data.size() && count <= m_data.size() - offset;
    }
    std::uint8_t u8(std::size_t offset) const { return static_cast<std::uint8_t>(m_data[offset]); }
    bool u16(std::size_t offset, std::uint32_t* value) const
    {
        if (!has(offset, 2))
            return false;
        *value = u8(offset) | (std::uint32_t{u8(offset + 1)} << 8);
        return true;
    }
    bool u32(std::size_t offset, std::uint32_t* value) const
    {
        if (!has(offset, 4))
            return false;
        *value = u8(offset) | (std::uint32_t{u8(offset + 1)} << 8) | (std::uint32_t{u8(offset + 2)} << 16) |
                 (std::uint32_t{u8(offset + 3)} << 24);
        return true;
    }
    std::string_view slice(std::size_t offset, std::size_t count) const { return m_data.substr(offset, count); }

    // A NUL-terminated byte string starting at `offset` and ending before `limit`.
    std::optional<std::string_view> cString(std::size_t offset, std::size_t limit) const
    {
        limit = std::min(limit, m_data.size());
        for (std::size_t i = offset; i < limit; ++i)
            if (m_data[i] == '\0')
                return m_data.substr(offset, i - offset);
        return std::nullopt;
    }
    // A NUL-terminated UTF-16LE string (raw bytes, terminator excluded) ending before `limit`.
    std::optional<std::string_view> wString(std::size_t offset, std::size_t limit) const
    {
        limit = std::min(limit, m_data.size());
        for (std::size_t i = offset; i + 1 < limit; i += 2)
            if (m_data[i] == '\0' && m_data[i + 1] == '\0')
                return m_data.substr(offset, i - offset);
        return std::nullopt;
    }
    bool equals(std::size_t offset, const std::array<std::uint8_t, 16>& expected) const
    {
        return has(offset, expected.size()) &&
               std::memcmp(m_data.data() + offset, expected.data(), expected.size()) == 0;
    }

  private:
    std::string_view m_data;
};

// Text decoded from a file, with whether it can be trusted to name a file exactly.
struct Text {
    std::string value;
    bool uncertain = false;
};

// A '?' in ANSI text is where the writer could not represent a character (no file name holds
// one), so such text never names the file exactly.
Text fromAnsi(std::string_view raw)
{
    Text text;
    text.value = AnsiToUtf8(raw, &text.uncertain);
    if (text.value.find('?') != std::string::npos)
        text.uncertain = true;
    return text;
}

Text fromUtf16(std::string_view raw)
{
    Text text;
    bool lossless = true;
    text.value = Utf16ToUtf8(raw, &lossless);
    text.uncertain = !lossless;
    return text;
}

bool isSafeComponent(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/") == std::string_view::npos;
}

struct IdListPath {
    bool present = false;
    bool malformed = false;
    bool virtualItem = false;
    Text path;                            // "" when the list names no file-system path
    std::vector<std::size_t> itemOffsets; // of each item, relative to the first item
    std::vector<std::string> prefixes;    // the path up to and including item i
};

// A file-entry item's name: the long name from its extension block when there is one that fits,
// else the primary name (often an 8.3 name, ANSI in the code page of the writer).
Text fileEntryName(const Bytes& b, std::size_t item, std::size_t size, bool* malformed)
{
    const std::uint8_t cls = b.u8(item + kItemClass);
    const std::size_t nameAt = item + kFileEntryName;
    const std::size_t end = item + size;
    std::size_t nameEnd = 0;
    Text primary;
    if (cls & kFileEntryUnicodeName) {
        auto raw = b.wString(nameAt, end);
        if (!raw) {
            *malformed = true;
            return {};
        }
        primary = fromUtf16(*raw);
        nameEnd = nameAt + raw->size() + 2;
    } else {
        auto raw = b.cString(nameAt, end);
        if (!raw) {
            *malformed = true;
            return {};
        }
        primary = fromAnsi(*raw);
        nameEnd = nameAt + raw->size() + 1;
    }
    if ((nameEnd - item) % 2 != 0)
        ++nameEnd;
    if (LooksLikeShortName(primary.value) || primary.value.find('?') != std::string::npos)
        primary.uncertain = true;

    // The item's last u16 is the offset of its extension block; Wine writes the block with a zero
    // version and signature, so the signature alone does not decide.
    std::uint32_t blockOffset = 0;
    if (size < 4 || !b.u16(end - 2, &blockOffset))
        return primary;
    const std::size_t block = item + blockOffset;
    std::uint32_t blockSize = 0;
    std::uint32_t version = 0;
    std::uint32_t signature = 0;
    if (blockOffset < nameEnd - item || !b.u16(block, &blockSize) || !b.u16(block + kExtensionVersion, &version) ||
        !b.u32(block + kExtensionSignature, &signature))
        return primary;
    if (blockSize < 8 || blockOffset + blockSize > size || (signature != kExtensionBlockSignature && signature != 0))
        return primary;
    std::size_t longNameAt = 0;
    if (version <= 3)
        longNameAt = kLongNameUpToVersion3;
    else if (version == 7)
        longNameAt = kLongNameVersion7;
    else if (version == 8)
        longNameAt = kLongNameVersion8;
    else if (version >= 9)
        longNameAt = kLongNameFromVersion9;
    else
        return primary;
    if (longNameAt >= blockSize)
        return primary;
    auto raw = b.wString(block + longNameAt, block + blockSize);
    if (!raw || raw->empty())
        return primary;
    return fromUtf16(*raw);
}

IdListPath parseIdList(const Bytes& b, std::size_t start, std::size_t end)
{
    IdListPath out;
    out.present = true;
    std::vector<std::pair<std::size_t, std::size_t>> items;
    std::size_t pos = start;
    for (;;) {
        std::uint32_t size = 0;
        if (pos + 2 > end || !b.u16(pos, &size)) {
            out.malformed = true; // no terminator inside the list
            return out;
        }
        if (size == 0)
            break;
        if (size < 2 || pos + size > end) {
            out.malformed = true;
            return out;
        }
        items.emplace_back(pos, size);
        pos += size;
    }
    if (items.empty())
        return out;

    // My Computer, then a drive, then file entries: anything else is not a file-system path.
    auto [rootAt, rootSize] = items[0];
    if (rootSize < kRootItemMinSize || b.u8(rootAt + kItemClass) != kRootItemClass ||
        !b.equals(rootAt + kRootItemClsid, kMyComputerClsid) || items.size() < 2) {
        out.virtualItem = true;
        return out;
    }
    out.itemOffsets.push_back(0);
    out.prefixes.emplace_back();
    auto [driveAt, driveSize] = items[1];
    const std::uint8_t driveClass = b.u8(driveAt + kItemClass);
    if ((driveClass & kItemGroupMask) != kDriveItemGroup || !(driveClass & 0x01) || driveSize < 4) {
        out.virtualItem = true;
        return out;
    }
    auto drive = b.cString(driveAt + kDriveItemName, driveAt + std::min<std::size_t>(driveSize, kDriveItemNameEnd));
    if (!drive) {
        out.malformed = true;
        return out;
    }
    std::string path(*drive);
    if (path.size() < 2 || path.size() > 3 || path[1] != ':' ||
        !((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) ||
        (path.size() == 3 && path[2] != '\\')) {
        out.virtualItem = true;
        return out;
    }
    if (path.size() == 2)
        path += '\\';
    out.itemOffsets.push_back(driveAt - start);
    out.prefixes.push_back(path);

    bool uncertain = false;
    for (std::size_t i = 2; i < items.size(); ++i) {
        auto [itemAt, itemSize] = items[i];
        if ((b.u8(itemAt + kItemClass) & kItemGroupMask) != kFileEntryGroup || itemSize < kFileEntryMinSize) {
            out.virtualItem = true;
            return out;
        }
        Text name = fileEntryName(b, itemAt, itemSize, &out.malformed);
        if (out.malformed)
            return out;
        if (!isSafeComponent(name.value))
            name.uncertain = true;
        uncertain = uncertain || name.uncertain;
        if (path.back() != '\\')
            path += '\\';
        path += name.value;
        out.itemOffsets.push_back(itemAt - start);
        out.prefixes.push_back(path);
    }
    out.path.value = path;
    out.path.uncertain = uncertain;
    return out;
}

struct LinkInfoResult {
    bool malformed = false;
    std::optional<Text> local; // base path + suffix, ANSI
    std::optional<Text> localUnicode;
    std::optional<Text> network; // net name + suffix
    LinkDriveType driveType = LinkDriveType::unknown;
};

std::string joinSuffix(std::string base, const std::string& suffix)
{
    if (!suffix.empty() && !base.empty() && base.back() != '\\')
        base += '\\';
    return base + suffix;
}

LinkInfoResult parseLinkInfo(const Bytes& b, std::size_t at, std::size_t* next)
{
    LinkInfoResult out;
    std::uint32_t size = 0;
    std::uint32_t headerSize = 0;
    std::uint32_t flags = 0;
    if (!b.u32(at, &size) || size < kLinkInfoMinSize || !b.has(at, size) ||
        !b.u32(at + kLinkInfoHeaderSize, &headerSize) || headerSize < kLinkInfoMinSize || headerSize > size ||
        !b.u32(at + kLinkInfoFlags, &flags)) {
        out.malformed = true;
        return out;
    }
    *next = at + size;
    const std::size_t end = at + size;
    auto field = [&](std::size_t offset) {
        std::uint32_t value = 0;
        b.u32(at + offset, &value);
        return value;
    };
    auto ansiAt = [&](std::uint32_t offset) -> std::optional<Text> {
        if (offset < headerSize || offset >= size)
            return std::nullopt;
        auto raw = b.cString(at + offset, end);
        if (!raw)
            return std::nullopt;
        return fromAnsi(*raw);
    };
    auto unicodeAt = [&](std::uint32_t offset) -> std::optional<Text> {
        if (offset < headerSize || offset >= size)
            return std::nullopt;
        auto raw = b.wString(at + offset, end);
        if (!raw)
            return std::nullopt;
        return fromUtf16(*raw);
    };

    const bool hasUnicodeOffsets = headerSize >= kLinkInfoHeaderWithUnicode;
    auto suffix = ansiAt(field(kLinkInfoSuffix));
    if (!suffix) {
        out.malformed = true;
        return out;
    }
    std::optional<Text> suffixUnicode;
    if (hasUnicodeOffsets && field(kLinkInfoSuffixUnicode) != 0) {
        suffixUnicode = unicodeAt(field(kLinkInfoSuffixUnicode));
        if (!suffixUnicode) {
            out.malformed = true;
            return out;
        }
    }

    if (flags & kLinkInfoHasVolumeAndBasePath) {
        const std::uint32_t volumeAt = field(kLinkInfoVolumeId);
        std::uint32_t volumeSize = 0;
        std::uint32_t driveType = 0;
        if (volumeAt < headerSize || volumeAt >= size || !b.u32(at + volumeAt, &volumeSize) ||
            volumeSize < kVolumeIdMinSize || volumeSize > size - volumeAt ||
            !b.u32(at + volumeAt + kVolumeDriveType, &driveType)) {
            out.malformed = true;
            return out;
        }
        out.driveType = driveType <= 6 ? static_cast<LinkDriveType>(driveType) : LinkDriveType::unknown;
        auto base = ansiAt(field(kLinkInfoLocalBasePath));
        if (!base) {
            out.malformed = true;
            return out;
        }
        out.local = Text{joinSuffix(base->value, suffix->value), base->uncertain || suffix->uncertain};
        if (hasUnicodeOffsets && field(kLinkInfoLocalBasePathUnicode) != 0) {
            auto baseUnicode = unicodeAt(field(kLinkInfoLocalBasePathUnicode));
            if (!baseUnicode) {
                out.malformed = true;
                return out;
            }
            const Text& tail = suffixUnicode ? *suffixUnicode : *suffix;
            out.localUnicode =
                Text{joinSuffix(baseUnicode->value, tail.value), baseUnicode->uncertain || tail.uncertain};
        }
    }
    if (flags & kLinkInfoHasNetworkLink) {
        const std::uint32_t linkAt = field(kLinkInfoNetworkRelativeLink);
        std::uint32_t linkSize = 0;
        std::uint32_t netNameOffset = 0;
        if (linkAt < headerSize || linkAt >= size || !b.u32(at + linkAt, &linkSize) || linkSize < kNetworkLinkMinSize ||
            linkSize > size - linkAt || !b.u32(at + linkAt + kNetworkNetName, &netNameOffset) ||
            netNameOffset >= linkSize ||
            (netNameOffset > kNetworkLinkMinSize && linkSize < kNetworkLinkWithDeviceName)) {
            out.malformed = true;
            return out;
        }
        auto netName = b.cString(at + linkAt + netNameOffset, at + linkAt + linkSize);
        if (!netName) {
            out.malformed = true;
            return out;
        }
        Text name = fromAnsi(*netName);
        out.network = Text{joinSuffix(name.value, suffix->value), true};
    }
    return out;
}

// The five strings and the extra-data blocks. False when they do not fit the file as the flags
// lay them out.
bool parseTail(const Bytes& b, std::size_t pos, std::uint32_t flags, const IdListPath& idList, bool requireTerminal,
               ShortcutInfo* info, std::optional<Text>* relative, std::optional<Text>* environment)
{
    const bool unicode = flags & kIsUnicode;
    std::array<std::optional<Text>, 5> strings;
    const std::array<std::uint32_t, 5> stringFlags = {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments,
                                                      kHasIconLocation};
    for (std::size_t i = 0; i < strings.size(); ++i) {
        if (!(flags & stringFlags[i]))
            continue;
        std::uint32_t count = 0;
        if (!b.u16(pos, &count))
            return false;
        const std::size_t bytes = unicode ? std::size_t{count} * 2 : count;
        if (!b.has(pos + 2, bytes))
            return false;
        std::string_view raw = b.slice(pos + 2, bytes);
        pos += 2 + bytes;
        // Wine counts a trailing NUL into the length; the text ends at the first one.
        if (unicode) {
            for (std::size_t j = 0; j + 1 < raw.size(); j += 2)
                if (raw[j] == '\0' && raw[j + 1] == '\0') {
                    raw = raw.substr(0, j);
                    break;
                }
            strings[i] = fromUtf16(raw);
        } else {
            raw = raw.substr(0, std::min(raw.size(), raw.find('\0')));
            strings[i] = fromAnsi(raw);
        }
    }

    bool advertised = false;
    bool knownFolder = false;
    std::optional<std::uint32_t> folderOffset;
    std::optional<Text> env;
    for (;;) {
        std::uint32_t blockSize = 0;
        std::uint32_t signature = 0;
        if (pos == b.size() && !requireTerminal)
            break; // no terminal block: the end of the file ends the list
        if (!b.u32(pos, &blockSize))
            return false; // a size cut short
        if (blockSize < 4)
            break;
        if (blockSize < 8 || !b.has(pos, blockSize) || !b.u32(pos + kBlockSignature, &signature))
            return false;
        if (signature == kEnvironmentBlock || signature == kDarwinBlock) {
            if (blockSize < kPathBlockSize)
                return false;
            if (signature == kDarwinBlock) {
                advertised = true;
            } else {
                auto wide = b.wString(pos + kPathBlockUnicode, pos + kPathBlockUnicodeEnd);
                Text text = wide && !wide->empty() ? fromUtf16(*wide) : Text{};
                if (text.value.empty()) {
                    auto narrow = b.cString(pos + kPathBlockAnsi, pos + kPathBlockUnicode);
                    text = fromAnsi(narrow ? *narrow : b.slice(pos + kPathBlockAnsi, kPathBlockAnsiLength));
                }
                if (!text.value.empty())
                    env = text;
            }
        } else if (signature == kKnownFolderBlock || signature == kSpecialFolderBlock) {
            const std::size_t offsetAt = signature == kKnownFolderBlock ? kKnownFolderOffset : kSpecialFolderOffset;
            std::uint32_t offset = 0;
            if (blockSize < offsetAt + 4 || !b.u32(pos + offsetAt, &offset))
                return false;
            knownFolder = true;
            folderOffset = offset;
        }
        pos += blockSize;
    }

    if (strings[0])
        info->description = strings[0]->value;
    if (strings[2])
        info->workingDirectory = strings[2]->value;
    if (strings[3])
        info->arguments = strings[3]->value;
    if (strings[1] && !strings[1]->value.empty())
        *relative = strings[1];
    *environment = env;
    info->advertised = info->advertised || advertised;
    if (knownFolder) {
        info->hasKnownFolder = true;
        info->knownFolderPath.clear();
        for (std::size_t i = 0; folderOffset && i < idList.itemOffsets.size(); ++i)
            if (idList.itemOffsets[i] == *folderOffset) {
                info->knownFolderPath = i == 0 ? std::string() : idList.prefixes[i - 1];
                break;
            }
    }
    return true;
}

bool isNetworkPath(std::string_view path)
{
    return path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
}

} // namespace

ShortcutInfo ReadShellLink(std::string_view data)
{
    ShortcutInfo info;
    const Bytes b(data);
    std::uint32_t headerSize = 0;
    if (!b.u32(0, &headerSize) || headerSize != kHeaderSize || !b.has(0, kHeaderSize) ||
        !b.equals(kHeaderClsid, kShellLinkClsid))
        return info;
    info.format = ShortcutFormat::shellLink;
    info.isLink = true;
    info.typeName = "Shortcut";
    if (data.size() > kMaxShortcutFileSize) {
        info.malformed = true;
        return info;
    }
    std::uint32_t flags = 0;
    b.u32(kHeaderFlags, &flags);
    info.advertised = flags & kHasDarwinId;

    std::size_t pos = kHeaderSize;
    IdListPath idList;
    if (flags & kHasLinkTargetIdList) {
        std::uint32_t listSize = 0;
        if (!b.u16(pos, &listSize) || !b.has(pos + 2, listSize)) {
            info.malformed = true;
            return info;
        }
        idList = parseIdList(b, pos + 2, pos + 2 + listSize);
        pos += 2 + listSize;
        if (idList.malformed) {
            info.malformed = true;
            return info;
        }
        info.virtualItem = idList.virtualItem;
    }

    LinkInfoResult linkInfo;
    if (flags & kHasLinkInfo) {
        std::size_t next = pos;
        linkInfo = parseLinkInfo(b, pos, &next);
        if (linkInfo.malformed) {
            info.malformed = true;
            return info;
        }
        pos = next;
        if (flags & kForceNoLinkInfo)
            linkInfo = LinkInfoResult{};
    }

    // Wine writes the relative path without setting its flag, which shifts every later field; a
    // layout that only fits with that string present, up to a proper terminal block, is read
    // that way.
    std::optional<Text> relative;
    std::optional<Text> environment;
    ShortcutInfo tail = info;
    if (!parseTail(b, pos, flags, idList, false, &tail, &relative, &environment)) {
        tail = info;
        if ((flags & kHasRelativePath) ||
            !parseTail(b, pos, flags | kHasRelativePath, idList, true, &tail, &relative, &environment)) {
            info.malformed = true;
            return info;
        }
    }
    info = std::move(tail);

    auto add = [&](const Text& text, TargetSource source) {
        if (text.value.empty())
            return;
        if (isNetworkPath(text.value))
            info.network = true;
        info.targets.push_back(ShortcutTarget{text.value, source, text.uncertain});
    };
    if (environment)
        add(*environment, TargetSource::environment);
    if (!idList.path.value.empty())
        add(idList.path, TargetSource::idList);
    if (linkInfo.localUnicode)
        add(*linkInfo.localUnicode, TargetSource::linkInfoUnicode);
    if (linkInfo.local)
        add(*linkInfo.local, TargetSource::linkInfoAnsi);
    if (linkInfo.network) {
        info.network = true;
        if (info.targetPath.empty() && idList.path.value.empty() && !linkInfo.local)
            info.targetPath = linkInfo.network->value;
    }
    if (relative)
        add(*relative, TargetSource::relativePath);

    info.driveType = linkInfo.driveType;
    if (linkInfo.driveType == LinkDriveType::remote)
        info.network = true;
    if (linkInfo.driveType == LinkDriveType::removable || linkInfo.driveType == LinkDriveType::cdrom)
        info.removableMedia = true;
    if (info.targetPath.empty() && !info.targets.empty())
        info.targetPath = info.targets.front().path;
    return info;
}

ShortcutInfo ReadShortcut(std::string_view bytes)
{
    ShortcutInfo link = ReadShellLink(bytes);
    if (link.isLink)
        return link;
    return ReadInternetShortcut(bytes);
}

} // namespace tessivar
