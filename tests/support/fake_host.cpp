#include "support/fake_host.h"

#include "engine/scan_model.h"

namespace tessivar::test {

void FakeHost::yield()
{
    ++yields;
    auto found = m_actions.find(yields);
    if (found != m_actions.end()) {
        // Moved out first: an action may schedule further actions.
        auto actions = std::move(found->second);
        m_actions.erase(found);
        for (auto& action : actions)
            action();
    }
    if (m_everyYield)
        m_everyYield();
}

MessageAnswer FakeHost::showMessageBox(MessageKind kind, std::string_view outcomeText)
{
    const std::string request(MessageRequestText(kind));
    messageBoxKinds.push_back(request);
    outcomeTexts.emplace_back(outcomeText);
    if (whileMessageBoxOpen)
        whileMessageBoxOpen(request);
    if (m_answers.empty())
        return defaultAnswer;
    const MessageAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

bool FakeHost::playSoundAsync(const std::string& path)
{
    soundsPlayed.push_back(path);
    return soundStarts;
}

void FakeHost::atYield(std::uint64_t n, std::function<void()> action)
{
    m_actions[n].push_back(std::move(action));
}

void FakeHost::cancelAtYield(std::uint64_t n, ScanModel& model)
{
    atYield(n, [&model] { model.ScanCancelled = true; });
}

void FakeHost::resetCounts()
{
    yields = 0;
    m_actions.clear();
    messageBoxKinds.clear();
    outcomeTexts.clear();
    soundsPlayed.clear();
    picRefreshes = 0;
    idleResets = 0;
}

} // namespace tessivar::test
