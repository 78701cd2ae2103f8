#pragma once
// How the scene form shows and reads its numbers.
//
// A real is shown in the C library's general conversion with 15 significant digits: fixed notation unless
// the decimal exponent is below -1 or above 14, otherwise exponent notation with a sign and three exponent
// digits; trailing zeros of the fraction are dropped but the decimal point stays ("100.", "0.1",
// "5.e-002", "-25.", "0."). An integer is shown "%d".
//
// Reading accepts blanks and tabs before and after a decimal number and nothing else; a failed read names
// the message the form shows.

#include <string>

std::string FormatRealField(double value);
std::string FormatIntField(int value);

// False for a text that is not a decimal number (value unchanged); the message is "Please enter a number.".
bool ParseRealField(const std::string& text, double& value);
// False for a text that is not a decimal integer within 32 bits; the message is "Please enter an integer.".
bool ParseIntField(const std::string& text, int& value);

// The texts shown for a field that does not read.
std::string RealFieldMessage(); // "Please enter a number."
std::string IntFieldMessage();  // "Please enter an integer."
