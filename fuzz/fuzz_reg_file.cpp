// Wine registry files from arbitrary bytes: reading never crashes, and a file that reads cleanly
// is written back in a form that reads to the same tree and writes to the same bytes again.

#include "platform/wine/reg_file.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kLoadTime = 133444736000000000ull;

void readEverything(tessivar::wine::RegFile& file)
{
    std::vector<tessivar::wine::RegKey*> stack{&file.root()};
    while (!stack.empty()) {
        tessivar::wine::RegKey* key = stack.back();
        stack.pop_back();
        (void)key->values().size();
        for (std::size_t i = 0; i < key->childCount(); ++i)
            stack.push_back(key->child(i));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using tessivar::wine::RegFile;
    using tessivar::wine::RegLayout;
    auto file = RegFile::parse(std::string(reinterpret_cast<const char*>(data), size), "fuzz.reg", kLoadTime);
    const bool clean = file->problems().empty();
    readEverything(*file);
    if (!clean)
        return 0;

    const std::string kept = file->serialize();
    const std::string rewritten = file->serialize(RegLayout::rewriteAll);
    auto again = RegFile::parse(kept, "fuzz.reg", kLoadTime);
    if (!again->problems().empty())
        std::abort(); // what was written does not read cleanly
    if (again->serialize() != kept)
        std::abort(); // writing is not stable
    if (again->serialize(RegLayout::rewriteAll) != rewritten)
        std::abort(); // the text kept as it was means something else than the tree
    auto canonical = RegFile::parse(rewritten, "fuzz.reg", kLoadTime);
    if (!canonical->problems().empty() || canonical->serialize() != rewritten)
        std::abort();
    return 0;
}
