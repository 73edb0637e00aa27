#pragma once
// What a user's process pays: a fresh child process doing the work once, its start, its page
// faults and its exit included. The warm figures of the benches (best of several rounds inside one
// process) leave all three out, so the ratios are judged on these.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tessivar::bench {

struct ColdFigure {
    double seconds = 1e9;         // best wall time of the rounds, fork to reaped
    double residentMegabytes = 0; // peak resident memory of the child (the largest of the rounds)
    bool ok = true;               // every round exited with 0

    // Takes in one more round.
    void add(const ColdFigure& round)
    {
        seconds = std::min(seconds, round.seconds);
        residentMegabytes = std::max(residentMegabytes, round.residentMegabytes);
        ok = ok && round.ok;
    }
};

// The peak memory a child reports (ru_maxrss) carries over what its parent had resident when it
// was spawned, and a bench holds large inputs by then; so every cold run is started by a fresh
// copy of the bench (`--cold-launch COMMAND...`), which holds nothing, and reports "seconds
// peak-kilobytes exit-status" of the command it ran.
inline int coldLaunch(char** command)
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int devNull = ::open("/dev/null", O_WRONLY);
        ::dup2(devNull, STDOUT_FILENO);
        ::dup2(devNull, STDERR_FILENO); // the commands' own notes; the exit status tells a failure
        ::execvp(command[0], command);
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.6f %ld %d\n", took, usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : 128);
    return 0;
}

// Runs the launcher before anything else of the bench, when this process is one.
inline const bool kIsColdLauncher = [] {
    static std::vector<std::string> words;
    std::FILE* file = std::fopen("/proc/self/cmdline", "rb");
    if (!file)
        return false;
    std::string word;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        if (c == '\0') {
            words.push_back(word);
            word.clear();
        } else {
            word += static_cast<char>(c);
        }
    }
    std::fclose(file);
    if (words.size() < 3 || words[1] != "--cold-launch")
        return false;
    std::vector<char*> command;
    for (std::size_t i = 2; i < words.size(); ++i)
        command.push_back(words[i].data());
    command.push_back(nullptr);
    std::fflush(stdout);
    std::exit(coldLaunch(command.data()));
}();

inline std::string selfPath()
{
    char path[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

// Runs `arguments` (a program and its arguments) `rounds` times as a fresh process, its output
// thrown away; `beforeEach` puts back what a round changes and is not timed.
inline ColdFigure runCold(const std::vector<std::string>& arguments, int rounds = 3,
                          const std::function<void()>& beforeEach = {})
{
    ColdFigure figure;
    std::string command = "'" + selfPath() + "' --cold-launch";
    for (const std::string& argument : arguments)
        command += " '" + argument + "'"; // the benches' own paths and words, no quote among them
    for (int round = 0; round < rounds; ++round) {
        if (beforeEach)
            beforeEach();
        std::FILE* pipe = ::popen(command.c_str(), "r");
        double took = 0;
        long peakKilobytes = 0;
        int status = 1;
        if (!pipe || std::fscanf(pipe, "%lf %ld %d", &took, &peakKilobytes, &status) != 3) {
            figure.ok = false;
            if (pipe)
                ::pclose(pipe);
            return figure;
        }
        ::pclose(pipe);
        figure.add({took, static_cast<double>(peakKilobytes) / 1024.0, status == 0});
    }
    return figure;
}

// This program run again as `PROGRAM --once WORK ARGUMENTS...`.
inline std::vector<std::string> selfOnce(const std::string& work, std::vector<std::string> arguments = {})
{
    std::vector<std::string> command{selfPath(), "--once", work};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
}

// The cold lines every bench prints, in one form: the work, the baseline, their ratio.
inline void printCold(const char* work, const ColdFigure& measured, const char* baselineName,
                      const ColdFigure& baseline)
{
    std::printf("cold process, %s: %.3f s, %.1f MB resident%s\n", work, measured.seconds, measured.residentMegabytes,
                measured.ok ? "" : "   (FAILED)");
    std::printf("cold process, %s: %.3f s, %.1f MB resident%s\n", baselineName, baseline.seconds,
                baseline.residentMegabytes, baseline.ok ? "" : "   (FAILED)");
    std::printf("cold ratio: %.2fx\n", measured.seconds / baseline.seconds);
}

inline bool isOnce(int argc, char** argv)
{
    return argc > 2 && std::strcmp(argv[1], "--once") == 0;
}

} // namespace tessivar::bench
