#include "platform/wine/host_paths.h"

#include "platform/wine/drives.h"

#include <optional>
#include <system_error>
#include <vector>

namespace tessivar::wine {

namespace {

// The components of `path` below `root`, or nullopt when `root` does not hold it.
std::optional<std::vector<std::string>> componentsBelow(const std::filesystem::path& path,
                                                        const std::filesystem::path& root)
{
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (r->empty())
            continue; // a trailing separator of the root
        if (p == path.end() || *p != *r)
            return std::nullopt;
    }
    std::vector<std::string> parts;
    for (; p != path.end(); ++p) {
        if (!p->empty())
            parts.push_back(p->string());
    }
    return parts;
}

std::filesystem::path settled(const std::filesystem::path& path)
{
    std::error_code error;
    auto canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path.lexically_normal() : canonical;
}

} // namespace

std::string PrefixHostPaths::windowsPathOfHostFolder(const std::filesystem::path& hostFolder)
{
    const auto folder = settled(std::filesystem::absolute(hostFolder));
    char bestLetter = 0;
    std::vector<std::string> bestParts;
    for (const auto& drive : listDrives(m_prefix, {})) {
        if (!drive.hasRoot)
            continue;
        auto parts = componentsBelow(folder, settled(drive.root));
        // Fewer components below a drive's folder: a narrower drive.
        if (parts && (bestLetter == 0 || parts->size() < bestParts.size())) {
            bestLetter = drive.letter;
            bestParts = std::move(*parts);
        }
    }
    std::string text;
    if (bestLetter != 0) {
        text = std::string(1, static_cast<char>(bestLetter - 'a' + 'A')) + ":";
    } else {
        text = "\\\\?\\unix";
        // The whole Unix path follows.
        bestParts.clear();
        for (const auto& part : folder) {
            if (part != "/" && !part.empty())
                bestParts.push_back(part.string());
        }
    }
    for (const auto& part : bestParts)
        text += "\\" + part;
    if (text.size() == 2)
        text += "\\";
    return text;
}

} // namespace tessivar::wine
