#pragma once
// Blanks as the program's text formats know them: spaces and tabs (a line break ends a line, it is no blank).

#include <string>
#include <string_view>

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The text without its leading and trailing blanks.
inline std::string TrimBlanks(std::string_view text) {
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
}
