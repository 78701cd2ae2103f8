#include "cli/ConsolePlatform.h"

#include <cstdio>

namespace {
bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

MsgAnswer defaultAnswer(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok: return MsgAnswer::Ok;
    case MsgButtons::OkCancel: return MsgAnswer::Cancel;
    default: return MsgAnswer::No;
    }
}

const char* answerName(MsgAnswer a) {
    switch (a) {
    case MsgAnswer::Ok: return "OK";
    case MsgAnswer::Cancel: return "Cancel";
    case MsgAnswer::Yes: return "Yes";
    case MsgAnswer::No: return "No";
    }
    return "";
}
} // namespace

MsgAnswer ConsolePlatform::message(const std::string& text, MsgIcon, MsgButtons buttons) {
    history.push_back(text);
    MsgAnswer a = defaultAnswer(buttons);
    for (const auto& [prefix, answer] : rules)
        if (startsWith(text, prefix)) a = answer;

    std::FILE* out = stderr;
    for (const auto& prefix : stdoutPrefixes)
        if (startsWith(text, prefix)) out = stdout;
    std::fprintf(out, "%s\n", text.c_str());
    if (buttons != MsgButtons::Ok) std::fprintf(stderr, "  -> %s\n", answerName(a));
    std::fflush(out);
    return a;
}
