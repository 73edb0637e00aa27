#pragma once
// What a user's process pays: a fresh child process doing the work once, its start, its page
// faults and its exit included. The warm figures of the benches (best of several rounds inside one
// process) leave all three out, so the ratios are judged on these.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tessivar::bench {

struct ColdFigure {
    double seconds = 1e9;         // best wall time of the rounds, spawn to reaped
    double residentMegabytes = 0; // peak resident memory of the child (the largest of the rounds)
    bool ok = true;               // every round exited with 0
};

// Runs `arguments` (a program and its arguments) `rounds` times as a fresh process, its output
// thrown away; `beforeEach` puts back what a round changes and is not timed.
inline ColdFigure runCold(const std::vector<std::string>& arguments, int rounds = 3,
                          const std::function<void()>& beforeEach = {})
{
    ColdFigure figure;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    for (int round = 0; round < rounds; ++round) {
        if (beforeEach)
            beforeEach();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        const auto start = std::chrono::steady_clock::now();
        pid_t child = 0;
        const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            figure.ok = false;
            return figure;
        }
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        figure.seconds = std::min(figure.seconds, took);
        figure.residentMegabytes = std::max(figure.residentMegabytes, static_cast<double>(usage.ru_maxrss) / 1024.0);
        figure.ok = figure.ok && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return figure;
}

// This program run again as `PROGRAM --once WORK ARGUMENTS...`.
inline std::vector<std::string> selfOnce(const std::string& work, std::vector<std::string> arguments = {})
{
    char path[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    std::vector<std::string> command{length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "",
                                     "--once", work};
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
