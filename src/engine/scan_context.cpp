#include "engine/scan_context.h"

#include "engine/detection_signal.h"

namespace tessivar {

void recordProblem(ScanContext& context, ProblemEntry entry)
{
    context.model.lvwErrors.append(std::move(entry));
    SignalDetection(context, "NONE");
}

void recordShortcut(ScanContext& context, std::string path)
{
    context.model.lvwShortcut.append(ShortcutEntry{std::move(path)});
    SignalDetection(context, "NONE");
}

std::string hiveHandleText(HKEY hive)
{
    return std::to_string(static_cast<std::int32_t>(hive));
}

} // namespace tessivar
