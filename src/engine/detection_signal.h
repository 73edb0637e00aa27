#pragma once

#include <string_view>

namespace tessivar {

struct ScanContext;

// Called once per problem recorded: plays the detection sound when "chkPlaySound" is exactly 1
// and "txtWaveFilesPath" names a file, and adds one to lblProblemsFound. True when a sound was
// started. The argument is not used (callers pass "NONE").
bool SignalDetection(ScanContext& context, std::string_view unused);

} // namespace tessivar
