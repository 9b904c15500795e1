#pragma once

// Runs tarnwick-tool for the tool tests.

#include "files/PakTestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace tooltest {

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs tarnwick-tool with the arguments, no shell in between, and collects both outputs.
inline ToolResult RunTool(const std::vector<std::string>& args) {
    paktest::TempFolder folder;
    const std::string outPath = folder / "out";
    const std::string errPath = folder / "err";
    std::vector<std::string> all = {TARNWICK_TOOL};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
    pid_t pid = 0;
    ToolResult result;
    if (posix_spawn(&pid, TARNWICK_TOOL, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = paktest::ReadFile(outPath);
    result.err = paktest::ReadFile(errPath);
    return result;
}

} // namespace tooltest
