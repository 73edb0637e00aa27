// The hand-tuned scans of registry text (SSE2 line and name scans, the compare of eight bytes at a
// time) against their plain loops, in one run, over the lines of a
// synthetic registry file as a load meets them. Each prints what its fast version saves, as a
// share of a whole load of the same file: a fast version worth less than 5% of a load has no
// place.
//
// Usage: bench_text_scans [value count]   (default 1,000,000, about 170 MB)

#include "platform/wine/reg_file.h"
#include "platform/wine/reg_text.h"
#include "platform/wine/text_scans.h"
#include "support/synthetic_registry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

using namespace tessivar::wine;
using Clock = std::chrono::steady_clock;
constexpr int kRounds = 5;

// Best of the rounds, in seconds; `work` returns something that depends on all it did.
double best(const std::function<std::size_t()>& work, std::size_t& sink)
{
    double fastest = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        sink += work();
        fastest = std::min(fastest, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return fastest;
}

void report(const char* name, double plainSeconds, double fastSeconds, double load)
{
    std::printf("%-40s plain %7.2f ms, fast %7.2f ms: saves %5.1f%% of a load\n", name, plainSeconds * 1e3,
                fastSeconds * 1e3, 100.0 * (plainSeconds - fastSeconds) / load);
}

template <typename Scan> std::size_t lineEnds(std::string_view text, Scan scan)
{
    std::size_t count = 0;
    for (std::size_t at = 0; at + 64 <= text.size(); at += 64) {
        const LineBlock block = scan(text.data() + at);
        count += static_cast<std::size_t>(std::popcount(block.lineEnds)) + block.nul + block.carriageReturn;
    }
    return count;
}

template <typename Scan> std::size_t nameEnds(const std::vector<std::string_view>& keyLines, Scan scan)
{
    std::size_t sum = 0;
    for (std::string_view line : keyLines) {
        for (std::size_t pos = 1;;) {
            pos = scan(line, pos);
            sum += pos;
            if (pos + 1 >= line.size() || line[pos] != '\\')
                break;
            pos += 2;
        }
    }
    return sum;
}

template <typename Compare> std::size_t sharedPrefixes(const std::vector<std::string_view>& keyLines, Compare compare)
{
    std::size_t sum = 0;
    for (std::size_t i = 1; i < keyLines.size(); ++i)
        sum += compare(keyLines[i], keyLines[i - 1]);
    return sum;
}

} // namespace

int main(int argc, char** argv)
{
#if !defined(__SSE2__)
    std::printf("no SSE2 on this machine: only the plain scans are built\n");
    return 0;
#else
    const std::size_t values = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
    std::string folder = (std::filesystem::temp_directory_path() / "tessivar-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data()))
        return 1;
    const std::filesystem::path source = std::filesystem::path(folder) / "system.reg";
    tessivar::test::SyntheticRegistryOptions options;
    options.valueCount = values;
    const auto stats = tessivar::test::writeSyntheticRegistry(source, options);
    std::printf("synthetic file: %zu values, %zu keys, %.1f MB\n", stats.values, stats.keys, stats.bytes / 1e6);

    std::size_t sink = 0;
    const double load = best(
        [&source] {
            bool exists = false;
            return RegFile::load(source, "system.reg", 0, &exists)->root().childCount();
        },
        sink);
    bool exists = false;
    const auto file = RegFile::load(source, "system.reg", 0, &exists);
    const std::string_view text = file->originalText();

    // The key lines, and of each the part after the names it shares with the line before: the
    // load takes those from the previous line's keys and only looks at the rest.
    std::vector<std::string_view> keyLines;
    std::vector<std::string_view> newParts;
    std::vector<std::string_view> names;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(at, end - at);
        if (line.starts_with('[')) {
            const std::size_t shared = keyLines.empty() ? 0 : plain::commonPrefixLength(line, keyLines.back());
            const std::size_t separator = line.substr(0, shared).rfind("\\\\");
            const std::size_t first = separator == std::string_view::npos ? 1 : separator + 2;
            keyLines.push_back(line);
            newParts.push_back(line.substr(first - 1));
            for (std::size_t pos = first;;) {
                const std::size_t stop = plain::plainNameEnd(line, pos);
                names.push_back(line.substr(pos, stop - pos));
                if (stop + 1 >= line.size() || line[stop] != '\\')
                    break;
                pos = stop + 2;
            }
        }
        at = end + 1;
    }
    std::printf("whole load: %.2f ms; %zu key lines, %zu names\n", load * 1e3, keyLines.size(), names.size());

    report("line ends (SSE2, 64 bytes a look)", best([&] { return lineEnds(text, plain::scanLineBlock); }, sink),
           best([&] { return lineEnds(text, fast::scanLineBlock); }, sink), load);
    report("key name ends (SSE2)", best([&] { return nameEnds(newParts, plain::plainNameEnd); }, sink),
           best([&] { return nameEnds(newParts, fast::plainNameEnd); }, sink), load);
    report("shared path of key lines (8 bytes)",
           best([&] { return sharedPrefixes(keyLines, plain::commonPrefixLength); }, sink),
           best([&] { return sharedPrefixes(keyLines, fast::commonPrefixLength); }, sink), load);
    // What the ASCII start of a string saves of its conversion; the rest is converted the same way.
    std::vector<std::string_view> strings;
    for (std::vector<RegKey*> keys{&file->root()}; !keys.empty();) {
        RegKey* key = keys.back();
        keys.pop_back();
        for (const RegValue& value : key->values()) {
            if (value.type == 1 || value.type == 2 || value.type == 7)
                strings.push_back(value.data);
        }
        for (std::size_t i = 0; i < key->childCount(); ++i)
            keys.push_back(key->child(i));
    }
    const auto convert = [&strings](auto narrowPrefix) {
        std::string out;
        std::size_t sum = 0;
        for (std::string_view bytes : strings) {
            const auto* units = reinterpret_cast<const unsigned char*>(bytes.data());
            const std::size_t count = bytes.size() / 2;
            out.resize(count * 3);
            const std::size_t ascii = narrowPrefix(units, count, out.data());
            // The rest as assignDataText() converts it.
            const unsigned char* rest = units + 2 * ascii;
            const auto unitAt = [rest](std::size_t k) {
                return std::uint32_t{rest[2 * k]} | (std::uint32_t{rest[2 * k + 1]} << 8);
            };
            out.resize(
                static_cast<std::size_t>(writeUtf8(out.data() + ascii, count - ascii, unitAt, false) - out.data()));
            sum += out.size();
        }
        return sum;
    };
    report("string data to UTF-8 (SSE2 ASCII start)", best([&] { return convert(plain::narrowAsciiPrefix); }, sink),
           best([&] { return convert(fast::narrowAsciiPrefix); }, sink), load);
    std::printf("(checksum %zu)\n", sink);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
#endif
}
