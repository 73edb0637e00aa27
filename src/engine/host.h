#pragma once

// What long work asks of whoever shows it: a chance to repaint and react between steps, the
// modal message box, and a sound. The Qt window implements it with its event loop; the command
// line with no-ops and its own prompts; tests with scripted answers.

#include "engine/message_kind.h"

#include <string>
#include <string_view>

namespace tessivar {

class Host {
  public:
    virtual ~Host() = default;

    // Called after every step of a walk, a fill or a repair. Must be cheap: a scan calls it
    // once per key and per value.
    virtual void yield() = 0;

    // Shows the message box of `kind` modally and returns once it has closed. `outcomeText` is
    // what the "FILES REPAIRED" box reports about the run (the command line prints the same);
    // the questions ignore it. A box closed other than by its OK button answers no.
    virtual MessageAnswer showMessageBox(MessageKind kind, std::string_view outcomeText = {}) = 0;

    // Starts playing a wave file asynchronously, with no fallback sound; false when it could not.
    virtual bool playSoundAsync(const std::string& path) = 0;

    // Repaints the window's skinned pictures and lists; the cancel question calls it while the
    // scan waits. Nothing to do where there is no window.
    virtual void RefreshThePicControls() {}

    // Puts every skinned button of the main window back to its idle look, as the mouse moving
    // over the window's background does; the section list asks for it after each rebuild.
    virtual void Picture1_MouseMove() {}
};

} // namespace tessivar
