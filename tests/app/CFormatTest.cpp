#include "app/CFormat.h"

#include <gtest/gtest.h>

#include <clocale>

// Files must carry a point whatever locale the user runs under.
TEST(CFormat, IgnoresTheProcessLocale) {
    const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(cformat("%f", 1.5), "1.500000");
    EXPECT_EQ(cformat("%f", -100.0), "-100.000000");
    EXPECT_EQ(cformat("%lX", 255ul), "FF");
    double v = 0;
    EXPECT_EQ(scanReal("  2.25xyz", v), 6u);
    EXPECT_EQ(v, 2.25);
    if (german) std::setlocale(LC_ALL, "C");
}

TEST(CFormat, StrictParsesAllowOnlyBlanksAround) {
    double d = 7;
    EXPECT_TRUE(parseRealStrict(" \t-25. \t", d));
    EXPECT_EQ(d, -25.0);
    EXPECT_FALSE(parseRealStrict("abc", d));
    EXPECT_FALSE(parseRealStrict("1.5x", d));
    EXPECT_FALSE(parseRealStrict("", d));
    int i = 3;
    EXPECT_TRUE(parseIntStrict(" 42\t", i));
    EXPECT_EQ(i, 42);
    EXPECT_FALSE(parseIntStrict("4.2", i));
    EXPECT_FALSE(parseIntStrict("99999999999", i));
    EXPECT_EQ(atoiC("  -12abc"), -12);
    EXPECT_EQ(atoiC("x"), 0);
    unsigned long h = 0;
    EXPECT_GT(scanHex("ff8000", h), 0u);
    EXPECT_EQ(h, 0xFF8000ul);
    EXPECT_EQ(scanHex("zz", h), 0u);
}
