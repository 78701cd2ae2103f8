#include "res/StringTable.h"

#include "app/CFormat.h"

#include <cstdarg>

namespace {
struct Entry {
    int id;
    const char* text;
};
constexpr Entry table[] = {
#define STR(number, name, text) {number, text},
#include "res/strings/all.inc"
#undef STR
};
} // namespace

const char* LoadString(int id) {
    for (const Entry& e : table)
        if (e.id == id) return e.text;
    return "";
}

std::string FormatString(int id, ...) {
    va_list args;
    va_start(args, id);
    std::string s = vcformat(LoadString(id), args);
    va_end(args);
    return s;
}
