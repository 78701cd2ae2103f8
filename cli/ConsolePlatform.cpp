#include "cli/ConsolePlatform.h"

namespace {
const char* answerName(MsgAnswer a) {
    switch (a) {
    case MsgAnswer::Ok:
        return "OK";
    case MsgAnswer::Cancel:
        return "Cancel";
    case MsgAnswer::Yes:
        return "Yes";
    case MsgAnswer::No:
        return "No";
    }
    return "";
}
} // namespace

MsgAnswer ConsolePlatform::message(const std::string& text, MsgIcon icon, MsgButtons buttons) {
    const MsgAnswer a = SilentPlatform().message(text, icon, buttons);
    if (buttons == MsgButtons::Ok)
        print(text);
    else
        answered(text, a);
    return a;
}

void ConsolePlatform::print(const std::string& text, std::FILE* out) {
    std::fprintf(out, "%s\n", text.c_str());
    std::fflush(out);
}

void ConsolePlatform::answered(const std::string& question, MsgAnswer answer) {
    print(question);
    std::fprintf(stderr, "  -> %s\n", answerName(answer));
}
