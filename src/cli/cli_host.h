#pragma once

// The host of a scan without a window: nothing to repaint, nobody to ask, no sound. No cancel
// can happen headless, so a question is never put; should one be, it is answered no, which
// leaves everything as it is. The repair's report is printed by the command itself.

#include "engine/host.h"

#include <string>

namespace tessivar {

class CliHost final : public Host {
  public:
    void yield() override {}
    MessageAnswer showMessageBox(MessageKind, std::string_view) override { return MessageAnswer::no; }
    bool playSoundAsync(const std::string&) override { return false; }
};

} // namespace tessivar
