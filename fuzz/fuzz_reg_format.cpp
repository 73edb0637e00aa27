// What `reg` reads from outside: command-line data for `add`, and registry data of any type and
// length to show or export. Any bytes must give an answer, never a crash, a hang or a lossy
// round trip of UTF-16 text.
#include "cli/reg_command.h"
#include "cli/reg_format.h"
#include "platform/utf16_text.h"
#include "platform/wine/wine_registry.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    static constexpr std::uint32_t kTypes[] = {0, 1, 2, 3, 4, 5, 6, 7, 11, 0xffff0012u};
    const std::uint32_t type = kTypes[data[0] % std::size(kTypes)];
    const char separator = static_cast<char>(data[1]);
    const std::span<const std::uint8_t> rest(data + 2, size - 2);
    const std::string text(rest.begin(), rest.end());

    tessivar::cli::queryDataText(type, rest);
    const std::u16string line = tessivar::cli::exportValueLine(text.substr(0, text.size() / 2), type, rest);
    if (line.empty())
        __builtin_trap();
    const tessivar::cli::AddData added = tessivar::cli::addDataFor(type, text, separator);
    if (!added.error.empty() && !added.bytes.empty())
        __builtin_trap();

    // UTF-16 text survives a trip through UTF-8 unchanged.
    const std::vector<std::uint8_t> even(rest.begin(),
                                         rest.begin() + static_cast<std::ptrdiff_t>(rest.size() & ~std::size_t{1}));
    if (tessivar::utf8ToUtf16Le(tessivar::utf16LeToUtf8(even)) != even)
        __builtin_trap();

    // The argument parser of `reg query`, against an empty registry.
    static tessivar::wine::WineRegistry registry("/nonexistent/tessivar-fuzz-prefix");
    std::vector<std::string> args{"query"};
    std::istringstream words(text);
    for (std::string word; std::getline(words, word, '\n') && args.size() < 8;)
        args.push_back(word);
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    tessivar::cli::runRegCommand(args, registry, tessivar::cli::RegStreams{in, out, err});
    return 0;
}
