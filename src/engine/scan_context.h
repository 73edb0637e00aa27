#pragma once

// Everything a scan, a repair or a restore works with, handed down by reference: the platform
// back-ends, the settings, the host that shows the work, and the window's model.

#include "engine/host.h"
#include "engine/problem_list.h"
#include "engine/scan_model.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/registry.h"

#include <string>

namespace tessivar {

class SettingsStore;

struct ScanContext {
    Registry& registry;
    FileSystem& files;
    SettingsStore& settings;
    Clock& clock;
    Host& host;
    ScanModel& model;
};

// Appends a complete row to the problem list, then signals one detection (sound when enabled,
// one more on lblProblemsFound).
void recordProblem(ScanContext& context, ProblemEntry entry);
// The same for a broken shortcut file.
void recordShortcut(ScanContext& context, std::string path);

// The hive handle as the problem list stores it: signed 32-bit decimal text.
std::string hiveHandleText(HKEY hive);

} // namespace tessivar
