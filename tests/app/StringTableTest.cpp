#include "res/StringTable.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <vector>

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

TEST(StringTable, ArgumentsThatDoNotFitTheTextAreRefused) {
    EXPECT_EQ(FormatString(IDS_DEM_SUSPICIOUS, 612L, 0, 7), "Suspicious elevation value 612 in (0/7).");
    EXPECT_EQ(FormatString(IDS_CANNOT_OPEN_FILE, std::string("b.tga")), "Cannot open file 'b.tga'.");
    EXPECT_THROW(FormatString(IDS_CANNOT_OPEN_FILE, 3), std::invalid_argument);   // %s given a number
    EXPECT_THROW(FormatString(IDS_PROGRESS_FORMAT, 4.5), std::invalid_argument);  // %d given a real
    EXPECT_THROW(FormatString(IDS_PROGRESS_FORMAT), std::invalid_argument);       // one missing
    EXPECT_THROW(FormatString(IDS_PROGRESS_FORMAT, 1, 2), std::invalid_argument); // one too many
}

// Every text of the table can be filled: the formatter knows each conversion the table uses.
TEST(StringTable, EveryConversionInTheTableIsKnown) {
    const int ids[] = {
#define STR(number, name, text) number,
#include "res/strings/all.inc"
#undef STR
    };
    for (int id : ids) {
        std::vector<strings::FormatArg> args;
        const std::string text = LoadString(id);
        for (size_t at = text.find('%'); at != std::string::npos; at = text.find('%', at + 1)) {
            const size_t letter = text.find_first_not_of("-+ #0123456789.l", at + 1);
            if (text[letter] == '%') {
                at = letter;
                continue;
            }
            args.push_back(text[letter] == 's'   ? strings::formatArg("x")
                           : text[letter] == 'f' ? strings::formatArg(1.0)
                                                 : strings::formatArg(1));
        }
        EXPECT_NO_THROW(strings::format(id, args.data(), args.size())) << "string " << id;
    }
}
