#pragma once

// Builds Shell Link files byte by byte, for the forms Wine's shell32 cannot make (environment
// and installer blocks, Unicode LinkInfo, network links, virtual ID lists) and for damaged files.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessivar::test {

struct LinkDesign {
    // An ID list of My Computer, the drive and one file entry per component ("C:\dir\file.txt"),
    // with Wine's zero-signature extension blocks carrying the UTF-16 long names.
    std::optional<std::string> idListPath;
    // An ID list of a single root item with this CLSID (16 raw bytes): a virtual item.
    std::optional<std::string> idListRootClsid;

    // LinkInfo: local base path (raw ANSI bytes), its optional Unicode form, the suffix, the
    // volume's drive type; or a network share name (CommonNetworkRelativeLink).
    std::optional<std::string> localBasePath;
    std::optional<std::string> localBasePathUnicode;
    std::string commonPathSuffix;
    std::uint32_t driveType = 3;
    std::optional<std::string> netName;

    // StringData (UTF-8 in; written as UTF-16LE, or raw bytes when unicodeStrings is false).
    std::optional<std::string> name;
    std::optional<std::string> relativePath;
    std::optional<std::string> workingDir;
    std::optional<std::string> arguments;
    std::optional<std::string> iconLocation;
    bool unicodeStrings = true;

    std::optional<std::string> environmentTarget; // %VAR% target of the environment block
    bool darwin = false;                          // an installer descriptor block and flag
    std::optional<std::uint32_t> knownFolderOffset;
    std::uint32_t extraFlags = 0;
};

std::string BuildShellLink(const LinkDesign& design);

// Little helpers for hand-made bytes.
std::string Utf8ToUtf16(const std::string& text);
void PutU16(std::string& out, std::uint32_t value);
void PutU32(std::string& out, std::uint32_t value);
void SetU16(std::string& bytes, std::size_t offset, std::uint32_t value);
void SetU32(std::string& bytes, std::size_t offset, std::uint32_t value);

// Where the parts of a built link start, for tests that damage one of them.
struct LinkLayout {
    std::size_t idList = 0;    // the IDListSize field
    std::size_t linkInfo = 0;  // LinkInfoSize
    std::size_t strings = 0;   // the first StringData
    std::size_t extraData = 0; // the first extra-data block
};
LinkLayout LayoutOf(const LinkDesign& design);

} // namespace tessivar::test
