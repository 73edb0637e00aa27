#include "results/summary_views.h"

#include "engine/host.h"
#include "engine/scan_context.h"
#include "platform/text_utils.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace tessivar {

const std::array<SummaryPhrase, 9> kSummaryPhrases{{
    {"Custom Controls", "ActiveX \\ COM"},
    {"Sub Section Controls", "ActiveX \\ COM Subsections"},
    {"Software Locations", "Application Paths"},
    {"Help Files", "Help Files"},
    {"Shared Files", "Microsoft Shared"},
    {"Windows Startup", "Windows Startup"},
    {"Uninstall Section", "Uninstall Section"},
    {"Virtual Devices", "VxD Section"},
    {"Windows Fonts", "Windows Fonts"},
}};

namespace {

// The text a row shows in column `column`; the lists have one column.
std::string_view cellText(const std::string& row, int column)
{
    return column == 0 ? std::string_view(row) : std::string_view();
}

// Text order as a list view sorts: letter case aside, then the bytes, so the order is total.
bool textLess(std::string_view a, std::string_view b)
{
    const auto folded = [](std::string_view s) { return upper(s); };
    const std::string x = folded(a);
    const std::string y = folded(b);
    return x != y ? x < y : a < b;
}

bool rowBefore(const TextList& list, const std::string& a, const std::string& b)
{
    const auto x = cellText(a, list.sortKey);
    const auto y = cellText(b, list.sortKey);
    return list.sortOrder == SortOrder::ascending ? textLess(x, y) : textLess(y, x);
}

} // namespace

std::optional<std::string> SectionSummaryRow(std::string_view scannerName, std::size_t count)
{
    const std::string n = std::to_string(count);
    if (scannerName == "ActiveX \\ COM")
        return "Invalid Custom Controls ( " + n + " Problem(s) )";
    if (scannerName == "ActiveX \\ COM Subsections")
        return "Invalid Sub Section Controls ( " + n + " Problem(s) )";
    if (scannerName == "Application Paths")
        return "Invalid Software Locations ( " + n + " Problem(s) )";
    if (scannerName == "Help Files")
        return "Invalid Help Files ( " + n + " Problem(s) )";
    if (scannerName == "Microsoft Shared")
        return "Invalid Shared Files ( " + n + " Problem(s) )";
    if (scannerName == "Windows Startup")
        return "Invalid Windows Startup Files  ( " + n + " Problem(s) )";
    if (scannerName == "Uninstall Section")
        return "Invalid Uninstall Section File  ( " + n + " Problem(s) )";
    if (scannerName == "VxD Section")
        return "Invalid Virtual Devices ( " + n + " Problem(s) )";
    if (scannerName == "Windows Fonts")
        return "Invalid Windows Fonts (  " + n + " Problem(s) )";
    return std::nullopt;
}

std::string ShortcutSummaryRow(std::size_t count)
{
    return "Invalid Windows Shortcut File (" + std::to_string(count) + " Problems)";
}

std::string ProblemDetailRow(std::string_view keyValue)
{
    return "This file could not be found on your hard drive:" + std::string(keyValue);
}

std::string ShortcutDetailRow(std::string_view path)
{
    return "The path of this file is incorrect : " + std::string(path);
}

SummaryRowGroups MatchSummaryRow(std::string_view summaryRow)
{
    const std::string wanted = upper(trimmed(summaryRow));
    SummaryRowGroups groups;
    for (const SummaryPhrase& group : kSummaryPhrases) {
        if (wanted.find(upper(group.phrase)) != std::string::npos)
            groups.scannerNames.push_back(group.scannerName);
    }
    groups.shortcuts = wanted.find(upper(kShortcutSummaryPhrase)) != std::string::npos;
    return groups;
}

std::vector<std::string> SummaryDetailRows(const ScanModel& model, std::string_view summaryRow)
{
    const SummaryRowGroups groups = MatchSummaryRow(summaryRow);
    std::vector<std::string> rows;
    for (std::string_view scannerName : groups.scannerNames) {
        for (const ProblemEntry& entry : model.lvwErrors) {
            if (entry.RegistryScanners == scannerName)
                rows.push_back(ProblemDetailRow(entry.KeyValue));
        }
    }
    if (groups.shortcuts) {
        for (const ShortcutEntry& entry : model.lvwShortcut)
            rows.push_back(ShortcutDetailRow(entry.path));
    }
    return rows;
}

