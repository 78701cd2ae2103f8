#include "app/CFormat.h"

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <vector>

namespace {

locale_t cLocale() {
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

// Switches the calling thread to the "C" locale for the lifetime of the object.
class ThreadCLocale {
public:
    ThreadCLocale() : previous(uselocale(cLocale())) {}
    ~ThreadCLocale() { uselocale(previous); }

private:
    locale_t previous;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::string vcformat(const char* fmt, va_list args) {
    ThreadCLocale c;
    va_list copy;
    va_copy(copy, args);
    char small[256];
    int n = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (n < 0) return {};
    if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
    std::vector<char> big(static_cast<size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), fmt, args);
    return std::string(big.data(), static_cast<size_t>(n));
}

std::string cformat(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::string s = vcformat(fmt, args);
    va_end(args);
    return s;
}

size_t scanReal(const char* text, double& value) {
    if (!text) return 0;
    char* end = nullptr;
    double v = strtod_l(text, &end, cLocale());
    if (end == text) return 0;
    value = v;
    return static_cast<size_t>(end - text);
}

size_t scanInt(const char* text, int& value) {
    if (!text) return 0;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text, &end, 10);
    if (end == text) return 0;
    value = static_cast<int>(static_cast<long long>(static_cast<unsigned int>(v)));
    if (v > INT_MAX || v < INT_MIN) value = static_cast<int>(static_cast<unsigned int>(v));
    return static_cast<size_t>(end - text);
}

size_t scanHex(const char* text, unsigned long& value) {
    if (!text) return 0;
    char* end = nullptr;
    unsigned long long v = std::strtoull(text, &end, 16);
    if (end == text) return 0;
    value = static_cast<unsigned long>(v & 0xFFFFFFFFull);
    return static_cast<size_t>(end - text);
}

int atoiC(const char* text) {
    int v = 0;
    return scanInt(text, v) ? v : 0;
}

bool parseRealStrict(const std::string& text, double& value) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i == text.size()) return false;
    double v = 0;
    size_t n = scanReal(text.c_str() + i, v);
    if (n == 0) return false;
    i += n;
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i != text.size()) return false;
    value = v;
    return true;
}

bool parseIntStrict(const std::string& text, int& value) {
    size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == digits) return false;
    std::string number = text.substr(start, i - start);
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i != text.size()) return false;
    errno = 0;
    long long v = std::strtoll(number.c_str(), nullptr, 10);
    if (errno == ERANGE || v > INT_MAX || v < INT_MIN) return false;
    value = static_cast<int>(v);
    return true;
}
