#include "scene/FieldText.h"

#include "app/CFormat.h"
#include "res/StringTable.h"

#include <cmath>
#include <cstdlib>

std::string FormatRealField(double value) {
    if (!std::isfinite(value)) return cformat("%.15G", value);
    // "%.14e" rounds to 15 significant digits and tells the decimal exponent after rounding.
    std::string e = cformat("%.14e", value);
    bool negative = e[0] == '-';
    size_t p = negative ? 1 : 0;
    std::string digits;
    for (; p < e.size() && e[p] != 'e'; ++p)
        if (e[p] != '.') digits += e[p];
    int exponent = std::atoi(e.c_str() + p + 1);
    if (value == 0) exponent = 0;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent < -1 || exponent > 14) {
        out += digits.substr(0, 1) + "." + digits.substr(1);
        out += cformat("e%c%03d", exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
        return out;
    }
    if (exponent == -1) {
        out += "0.";
        if (digits != "0") out += digits;
        return out;
    }
    size_t intDigits = static_cast<size_t>(exponent) + 1;
    if (digits.size() < intDigits) digits.append(intDigits - digits.size(), '0');
    out += digits.substr(0, intDigits) + "." + digits.substr(intDigits);
    return out;
}

std::string FormatIntField(int value) {
    return cformat("%d", value);
}

bool ParseRealField(const std::string& text, double& value) {
    // Only blanks and tabs around [sign] digits [. digits] [e [sign] digits]; no hexadecimal, no "inf".
    size_t i = 0, n = text.size();
    auto isDigit = [&](size_t k) { return k < n && text[k] >= '0' && text[k] <= '9'; };
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    size_t start = i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    bool mantissa = false;
    while (isDigit(i)) ++i, mantissa = true;
    if (i < n && text[i] == '.') {
        ++i;
        while (isDigit(i)) ++i, mantissa = true;
    }
    if (!mantissa) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        size_t k = i + 1;
        if (k < n && (text[k] == '+' || text[k] == '-')) ++k;
        if (!isDigit(k)) return false;
        while (isDigit(k)) ++k;
        i = k;
    }
    size_t end = i;
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i != n) return false;
    double v = 0;
    if (scanReal(text.substr(start, end - start).c_str(), v) == 0 || !std::isfinite(v)) return false;
    value = v;
    return true;
}

bool ParseIntField(const std::string& text, int& value) {
    return parseIntStrict(text, value);
}

std::string RealFieldMessage() {
    return LoadString(IDS_PLEASE_ENTER_NUMBER);
}
std::string IntFieldMessage() {
    return LoadString(IDS_PLEASE_ENTER_INTEGER);
}
