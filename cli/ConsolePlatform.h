#pragma once
// The platform of the command line: messages go to stderr, questions are answered by what the command's
// flags decided beforehand (or a stated default), never by waiting for input.

#include "app/Platform.h"

#include <string>
#include <utility>
#include <vector>

class ConsolePlatform : public Platform {
public:
    // Questions whose text starts with prefix get answer. Questions without a rule get the "no" button of
    // their kind (No, Cancel), so retry loops end and nothing is overwritten unasked.
    void answer(const std::string& prefix, MsgAnswer a) { rules.emplace_back(prefix, a); }

    // Messages whose text starts with prefix go to stdout instead of stderr (informational output that a
    // subcommand documents as its result, e.g. the count of a DEM import).
    void toStdout(const std::string& prefix) { stdoutPrefixes.push_back(prefix); }

    MsgAnswer message(const std::string& text, MsgIcon icon, MsgButtons buttons) override;

    // Every message and question shown so far (for commands that decide their exit status on them).
    const std::vector<std::string>& shown() const { return history; }

private:
    std::vector<std::pair<std::string, MsgAnswer>> rules;
    std::vector<std::string> stdoutPrefixes;
    std::vector<std::string> history;
};
