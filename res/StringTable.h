#pragma once
// The program's string table: every user-visible text by number. The entries live in res/strings/*.inc,
// one file per subsystem, as lines STR(number, NAME, "text"); NAME becomes a constant of StringId.

#include <string>

enum StringId : int {
#define STR(number, name, text) name = number,
#include "res/strings/all.inc"
#undef STR
};

// The text of a string id; an empty text for an unknown id.
const char* LoadString(int id);

// The text of id with printf-style arguments filled in (C locale for numbers).
std::string FormatString(int id, ...);