void AddSectionSummary(ScanModel& model, std::size_t count, std::string_view scannerName)
{
    if (count == 0)
        return;
    if (auto row = SectionSummaryRow(scannerName, count))
        AddListRow(model.lvwRegistryProblems, std::move(*row));
}

void AddSectionSummary(ScanContext& context, std::size_t count, std::string_view scannerName)
{
    AddSectionSummary(context.model, count, scannerName);
}

void ListSectionDetails(ScanModel& model, Host& host, std::string_view scannerName)
{
    const std::uint64_t fill = model.lvwRegistryErrorsDetailFill;
    // The count is read afresh at each step: a yield may let a new scan or a repair empty the list.
    for (std::size_t i = 1; i <= model.lvwErrors.count(); ++i) {
        const ProblemEntry& entry = model.lvwErrors.at(i);
        if (entry.RegistryScanners == scannerName)
            AddListRow(model.lvwRegistryErrorsDetail, ProblemDetailRow(entry.KeyValue));
        host.yield();
        if (model.lvwRegistryErrorsDetailFill != fill)
            return;
    }
}

void ShowGroupDetails(ScanModel& model, Host& host, std::size_t clickedRow)
{
    const TextList& summary = model.lvwRegistryProblems;
    if (summary.selectedRow < 0 || static_cast<std::size_t>(summary.selectedRow) >= summary.rows.size() ||
        clickedRow >= summary.rows.size())
        return;

    const std::uint64_t fill = ++model.lvwRegistryErrorsDetailFill;
    model.lvwRegistryErrorsDetail.rows.clear();
    model.lvwRegistryErrorsDetail.selectedRow = -1;
    // Matched on a copy: the summary list may change while the fill yields.
    const SummaryRowGroups groups = MatchSummaryRow(summary.rows[clickedRow]);

    for (std::string_view scannerName : groups.scannerNames) {
        ListSectionDetails(model, host, scannerName);
        if (model.lvwRegistryErrorsDetailFill != fill)
            return;
    }

    if (groups.shortcuts) {
        for (std::size_t i = 1; i <= model.lvwShortcut.count(); ++i) {
            AddListRow(model.lvwRegistryErrorsDetail, ShortcutDetailRow(model.lvwShortcut.at(i).path));
            host.yield();
            if (model.lvwRegistryErrorsDetailFill != fill)
                return;
        }
    }
}

void ShowGroupDetails(ScanContext& context, std::size_t clickedRow)
{
    ShowGroupDetails(context.model, context.host, clickedRow);
}

void SortByColumnHeader(TextList& list, int column)
{
    const bool wasAscending = list.sorted && list.sortOrder == SortOrder::ascending;
    list.sortKey = column;
    list.sorted = true;
    list.sortOrder = wasAscending ? SortOrder::descending : SortOrder::ascending;

    std::vector<std::size_t> order(list.rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return rowBefore(list, list.rows[a], list.rows[b]); });
    std::vector<std::string> rows;
    rows.reserve(order.size());
    int selected = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (static_cast<int>(order[i]) == list.selectedRow)
            selected = static_cast<int>(i);
        rows.push_back(list.rows[order[i]]);
    }
    list.rows.assign(std::move(rows));
    list.selectedRow = selected;
}

void lvwRegistryProblems_ColumnClick(ScanModel& model, int column)
{
    SortByColumnHeader(model.lvwRegistryProblems, column);
}

void lvwRegistryErrorsDetail_ColumnClick(ScanModel& model, int column)
{
    SortByColumnHeader(model.lvwRegistryErrorsDetail, column);
}

void AddListRow(TextList& list, std::string row)
{
    if (!list.sorted) {
        list.rows.append(std::move(row));
        return;
    }
    const auto at = std::upper_bound(list.rows.begin(), list.rows.end(), row,
                                     [&](const std::string& a, const std::string& b) { return rowBefore(list, a, b); });
    const auto position = static_cast<int>(at - list.rows.begin());
    list.rows.insert(static_cast<std::size_t>(position), std::move(row));
    if (list.selectedRow >= position)
        list.selectedRow = list.selectedRow + 1;
}

} // namespace tessivar
