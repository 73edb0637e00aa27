#pragma once
// Where the fields of a shell link (.lnk) file sit, in bytes from the start of the structure that
// holds them. All numbers are little-endian.

#include <cstddef>
#include <cstdint>

namespace tessivar::shell_link_layout {

// The fixed header.
inline constexpr std::size_t kHeaderClsid = 4;
inline constexpr std::size_t kHeaderFlags = 20;

// An item of the target's ID list: a u16 size, then the class byte.
inline constexpr std::size_t kItemClass = 2;
inline constexpr std::size_t kRootItemClsid = 4; // the root item's class id (My Computer)
inline constexpr std::size_t kRootItemMinSize = 20;
inline constexpr std::uint8_t kRootItemClass = 0x1F;
inline constexpr std::size_t kDriveItemName = 3;     // "C:\" as ANSI text
inline constexpr std::size_t kDriveItemNameEnd = 23; // the name's room ends here
inline constexpr std::uint8_t kItemGroupMask = 0x70;
inline constexpr std::uint8_t kDriveItemGroup = 0x20;
inline constexpr std::uint8_t kFileEntryGroup = 0x30;
inline constexpr std::uint8_t kFileEntryUnicodeName = 0x04;
inline constexpr std::size_t kFileEntryMinSize = 16;
inline constexpr std::size_t kFileEntryName = 14; // the primary name

// The extension block at the end of a file-entry item.
inline constexpr std::size_t kExtensionVersion = 2;
inline constexpr std::size_t kExtensionSignature = 4;
inline constexpr std::uint32_t kExtensionBlockSignature = 0xBEEF0004;
// Where the long name starts, by the block's version.
inline constexpr std::size_t kLongNameUpToVersion3 = 20;
inline constexpr std::size_t kLongNameVersion7 = 38;
inline constexpr std::size_t kLongNameVersion8 = 42;
inline constexpr std::size_t kLongNameFromVersion9 = 46;

// The LinkInfo structure.
inline constexpr std::size_t kLinkInfoHeaderSize = 4;
inline constexpr std::size_t kLinkInfoFlags = 8;
inline constexpr std::size_t kLinkInfoVolumeId = 12;
inline constexpr std::size_t kLinkInfoLocalBasePath = 16;
inline constexpr std::size_t kLinkInfoNetworkRelativeLink = 20;
inline constexpr std::size_t kLinkInfoSuffix = 24;
inline constexpr std::size_t kLinkInfoLocalBasePathUnicode = 28;
inline constexpr std::size_t kLinkInfoSuffixUnicode = 32;
inline constexpr std::uint32_t kLinkInfoMinSize = 0x1C;
inline constexpr std::uint32_t kLinkInfoHeaderWithUnicode = 0x24;
inline constexpr std::uint32_t kLinkInfoHasVolumeAndBasePath = 0x1;
inline constexpr std::uint32_t kLinkInfoHasNetworkLink = 0x2;
// The VolumeID inside it.
inline constexpr std::size_t kVolumeDriveType = 4;
inline constexpr std::uint32_t kVolumeIdMinSize = 0x11;
// The network link inside it.
inline constexpr std::size_t kNetworkNetName = 8;
inline constexpr std::uint32_t kNetworkLinkMinSize = 0x14;
inline constexpr std::uint32_t kNetworkLinkWithDeviceName = 0x1C;

// Extra-data blocks: a u32 size, a u32 signature.
inline constexpr std::size_t kBlockSignature = 4;
inline constexpr std::uint32_t kPathBlockSize = 0x314; // environment and Darwin blocks
inline constexpr std::size_t kPathBlockAnsi = 8;
inline constexpr std::size_t kPathBlockAnsiLength = 260;
inline constexpr std::size_t kPathBlockUnicode = 268;
inline constexpr std::size_t kPathBlockUnicodeEnd = 788;
inline constexpr std::size_t kKnownFolderOffset = 24;
inline constexpr std::size_t kSpecialFolderOffset = 12;

} // namespace tessivar::shell_link_layout
