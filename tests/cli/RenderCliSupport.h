#pragma once
// Runs orvantis-cli from the command-line tests of rendering.

#include "support/TempDir.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

struct CliRun {
    int status = -1; // exit status; 128 + n when ended by signal n
    std::string out;
    std::string err;
};

// How a test stops the run once the first line has arrived on stdout. Nothing more is read before, so a
// run that prints more than the pipe holds cannot end before it.
struct StopAfterFirstLine {
    int signal = 0;           // sent to the process (0: none)
    int times = 1;            // how often (a second Ctrl+C comes while the run cleans up)
    bool closeOutput = false; // the reader goes away: the run's next line meets a closed pipe
};

// Runs orvantis-cli (the build's, or the copy at `program`) with args, job files in tmpDir and the settings
// in a file of its own.
inline CliRun runRender(const std::vector<std::string>& args, const TempDir& tmpDir,
                        StopAfterFirstLine stop = {}, const char* program = ORVANTIS_CLI) {
    int outPipe[2];
    if (pipe(outPipe) != 0) return {};
    const std::string errFile = tmpDir.path("stderr.txt");
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        close(outPipe[0]);
        close(outPipe[1]);
        std::FILE* err = std::freopen(errFile.c_str(), "w", stderr);
        (void)err;
        setenv("TMPDIR", tmpDir.path().c_str(), 1);
        setenv("ORVANTIS_INI", tmpDir.path("orvantis.ini").c_str(), 1);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program));
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program, argv.data());
        _exit(127);
    }
    close(outPipe[1]);
    CliRun r;
    char buf[4096];
    const bool stopping = stop.signal != 0 || stop.closeOutput;
    ssize_t n;
    while ((n = read(outPipe[0], buf, sizeof buf)) > 0) {
        r.out.append(buf, static_cast<size_t>(n));
        if (stopping && r.out.find('\n') != std::string::npos) {
            for (int i = 0; i < stop.times && stop.signal != 0; ++i) kill(pid, stop.signal);
            if (stop.closeOutput) break;
            stop = {};
        }
    }
    close(outPipe[0]);
    int raw = 0;
    waitpid(pid, &raw, 0);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
    r.err = TempDir::read(errFile);
    return r;
}
