#include "res/StringTable.h"

#include "app/CFormat.h"

#include <stdexcept>

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

[[noreturn]] void mismatch(int id, const std::string& what) {
    throw std::invalid_argument("string " + std::to_string(id) + ": " + what);
}
} // namespace

const char* LoadString(int id) {
    for (const Entry& e : table)
        if (e.id == id) return e.text;
    return "";
}

namespace strings {

std::string format(int id, const FormatArg* args, size_t count) {
    const std::string text = LoadString(id);
    std::string out;
    size_t used = 0;
    for (size_t i = 0; i < text.size();) {
        const size_t percent = text.find('%', i);
        out.append(text, i, percent - i);
        if (percent == std::string::npos) break;
        // A conversion: flags, width and precision, a length modifier, then its letter.
        size_t end = text.find_first_not_of("-+ #0123456789.hlLqjzt", percent + 1);
        if (end == std::string::npos) mismatch(id, "unfinished conversion");
        const std::string conversion = text.substr(percent, end - percent + 1);
        i = end + 1;
        const char letter = text[end];
        if (letter == '%') {
            out += '%';
            continue;
        }
        if (used == count) mismatch(id, "too few arguments");
        const FormatArg& a = args[used++];
        const bool isLong = conversion.find('l') != std::string::npos;
        const bool isLongLong = conversion.find("ll") != std::string::npos;
        switch (letter) {
        case 'd':
        case 'i':
            if (a.kind != FormatArg::Integer) mismatch(id, conversion + " needs a whole number");
            out += isLongLong ? cformat(conversion.c_str(), a.integer)
                   : isLong   ? cformat(conversion.c_str(), static_cast<long>(a.integer))
                              : cformat(conversion.c_str(), static_cast<int>(a.integer));
            break;
        case 'f':
        case 'e':
        case 'g':
            if (a.kind != FormatArg::Real) mismatch(id, conversion + " needs a real number");
            out += cformat(conversion.c_str(), a.real);
            break;
        case 's':
            if (a.kind != FormatArg::Text) mismatch(id, conversion + " needs a text");
            out += cformat(conversion.c_str(), a.text);
            break;
        default:
            mismatch(id, "unknown conversion " + conversion);
        }
    }
    if (used != count) mismatch(id, "too many arguments");
    return out;
}

} // namespace strings
