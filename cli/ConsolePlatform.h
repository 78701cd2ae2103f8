#pragma once
// The platform of the command line: messages go to stderr, and questions get the "no" button of their kind
// (No, Cancel), so retry loops end and nothing is overwritten unasked. Decisions a subcommand's flags make
// reach the tools as parameters, never as answers to message texts.

#include "app/Platform.h"

#include <cstdio>
#include <string>

class ConsolePlatform : public Platform {
public:
    MsgAnswer message(const std::string& text, MsgIcon icon, MsgButtons buttons) override;

    // Prints text as a line on out: stderr for messages, stdout for what a subcommand documents as its
    // result (e.g. the count of a DEM import).
    virtual void print(const std::string& text, std::FILE* out = stderr);
    // Prints a question and the answer it was given.
    void answered(const std::string& question, MsgAnswer answer);
};
