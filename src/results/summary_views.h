#pragma once

// The summary list lvwRegistryProblems (one row per group that found problems) and the detail
// list lvwRegistryErrorsDetail (one sentence per problem of the clicked group), as operations on
// the model. Both are views over the problem and shortcut lists; a summary row is tied to its
// group only through the phrases its text contains.

#include "engine/scan_model.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar {

class Host;
struct ScanContext;

struct SummaryPhrase {
    std::string_view phrase;      // looked for in the clicked row's text
    std::string_view scannerName; // the group it lists
};

// The nine registry groups, in the order a click tests them.
extern const std::array<SummaryPhrase, 9> kSummaryPhrases;
inline constexpr std::string_view kShortcutSummaryPhrase = "Windows Shortcut";

// The summary row of a registry group; nullopt when the scanner name is not one of the nine
// (compared exactly).
std::optional<std::string> SectionSummaryRow(std::string_view scannerName, std::size_t count);
// "Invalid Windows Shortcut File (" + N + " Problems)", the row the driver appends after the
// drive walks when it found broken shortcuts.
std::string ShortcutSummaryRow(std::size_t count);
std::string ProblemDetailRow(std::string_view keyValue);
std::string ShortcutDetailRow(std::string_view path);

// What a summary row stands for: the scanner names of the registry groups whose phrase its text
// contains (letter case and surrounding blanks aside), in the order a click tests them, and
// whether it stands for the broken shortcuts.
struct SummaryRowGroups {
    std::vector<std::string_view> scannerNames;
    bool shortcuts = false;
};
SummaryRowGroups MatchSummaryRow(std::string_view summaryRow);

// The detail rows (sentences) a click on `summaryRow` lists, read from the model as it stands:
// nothing is changed and nothing yields, so a printer or a test can read them at once.
std::vector<std::string> SummaryDetailRows(const ScanModel& model, std::string_view summaryRow);

// Appends the group's summary row; nothing when the count is 0 or the scanner name is unknown.
void AddSectionSummary(ScanModel& model, std::size_t count, std::string_view scannerName);
void AddSectionSummary(ScanContext& context, std::size_t count, std::string_view scannerName);

// A click on summary row `clickedRow` (0-based). Does nothing unless the summary list has a
// selected row; otherwise replaces the detail list with the sentences of every group whose
// phrase the row's text contains. Yields after each entry examined. When another click starts a
// new fill during one of those yields, the older fill stops, so the list holds one group's rows.
void ShowGroupDetails(ScanModel& model, Host& host, std::size_t clickedRow);
void ShowGroupDetails(ScanContext& context, std::size_t clickedRow);

// Appends one sentence per problem-list entry of that scanner name (exact), in list order,
// yielding after each entry examined.
void ListSectionDetails(ScanModel& model, Host& host, std::string_view scannerName);

// A click on column header `column` (0-based): that column becomes the sort key, sorting is on,
// and the direction flips: a list sorted ascending becomes descending, any other ascending. The
// rows are sorted at once; the selected row stays selected.
void SortByColumnHeader(TextList& list, int column);
void lvwRegistryProblems_ColumnClick(ScanModel& model, int column);
void lvwRegistryErrorsDetail_ColumnClick(ScanModel& model, int column);

// Appends a row where a sorted list keeps it: in order when sorting is on, at the end otherwise.
void AddListRow(TextList& list, std::string row);

} // namespace tessivar
