#include "cli/ConsolePlatform.h"

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
    const char* const names[] = {"OK", "Cancel", "Yes", "No"}; // in the order of MsgAnswer
    print(question);
    std::fprintf(stderr, "  -> %s\n", names[static_cast<int>(answer)]);
}
