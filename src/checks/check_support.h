#pragma once

#include "platform/text_utils.h"

// What every registry check shares: the text helpers its rules are written in, and the one way a
// missing file becomes a row of the problem list.

#include "platform/registry.h"

#include <string>
#include <string_view>

namespace tessivar {

struct ScanContext;

namespace checks {

// The six things every check receives, bundled so that the steps of a check can pass them on.
struct CheckInput {
    ScanContext& context;
    HKEY hive;
    const std::string& hiveName;
    const std::string& valueName;
    const std::string& scannerName;
    const std::string& keyPath;
};

// Whether nothing but blanks (spaces) is in `text`.
bool isBlank(std::string_view text);
bool contains(std::string_view text, std::string_view part);
bool containsIgnoringCase(std::string_view text, std::string_view part);
// `folder` with a trailing backslash (unless blank or already there), then `name`.
std::string inSystemFolder(ScanContext& context, std::string_view name);

enum class CompletedWithSystemFolder { no, yes };

// Records `path` unless a file or a folder of that name exists (or the test cannot be carried
// out): a folder that is there is never a missing file.
void recordIfMissing(const CheckInput& input, const std::string& path,
                     CompletedWithSystemFolder completed = CompletedWithSystemFolder::no);

} // namespace checks
} // namespace tessivar
