#include "res/StringTable.h"

#include <gtest/gtest.h>

#include <set>

TEST(StringTable, NumbersAreUniqueAndTextsFormat) {
    std::set<int> seen;
    const int ids[] = {
#define STR(number, name, text) number,
#include "res/strings/all.inc"
#undef STR
    };
    for (int id : ids) EXPECT_TRUE(seen.insert(id).second) << "string " << id << " is defined twice";
    EXPECT_STREQ(LoadString(IDS_APP_TITLE), "Orvantis Windows Application");
    EXPECT_EQ(FormatString(IDS_CANNOT_OPEN_FILE, "a.tga"), "Cannot open file 'a.tga'.");
    EXPECT_EQ(FormatString(IDS_PROGRESS_FORMAT, 42), "42%");
    EXPECT_STREQ(LoadString(999999), "");
}
