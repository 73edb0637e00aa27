#pragma once

// Scripted desktop services for the window units' tests: a folder chooser that answers from a
// queue, a host-path mapping that prefixes "Z:", a start-up entry that counts its calls, a
// screen of a chosen size and a program table for document kinds that records what it started.

#include "platform/desktop_services.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessivar::test {

class FakeFolderPicker : public FolderPicker {
  public:
    std::deque<std::optional<std::filesystem::path>> answers; // empty queue: cancelled
    std::vector<std::string> titles;

    std::optional<std::filesystem::path> chooseFolder(std::string_view title) override
    {
        titles.emplace_back(title);
        if (answers.empty())
            return std::nullopt;
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class FakeHostPaths : public HostPaths {
  public:
    std::string windowsPathOfHostFolder(const std::filesystem::path& hostFolder) override
    {
        std::string text = "Z:" + hostFolder.string();
        for (char& c : text)
            if (c == '/')
                c = '\\';
        return text;
    }
};

class FakeStartupEntry : public StartupEntry {
  public:
    std::vector<std::string> calls; // "write" or "remove", in order
    bool writeEntry() override
    {
        calls.emplace_back("write");
        return true;
    }
    bool removeEntry() override
    {
        calls.emplace_back("remove");
        return true;
    }
};

class FakeScreen : public ScreenInfo {
  public:
    ScreenMetrics metrics{1024, 768, 30};
    ScreenMetrics primaryScreen() override { return metrics; }
};

class FakeDocumentPrograms : public DocumentPrograms {
  public:
    struct Start {
        std::string program;
        std::string argument;
        ShowMode show = ShowMode::normal;
    };
    // The program by the document's extension, lower case without the dot.
    std::map<std::string, std::string, std::less<>> programs;
    std::vector<std::string> asked;
    std::vector<Start> started;
    // Runs when asked, while the throw-away document is there to be looked at.
    std::function<void(std::string_view documentPath)> whileAsked;

    std::string FindExecutableA(std::string_view documentPath) override
    {
        asked.emplace_back(documentPath);
        if (whileAsked)
            whileAsked(documentPath);
        const auto dot = documentPath.rfind('.');
        const auto found = dot == std::string_view::npos ? programs.end() : programs.find(documentPath.substr(dot + 1));
        return found == programs.end() ? std::string{} : found->second;
    }
    bool ShellExecuteA(std::string_view program, std::string_view argument, ShowMode show) override
    {
        started.push_back(Start{std::string(program), std::string(argument), show});
        return true;
    }
};

} // namespace tessivar::test
