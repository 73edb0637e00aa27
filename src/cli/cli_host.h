#pragma once

// The host of a scan without a window: nothing to repaint, nobody to ask, no sound. No cancel
// can happen headless, so a question is never put; should one be, it is answered "NO", which
// leaves everything as it is.

#include <string>

#include "engine/host.h"

namespace tessivar {

class CliHost final : public Host {
public:
    void yield() override {}
    void showMessageBox(std::string& MessageboxRequest) override { MessageboxRequest = "NO"; }
    bool playSoundAsync(const std::string&) override { return false; }
};

} // namespace tessivar
