#pragma once

// What lets a window follow the model without re-reading it: every piece of state a window shows
// announces its own change to one ModelObserver, which the Qt window implements. A scalar is an
// Observed<T> (assignment compares, and only a different value is announced); a list changes only
// through methods that say which rows were appended, inserted, removed or changed, or that the
// whole list was reset. Without an observer an announcement costs one pointer test.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace tessivar {

// The parts of the model a window shows, named after the controls (or lists) that show them.
enum class ModelPart : std::uint8_t {
    // Lists: announced through ModelObserver::rowsChanged.
    lvwErrors,
    lvwShortcut,
    lvwRegistryProblems,
    lvwRegistryErrorsDetail,
    lvwRegistryvaluesScan,
    // Scalars: announced through ModelObserver::partChanged.
    lvwRegistryProblemsSelectedRow,
    lvwRegistryErrorsDetailSelectedRow,
    chkSelectlistviewItems,
    ScanStartTime,
    ScanEndTime,
    lblStatus,
    lblRegistryScan,
    lblRegistryFilesScan,
    lblProblemsFound,
    PicProgressWidth,
    ImgDeleteProgressInsideWidth,
    ImgDeleteProgressWidth,
    ImgScanNowNormalEnabled,
    cmdCancelOrStopEnabled,
    cmdCancelOrStopCaption,
    PicScanningVisible,
    PicResultsVisible,
    PicBugVisible,
    frontPanel,
    FrameScanningVisible,
    FrameRegistryProblemsDetailsVisible,
    FrameScanSettingShelidButtonVisible,
    lblDeletingCourrutpfilsVisible,
    ImgDeleteProgressVisible,
    tmrPicVisibleOrNotEnabled,
    tmrRefreshlvwContentsEnabled,
    cmdShowLogEnabled,
    mainWindowEnabled,
    mousePointer,
    lvwRegistryProblemsVisible,
    lvwRegistryErrorsDetailVisible,
    ImgRepairNormalEnabled,
    ImgReturnNormalEnabled,
};

// How a list changed. Rows are 0-based; `first` and `count` say which rows, counted in the list
// as it stands after the change (for `removed`, as it stood before).
enum class RowChange : std::uint8_t {
    appended, // rows added at the end
    inserted, // rows added before the end (a sorted list keeps its order)
    removed,  // rows taken out
    changed,  // rows whose content changed in place (a check box, a highlight)
    reset,    // the whole list replaced, emptied or reordered; first and count are 0
};

// Told after each change, on the thread that made it (the core runs on the window's thread). A Qt
// item model keeps its own row count and brackets each announcement with the matching
// begin/end calls.
class ModelObserver {
  public:
    virtual ~ModelObserver() = default;
    virtual void partChanged(ModelPart part) = 0;
    virtual void rowsChanged(ModelPart list, RowChange change, std::size_t first, std::size_t count) = 0;
};

// Where a piece of the model finds the observer: the model's own observer pointer, which may be
// set after the piece was built. A piece built alone (in a test, say) has none.
struct ObserverSlot {
    ModelObserver* observer = nullptr;
};

// Tells the observer, if there is one, that a scalar changed.
inline void announcePart(const ObserverSlot* slot, ModelPart part)
{
    if (slot != nullptr && slot->observer != nullptr) [[unlikely]]
        slot->observer->partChanged(part);
}

inline void announceRows(const ObserverSlot* slot, ModelPart list, RowChange change, std::size_t first,
                         std::size_t count)
{
    if (slot != nullptr && slot->observer != nullptr) [[unlikely]]
        slot->observer->rowsChanged(list, change, first, count);
}

