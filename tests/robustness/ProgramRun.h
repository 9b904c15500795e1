#pragma once

#include "app/AppTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tarnwick::testing {

// How a run of the program ended.
struct ProgramResult {
    bool mTimedOut = false;
    bool mExited = false;
    int mExitCode = -1;
    int mSignal = 0;
    std::string mErrors; // the standard error stream

    std::string Describe() const {
        std::string text = mTimedOut  ? "timed out"
                           : mExited  ? "exit code " + std::to_string(mExitCode)
                                      : "signal " + std::to_string(mSignal);
        return text + ", stderr:\n" + mErrors;
    }
};

// Runs the program (by default the game) with the arguments in a child process, in folder when
// one is given, its output to /dev/null and its error stream to errorFile, and kills it when it
// runs longer than timeout. While it runs, watch (when given) is called every 100 ms with the
// child's process id.
inline ProgramResult RunProgram(const std::vector<std::string>& arguments,
                                const std::string& errorFile, std::chrono::seconds timeout,
                                const std::function<void(pid_t)>& watch = {},
                                const std::string& program = TARNWICK_PROGRAM,
                                const std::string& folder = "") {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        const int out = open("/dev/null", O_WRONLY);
        const int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (!folder.empty() && chdir(folder.c_str()) != 0) {
            _exit(126);
        }
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    ProgramResult result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            result.mTimedOut = true;
            break;
        }
        if (watch) {
            watch(child);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    result.mExited = WIFEXITED(status);
    result.mExitCode = result.mExited ? WEXITSTATUS(status) : -1;
    result.mSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.mErrors = ravix::testing::ReadTextFile(errorFile);
    return result;
}

// Counts the non-overlapping occurrences of what in text.
inline int CountOf(const std::string& text, const std::string& what) {
    int count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) {
        ++count;
    }
    return count;
}

} // namespace tarnwick::testing
