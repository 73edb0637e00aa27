#include "platform/wine/reg_file.h"

#include "platform/wine/large_blocks.h"
#include "platform/wine/reg_file_parser.h"
#include "platform/wine/reg_text.h"

#include <algorithm>
#include <chrono>

namespace tessivar::wine {

namespace {

// More than this many problems says nothing new, and a hostile file must not fill the memory.
constexpr std::size_t kMaxProblems = 100;
// The first blocks of keys and names: what a small file needs. Later ones double up to huge pages.
constexpr std::size_t kFirstKeyBlockBytes = 64u << 10;
constexpr std::size_t kFirstNameBlockBytes = 16u << 10;

template <typename T> void reserveOneMore(std::vector<T>& items)
{
    if (items.size() == items.capacity())
        items.reserve(2 * items.size() + 1);
}

} // namespace

std::uint64_t filetimeNow()
{
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const auto ticks = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count() / 100;
    return kFiletimeUnixEpoch + static_cast<std::uint64_t>(ticks);
}

// --- RegKey ---

std::size_t RegKey::lowerBoundChild(std::u16string_view name) const
{
    // Files are sorted, so while reading, a key usually goes last or is the last one again.
    if (!m_children.empty()) {
        const int order = compareNames(m_children.back()->m_name, name);
        if (order < 0)
            return m_children.size();
        if (order == 0)
            return m_children.size() - 1;
    }
    const auto it = std::lower_bound(
        m_children.begin(), m_children.end(), name,
        [](const RegKey* entry, std::u16string_view wanted) { return compareNames(entry->m_name, wanted) < 0; });
    return static_cast<std::size_t>(it - m_children.begin());
}

RegKey* RegKey::findChild(std::u16string_view name) const
{
    const std::size_t index = lowerBoundChild(name);
    if (index < m_children.size() && namesEqual(m_children[index]->m_name, name))
        return m_children[index];
    return nullptr;
}

RegKey* RegKey::obtainChild(std::u16string_view name)
{
    const std::size_t index = lowerBoundChild(name);
    if (index < m_children.size() && namesEqual(m_children[index]->m_name, name))
        return m_children[index];
    RegKey* key = m_file->makeKey(this, name);
    m_children.insert(m_children.begin() + static_cast<std::ptrdiff_t>(index), key);
    return key;
}

RegKey* RegKey::createChild(std::u16string_view name, std::uint64_t filetime, bool* created)
{
    if (RegKey* existing = findChild(name)) {
        if (created)
            *created = false;
        return existing;
    }
    touch(filetime);
    RegKey* key = obtainChild(name);
    key->m_modified = filetime;
    key->m_changed = true;
    key->markDecoded();
    if (created)
        *created = true;
    return key;
}

void RegKey::removeChild(RegKey* child, std::uint64_t filetime)
{
    const auto it = std::find(m_children.begin(), m_children.end(), child);
    if (it == m_children.end())
        return;
    touch(filetime);
    std::vector<RegKey*> stack;
    stack.push_back(child);
    while (!stack.empty()) {
        RegKey* next = stack.back();
        stack.pop_back();
        next->m_deleted = true;
        stack.insert(stack.end(), next->m_children.begin(), next->m_children.end());
    }
    m_children.erase(it);
}

void RegKey::addSection(const TextSlice& slice)
{
    if (!m_hasSection) {
        m_section = slice;
        m_hasSection = true;
        return;
    }
    if (!m_moreSections)
        m_moreSections = std::make_unique<std::vector<TextSlice>>();
    m_moreSections->push_back(slice);
}

void RegKey::decodeValues()
{
    std::uint8_t state = m_decoding.load(std::memory_order_acquire);
    if (state == kDecoded)
        return;
    if (state == kUndecoded && m_decoding.compare_exchange_strong(state, kDecoding, std::memory_order_acquire)) {
        for (std::size_t i = 0; i < sectionCount(); ++i)
            RegFileParser::decodeSection(m_file->m_text->view(), section(i), m_values, nullptr);
        if (m_decoding.exchange(kDecoded, std::memory_order_acq_rel) == kDecodingAwaited)
            m_decoding.notify_all();
        return;
    }
    // Another thread decodes them right now.
    while (state != kDecoded) {
        if (state == kDecoding && !m_decoding.compare_exchange_weak(state, kDecodingAwaited, std::memory_order_acquire))
            continue;
        m_decoding.wait(kDecodingAwaited, std::memory_order_acquire);
        state = m_decoding.load(std::memory_order_acquire);
    }
}

const std::vector<RegValue>& RegKey::values()
{
    decodeValues();
    return m_values;
}

const RegValue* RegKey::findValue(std::u16string_view name)
{
    decodeValues();
    const auto it =
        std::lower_bound(m_values.begin(), m_values.end(), name, [](const RegValue& entry, std::u16string_view wanted) {
            return compareNames(entry.name, wanted) < 0;
        });
    if (it != m_values.end() && namesEqual(it->name, name))
        return &*it;
    return nullptr;
}

void RegKey::setValue(std::u16string_view name, std::uint32_t type, std::string data, std::uint64_t filetime)
{
    touch(filetime);
    RegFileParser::mergeValue(m_values, RegValue{std::u16string(name), type, std::move(data)});
}

bool RegKey::removeValue(std::u16string_view name, std::uint64_t filetime)
{
    decodeValues();
    const auto it = std::find_if(m_values.begin(), m_values.end(),
                                 [name](const RegValue& entry) { return namesEqual(entry.name, name); });
    if (it == m_values.end())
        return false;
    touch(filetime);
    m_values.erase(it);
    return true;
}

void RegKey::removeAllValues(std::uint64_t filetime)
{
    touch(filetime);
    m_values.clear();
}

void RegKey::setClassName(std::u16string className, std::uint64_t filetime)
{
    touch(filetime);
    m_class = std::make_unique<std::u16string>(std::move(className));
}

void RegKey::touch(std::uint64_t filetime)
{
    if (m_file->m_beforeChange)
        m_file->m_beforeChange();
    decodeValues(); // the key is now written from its values, so they must be at hand
    m_modified = filetime;
    m_changed = true;
    m_file->m_changed = true;
}

// --- RegFile ---

RegFile::~RegFile()
{
    for (std::size_t block = 0; block < m_keyBlocks.size(); ++block) {
        const std::size_t count =
            block + 1 == m_keyBlocks.size() ? m_keysInLastBlock : m_keyBlocks[block].bytes / sizeof(RegKey);
        std::destroy_n(static_cast<RegKey*>(m_keyBlocks[block].memory), count);
        freeBlock(m_keyBlocks[block].memory, m_keyBlocks[block].bytes);
    }
    for (const Block& block : m_nameBlocks)
        freeBlock(block.memory, block.bytes);
}

RegKey* RegFile::makeKey(RegKey* parent, std::u16string_view name)
{
    if (name.size() > m_nameUnitsLeft) {
        // A name longer than a block (only a damaged file has one) gets a block of its own.
        const std::size_t bytes = std::max(name.size() * sizeof(char16_t),
                                           nextBlockBytes(kFirstNameBlockBytes, kHugeBlockBytes, m_nameBlocks.size()));
        reserveOneMore(m_nameBlocks); // room first, so that a new block is never lost
        m_nameBlocks.push_back(Block{allocateBlock(bytes), bytes});
        m_nextNameUnit = static_cast<char16_t*>(m_nameBlocks.back().memory);
        m_nameUnitsLeft = bytes / sizeof(char16_t);
    }
    std::copy(name.begin(), name.end(), m_nextNameUnit);
    const std::u16string_view kept(m_nextNameUnit, name.size());
    m_nextNameUnit += name.size();
    m_nameUnitsLeft -= name.size();

    if (m_keysInLastBlock == m_keysFitLastBlock) {
        const std::size_t bytes = nextBlockBytes(kFirstKeyBlockBytes, 2 * kHugeBlockBytes, m_keyBlocks.size());
        reserveOneMore(m_keyBlocks);
        m_keyBlocks.push_back(Block{allocateBlock(bytes), bytes});
        m_keysInLastBlock = 0;
        m_keysFitLastBlock = bytes / sizeof(RegKey);
    }
    RegKey* key = new (static_cast<RegKey*>(m_keyBlocks.back().memory) + m_keysInLastBlock) RegKey(this, parent, kept);
    ++m_keysInLastBlock;
    return key;
}

RegKey* RegFile::makeRoot(std::uint64_t filetime)
{
    m_root = makeKey(nullptr, {});
    m_root->m_modified = filetime;
    return m_root;
}

std::unique_ptr<RegFile> RegFile::parse(std::string text, std::string fileName, std::uint64_t loadTime)
{
    return parse(RegTextBuffer::fromString(std::move(text)), std::move(fileName), loadTime);
}

std::unique_ptr<RegFile> RegFile::parse(std::unique_ptr<RegTextBuffer> text, std::string fileName,
                                        std::uint64_t loadTime)
{
    std::unique_ptr<RegFile> file(new RegFile());
    file->m_text = std::move(text);
    file->m_fileName = std::move(fileName);
    file->makeRoot(loadTime);
    RegFileParser::load(*file, loadTime);
    if (!file->m_headerValid) {
        // The server ignores such a file completely and starts with an empty branch.
        file->makeRoot(loadTime);
        file->m_headerLength = 0;
    }
    return file;
}

std::unique_ptr<RegFile> RegFile::load(const std::filesystem::path& path, std::string fileName, std::uint64_t loadTime,
                                       bool* exists, LargeFileRead how)
{
    if (auto text = RegTextBuffer::startReading(path, exists, how)) {
        auto file = parse(std::move(text), fileName, loadTime);
        if (file->m_text->finishReading())
            return file;
    }
    // The read failed, or the file changed size while it was read: read it once more as a whole.
    auto text = RegTextBuffer::readFile(path, exists);
    return text ? parse(std::move(text), std::move(fileName), loadTime) : nullptr;
}

std::unique_ptr<RegFile> RegFile::createEmpty(std::string fileName, std::string_view rootPath, std::string_view arch)
{
    std::unique_ptr<RegFile> file(new RegFile());
    file->m_text = RegTextBuffer::fromString({});
    file->m_fileName = std::move(fileName);
    file->makeRoot(filetimeNow());
    file->m_root->markDecoded();
    file->m_root->m_changed = true;
    file->m_arch = std::string(arch);
    std::string header = "WINE REGISTRY Version 2\n;; All keys relative to ";
    for (char c : rootPath) {
        header += c;
        if (c == '\\')
            header += '\\';
    }
    header += "\n";
    if (!arch.empty())
        header += "\n#arch=" + std::string(arch) + "\n";
    file->m_newHeader = std::move(header);
    return file;
}

void RegFile::addProblem(std::size_t line, std::string message)
{
    if (m_problems.size() < kMaxProblems)
        m_problems.push_back(ParseProblem{line, std::move(message)});
}

const std::vector<ParseProblem>& RegFile::problems()
{
    if (!m_valuesChecked) {
        m_valuesChecked = true;
        std::vector<RegKey*> stack{m_root};
        std::vector<RegValue> scratch;
        while (!stack.empty()) {
            RegKey* key = stack.back();
            stack.pop_back();
            for (std::size_t i = 0; i < key->sectionCount(); ++i) {
                scratch.clear();
                RegFileParser::decodeSection(m_text->view(), key->section(i), scratch, this);
            }
            stack.insert(stack.end(), key->m_children.begin(), key->m_children.end());
        }
        std::stable_sort(m_problems.begin(), m_problems.end(),
                         [](const ParseProblem& a, const ParseProblem& b) { return a.line < b.line; });
    }
    return m_problems;
}

std::string RegFile::firstProblemMessage()
{
    const auto& found = problems();
    if (found.empty())
        return {};
    return m_fileName + " line " + std::to_string(found.front().line) + ": " + found.front().message;
}

} // namespace tessivar::wine
