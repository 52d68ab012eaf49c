// Runs the built kelvra-render as a script would, for tests of its command
// line, launch files and the files it writes.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/testFiles.h"

namespace kelvra::test {

struct RenderRun {
    int status = -1;   // exit status, or -1 when the program did not exit normally
    std::string out, err;
    // True when the machine has no off-screen GL context to draw with.
    bool noGl() const { return err.find("no off-screen GL context") != std::string::npos; }
};

// Runs kelvra-render with `args`; its stdout and stderr pass through files in
// `folder`, its stdin comes from `stdinPath` when one is given, and `env`
// ("NAME=value") is added to its environment.
inline RenderRun runRender(const std::vector<std::string>& args, const std::string& folder,
                           const std::string& stdinPath = "", const std::vector<std::string>& env = {}) {
    std::string outPath = folder + "/render-stdout.txt", errPath = folder + "/render-stderr.txt";
    std::vector<std::string> copies = args;
    copies.insert(copies.begin(), KELVRA_RENDER_PATH);
    std::vector<char*> argv;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(126);
        if (!stdinPath.empty()) {
            int in = open(stdinPath.c_str(), O_RDONLY);
            if (in < 0 || dup2(in, 0) < 0) _exit(126);
        }
        for (const std::string& setting : env) putenv(const_cast<char*>(setting.c_str()));
        execv(argv[0], argv.data());
        _exit(127);
    }
    RenderRun r;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) r.status = WEXITSTATUS(status);
    r.out = readFile(outPath);
    r.err = readFile(errPath);
    return r;
}

}  // namespace kelvra::test