// A value a window shows. Reads go through the implicit conversion or get(); an assignment of an
// equal value announces nothing.
template <typename T> class Observed {
  public:
    Observed() = default;
    Observed(T value) : m_value(std::move(value)) {}
    Observed(const ObserverSlot* slot, ModelPart part, T value = T{})
        : m_slot(slot), m_part(part), m_value(std::move(value))
    {
    }
    Observed(const Observed&) = delete;
    Observed& operator=(const Observed& other) { return *this = other.m_value; }

    Observed& operator=(const T& value)
    {
        if (!(m_value == value)) {
            m_value = value;
            announcePart(m_slot, m_part);
        }
        return *this;
    }
    Observed& operator=(T&& value)
    {
        if (!(m_value == value)) {
            m_value = std::move(value);
            announcePart(m_slot, m_part);
        }
        return *this;
    }
    template <typename U>
    requires(!std::is_same_v<std::remove_cvref_t<U>, T> && std::is_assignable_v<T&, U&&>) Observed& operator=(U&& value)
    {
        return *this = T(std::forward<U>(value));
    }

    // A text shown for every key and value of a walk keeps its buffer: it is set in place,
    // after the same comparison as an assignment.
    void assign(std::string_view text) requires std::is_same_v<T, std::string>
    {
        if (std::string_view(m_value) != text) {
            m_value.assign(text);
            announcePart(m_slot, m_part);
        }
    }
    void assign(const char* text, std::size_t length) requires std::is_same_v<T, std::string>
    {
        assign(std::string_view(text, length));
    }
    void clear() requires std::is_same_v<T, std::string> { assign(std::string_view()); }
    // Lets `edit` change the value in place and announces it without comparing, for a writer
    // that fills a reused buffer (where a comparison would cost a copy).
    template <typename Edit> void edit(Edit&& change)
    {
        std::forward<Edit>(change)(m_value);
        announcePart(m_slot, m_part);
    }
    template <typename U> Observed& operator+=(const U& step) { return *this = static_cast<T>(m_value + step); }
    template <typename U> Observed& operator-=(const U& step) { return *this = static_cast<T>(m_value - step); }

    const T& get() const { return m_value; }
    operator const T&() const { return m_value; }
    operator std::string_view() const requires std::is_same_v<T, std::string> { return m_value; }
    const T* operator->() const { return &m_value; }

    template <typename U> friend bool operator==(const Observed& a, const U& b) { return a.m_value == b; }
    friend bool operator==(const Observed& a, const Observed& b) { return a.m_value == b.m_value; }
    template <typename Stream>
    requires requires(Stream& out, const T& value) { out << value; }
    friend Stream& operator<<(Stream& out, const Observed& value)
    {
        out << value.m_value;
        return out;
    }

  private:
    const ObserverSlot* m_slot = nullptr;
    ModelPart m_part{};
    T m_value{};
};

// A list of rows a window shows. Reads like a read-only container; every change is announced.
template <typename Row, typename Container> class ObservedRows {
  public:
    ObservedRows() = default;
    ObservedRows(const ObserverSlot* slot, ModelPart part) : m_slot(slot), m_part(part) {}
    ObservedRows(const ObservedRows&) = delete;
    ObservedRows& operator=(const ObservedRows&) = delete;
    // Replaces every row: one reset.
    ObservedRows& operator=(Container rows)
    {
        assign(std::move(rows));
        return *this;
    }

    std::size_t size() const { return m_rows.size(); }
    bool empty() const { return m_rows.empty(); }
    const Row& operator[](std::size_t i) const { return m_rows[i]; }
    const Row& front() const { return m_rows.front(); }
    const Row& back() const { return m_rows.back(); }
    auto begin() const { return m_rows.begin(); }
    auto end() const { return m_rows.end(); }
    const Container& get() const { return m_rows; }
    operator const Container&() const { return m_rows; }
    // Moves the rows out, leaving the list empty (announced as a reset).
    Container release()
    {
        Container rows = std::move(m_rows);
        m_rows = Container();
        if (!rows.empty())
            announceRows(m_slot, m_part, RowChange::reset, 0, 0);
        return rows;
    }
    friend bool operator==(const ObservedRows& a, const Container& b) { return a.m_rows == b; }

    void append(Row row)
    {
        m_rows.push_back(std::move(row));
        announceRows(m_slot, m_part, RowChange::appended, m_rows.size() - 1, 1);
    }
    // Inserts before row `index` (at the end when index is size()).
    void insert(std::size_t index, Row row)
    {
        if (index >= m_rows.size()) {
            append(std::move(row));
            return;
        }
        m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(index), std::move(row));
        announceRows(m_slot, m_part, RowChange::inserted, index, 1);
    }
    void removeFirst()
    {
        if (m_rows.empty())
            return;
        m_rows.erase(m_rows.begin());
        announceRows(m_slot, m_part, RowChange::removed, 0, 1);
    }
    // Empties the list; announces nothing when it was empty already.
    void clear()
    {
        if (m_rows.empty())
            return;
        m_rows.clear();
        announceRows(m_slot, m_part, RowChange::reset, 0, 0);
    }
    void assign(Container rows)
    {
        if (m_rows.empty() && rows.empty())
            return;
        m_rows = std::move(rows);
        announceRows(m_slot, m_part, RowChange::reset, 0, 0);
    }
    // Lets `change` edit row `index` in place, then announces that row.
    template <typename Change> void update(std::size_t index, Change&& change)
    {
        std::forward<Change>(change)(m_rows[index]);
        announceRows(m_slot, m_part, RowChange::changed, index, 1);
    }

  private:
    const ObserverSlot* m_slot = nullptr;
    ModelPart m_part{};
    Container m_rows;
};

} // namespace tessivar
