#pragma once
// The program's string table: every user-visible text by number. The entries live in res/strings/*.inc,
// one file per subsystem, as lines STR(number, NAME, "text"); NAME becomes a constant of StringId.

#include <string>
#include <type_traits>

enum StringId : int {
#define STR(number, name, text) name = number,
#include "res/strings/all.inc"
#undef STR
};

// The text of a string id; an empty text for an unknown id.
const char* LoadString(int id);

namespace strings {
// One argument of a message, by the kind of conversion it may fill: %d/%ld (whole numbers), %f (reals)
// or %s (texts). Other types do not compile.
struct FormatArg {
    enum Kind { Integer, Real, Text } kind = Integer;
    long long integer = 0;
    double real = 0;
    const char* text = nullptr;
};
inline FormatArg formatArg(const char* s) {
    return {FormatArg::Text, 0, 0, s};
}
inline FormatArg formatArg(const std::string& s) {
    return formatArg(s.c_str());
}
template <class T>
requires std::is_integral_v<T> || std::is_enum_v<T> FormatArg formatArg(T v) {
    return {FormatArg::Integer, static_cast<long long>(v), 0, nullptr};
}
template <class T>
requires std::is_floating_point_v<T> FormatArg formatArg(T v) {
    return {FormatArg::Real, 0, static_cast<double>(v), nullptr};
}

// Fills the conversions of the text of id with args in the "C" locale. Throws std::invalid_argument
// when the number of arguments or the kind of one does not match its conversion.
std::string format(int id, const FormatArg* args, size_t count);
} // namespace strings

// The text of id with its printf-style conversions filled by args, each checked against its conversion;
// the output is what printf gives for the conversion's own type.
template <class... Args> std::string FormatString(int id, const Args&... args) {
    const strings::FormatArg list[] = {strings::formatArg(args)..., {}};
    return strings::format(id, list, sizeof...(Args));
}
