#pragma once

// A Host for tests: counts yields, runs scripted actions at chosen yields (to cancel a scan in the
// middle of a walk), answers message boxes from a queue and remembers which kinds were asked, and
// records the sounds it was asked to play.

#include "engine/host.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tessivar {
struct ScanModel;
}

namespace tessivar::test {

class FakeHost : public Host {
  public:
    void yield() override;
    MessageAnswer showMessageBox(MessageKind kind, std::string_view outcomeText = {}) override;
    bool playSoundAsync(const std::string& path) override;
    void RefreshThePicControls() override { ++picRefreshes; }
    void Picture1_MouseMove() override { ++idleResets; }

    // Runs `action` during the n-th yield (1-based, counted from construction or the last
    // resetCounts). Several actions may share one n; they run in the order they were added.
    void atYield(std::uint64_t n, std::function<void()> action);
    // Sets model.ScanCancelled at the n-th yield, as the cancel button does.
    void cancelAtYield(std::uint64_t n, ScanModel& model);
    // Runs `action` at every yield, after any action scheduled for that yield.
    void onEveryYield(std::function<void()> action) { m_everyYield = std::move(action); }

    // Answers for the next message boxes, in order. When the queue is empty the box answers
    // `defaultAnswer`.
    void queueAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    MessageAnswer defaultAnswer = MessageAnswer::no;
    // Runs while the box is "open", after the kind was recorded and before the answer is given.
    std::function<void(const std::string& kind)> whileMessageBoxOpen;

    // What playSoundAsync answers.
    bool soundStarts = true;

    void resetCounts();

    std::uint64_t yields = 0;
    std::vector<std::string> messageBoxKinds; // the request text of each kind asked for
    std::vector<std::string> outcomeTexts;    // what each box was given to show
    std::vector<std::string> soundsPlayed;    // every path asked for, whatever the answer
    int picRefreshes = 0;                     // RefreshThePicControls calls
    int idleResets = 0;                       // Picture1_MouseMove calls

  private:
    std::map<std::uint64_t, std::vector<std::function<void()>>> m_actions;
    std::function<void()> m_everyYield;
    std::deque<MessageAnswer> m_answers;
};

} // namespace tessivar::test
