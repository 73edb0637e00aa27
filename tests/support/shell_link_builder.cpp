#include "support/shell_link_builder.h"

#include <cstdint>
#include <string_view>

namespace tessivar::test {

namespace {

// string_views, not strings: tests build links while their own statics are initialised.
constexpr std::string_view kHeaderClsid("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
constexpr std::string_view kMyComputer("\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 16);

std::string asciiOnly(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out.push_back(text[i]);
        } else if ((c & 0xC0) != 0x80) {
            out.push_back('?'); // one per character, as Wine substitutes
        }
    }
    return out;
}

std::string fileEntry(const std::string& name, bool folder)
{
    std::string item;
    PutU16(item, 0); // size, patched below
    item.push_back(folder ? '\x31' : '\x32');
    item.push_back('\0');
    PutU32(item, 0);          // file size
    PutU32(item, 0x60C25D89); // FAT date and time
    PutU16(item, folder ? 0x10 : 0x20);
    item += asciiOnly(name);
    item.push_back('\0');
    if (item.size() % 2 != 0)
        item.push_back('\0');
    const std::size_t block = item.size();
    const std::string longName = Utf8ToUtf16(name) + std::string(2, '\0');
    PutU16(item, static_cast<std::uint32_t>(20 + longName.size() + 2));
    PutU16(item, 0); // version: Wine writes 0
    PutU32(item, 0); // signature: Wine writes 0
    PutU32(item, 0x60C25D89);
    PutU32(item, 0x60C25D89);
    PutU16(item, 0);
    PutU16(item, 0);
    item += longName;
    PutU16(item, static_cast<std::uint32_t>(block));
    SetU16(item, 0, static_cast<std::uint32_t>(item.size()));
    return item;
}

std::string idList(const LinkDesign& design)
{
    std::string items;
    if (design.idListRootClsid) {
        PutU16(items, 20);
        items += std::string("\x1F\x00", 2) + *design.idListRootClsid;
    } else if (design.idListPath) {
        const std::string& path = *design.idListPath;
        PutU16(items, 20);
        items += std::string("\x1F\x00", 2);
        items += kMyComputer;
        std::string drive;
        PutU16(drive, 25);
        drive.push_back('\x23');
        std::string field = path.substr(0, 3);
        field.resize(20, '\0');
        drive += field;
        PutU16(drive, 0);
        items += drive;
        std::size_t start = 3;
        while (start < path.size()) {
            const auto slash = path.find('\\', start);
            const bool last = slash == std::string::npos;
            items += fileEntry(path.substr(start, last ? std::string::npos : slash - start), !last);
            start = last ? path.size() : slash + 1;
        }
    }
    PutU16(items, 0);
    std::string out;
    PutU16(out, static_cast<std::uint32_t>(items.size()));
    return out + items;
}

std::string linkInfo(const LinkDesign& design)
{
    const bool unicode = design.localBasePathUnicode.has_value();
    const std::uint32_t headerSize = unicode ? 0x24 : 0x1C;
    std::string body;
    std::uint32_t volumeAt = 0, baseAt = 0, netAt = 0, suffixAt = 0, baseUAt = 0, suffixUAt = 0;
    auto offset = [&]() { return static_cast<std::uint32_t>(headerSize + body.size()); };
    if (design.localBasePath) {
        volumeAt = offset();
        PutU32(body, 0x11);
        PutU32(body, design.driveType);
        PutU32(body, 0x43000000);
        PutU32(body, 0x10);
        body.push_back('\0');
        baseAt = offset();
        body += *design.localBasePath;
        body.push_back('\0');
    }
    if (design.netName) {
        netAt = offset();
        PutU32(body, static_cast<std::uint32_t>(0x14 + design.netName->size() + 1));
        PutU32(body, 0x2);
        PutU32(body, 0x14);
        PutU32(body, 0);
        PutU32(body, 0x00020000);
        body += *design.netName;
        body.push_back('\0');
    }
    suffixAt = offset();
    body += design.commonPathSuffix;
    body.push_back('\0');
    if (unicode) {
        if (body.size() % 2 != 0)
            body.push_back('\0');
        baseUAt = offset();
        body += Utf8ToUtf16(*design.localBasePathUnicode) + std::string(2, '\0');
        suffixUAt = offset();
        body += Utf8ToUtf16(design.commonPathSuffix) + std::string(2, '\0');
    }
    std::string out;
    PutU32(out, static_cast<std::uint32_t>(headerSize + body.size()));
    PutU32(out, headerSize);
    PutU32(out, (design.localBasePath ? 0x1u : 0u) | (design.netName ? 0x2u : 0u));
    PutU32(out, volumeAt);
    PutU32(out, baseAt);
    PutU32(out, netAt);
    PutU32(out, suffixAt);
    if (unicode) {
        PutU32(out, baseUAt);
        PutU32(out, suffixUAt);
    }
    return out + body;
}

std::string stringData(const std::string& text, bool unicode)
{
    std::string out;
    if (unicode) {
        const std::string wide = Utf8ToUtf16(text);
        PutU16(out, static_cast<std::uint32_t>(wide.size() / 2));
        out += wide;
    } else {
        PutU16(out, static_cast<std::uint32_t>(text.size()));
        out += text;
    }
    return out;
}

std::uint32_t flagsOf(const LinkDesign& design)
{
    std::uint32_t flags = design.extraFlags;
    if (design.idListPath || design.idListRootClsid)
        flags |= 0x1;
    if (design.localBasePath || design.netName)
        flags |= 0x2;
    flags |= design.name ? 0x4 : 0;
    flags |= design.relativePath ? 0x8 : 0;
    flags |= design.workingDir ? 0x10 : 0;
    flags |= design.arguments ? 0x20 : 0;
    flags |= design.iconLocation ? 0x40 : 0;
    flags |= design.unicodeStrings ? 0x80 : 0;
    flags |= design.environmentTarget ? 0x200 : 0;
    flags |= design.darwin ? 0x1000 : 0;
    return flags;
}

struct Parts {
    std::string header, idList, linkInfo, strings, extra;
};

Parts partsOf(const LinkDesign& design)
{
    Parts parts;
    PutU32(parts.header, 0x4C);
    parts.header += kHeaderClsid;
    PutU32(parts.header, flagsOf(design));
    parts.header.resize(0x4C, '\0');
    parts.header[60] = 1; // ShowCommand: normal
    if (design.idListPath || design.idListRootClsid)
        parts.idList = idList(design);
    if (design.localBasePath || design.netName)
        parts.linkInfo = linkInfo(design);
    for (const auto* text :
         {&design.name, &design.relativePath, &design.workingDir, &design.arguments, &design.iconLocation})
        if (*text)
            parts.strings += stringData(**text, design.unicodeStrings);
    auto fixedBlock = [&](std::uint32_t signature, const std::string& target) {
        std::string block;
        PutU32(block, 0x314);
        PutU32(block, signature);
        std::string ansi = asciiOnly(target);
        ansi.resize(260, '\0');
        std::string wide = Utf8ToUtf16(target);
        wide.resize(520, '\0');
        return block + ansi + wide;
    };
    if (design.environmentTarget)
        parts.extra += fixedBlock(0xA0000001, *design.environmentTarget);
    if (design.darwin)
        parts.extra += fixedBlock(0xA0000006, "w_KFbc[(h=K4LkLj$W@(>{a?y-e2'a[?n`-=");
    if (design.knownFolderOffset) {
        PutU32(parts.extra, 0x1C);
        PutU32(parts.extra, 0xA000000B);
        parts.extra += std::string("\x90\xE2\x4D\x90\x36\x85\x4E\x4E\x83\xF6\x8E\x4A\x5C\xC3\x66\x9C", 16);
        PutU32(parts.extra, *design.knownFolderOffset);
    }
    PutU32(parts.extra, 0);
    return parts;
}

} // namespace

std::string Utf8ToUtf16(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::uint32_t cp = c;
        std::size_t extra = 0;
        if (c >= 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else if (c >= 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if (c >= 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        }
        for (std::size_t k = 1; k <= extra && i + k < text.size(); ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            PutU16(out, 0xD800 + (cp >> 10));
            PutU16(out, 0xDC00 + (cp & 0x3FF));
        } else {
            PutU16(out, cp);
        }
    }
    return out;
}

void PutU16(std::string& out, std::uint32_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void PutU32(std::string& out, std::uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void SetU16(std::string& bytes, std::size_t offset, std::uint32_t value)
{
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void SetU32(std::string& bytes, std::size_t offset, std::uint32_t value)
{
    SetU16(bytes, offset, value & 0xFFFF);
    SetU16(bytes, offset + 2, value >> 16);
}

std::string BuildShellLink(const LinkDesign& design)
{
    const Parts parts = partsOf(design);
    return parts.header + parts.idList + parts.linkInfo + parts.strings + parts.extra;
}

LinkLayout LayoutOf(const LinkDesign& design)
{
    const Parts parts = partsOf(design);
    LinkLayout layout;
    layout.idList = parts.header.size();
    layout.linkInfo = layout.idList + parts.idList.size();
    layout.strings = layout.linkInfo + parts.linkInfo.size();
    layout.extraData = layout.strings + parts.strings.size();
    return layout;
}

} // namespace tessivar::test
