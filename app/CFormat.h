#pragma once
// Numbers in files, job files and on the clipboard are always written and read in the "C" locale, whatever
// locale the user (or QApplication) has set for the process. These helpers do that without touching the
// process's own locale: formatting switches the calling thread's locale only for the call.

#include <cstdarg>
#include <string>

// printf-style formatting in the "C" locale ("%f" always writes a point).
std::string cformat(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vcformat(const char* fmt, va_list args);

// Reads a real the way scanf's "%lf" does, in the "C" locale: leading white space is skipped, the longest
// prefix that forms a number is taken. Returns the number of characters consumed (0 when no number).
size_t scanReal(const char* text, double& value);
// Reads an integer the way scanf's "%d" does (leading white space, optional sign, decimal digits).
// Values beyond 32 bits wrap as the C library's conversion would on this platform's int.
size_t scanInt(const char* text, int& value);
// Reads a hexadecimal number the way "%lX" does (leading white space, optional "0x", hex digits); the
// result is kept to 32 bits.
size_t scanHex(const char* text, unsigned long& value);

// The C library's atoi/strtol reading: optional leading white space, sign and digits; 0 when none.
int atoiC(const char* text);

// Whole-text parses used by forms: blanks and tabs are allowed before and after the number, nothing else.
bool parseRealStrict(const std::string& text, double& value);
bool parseIntStrict(const std::string& text, int& value);
