#pragma once

#include <string>

namespace tessivar {

struct ScanContext;

// Walks every folder of one drive ("C:\") and hands each candidate file to the shortcut check;
// a drive whose volume cannot be read is not walked.
void WalkDrive(ScanContext& context, const std::string& root);

} // namespace tessivar
