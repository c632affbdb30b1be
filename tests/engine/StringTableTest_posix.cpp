#include "ResourceIds.h"
#include "StringTable.h"
#include "StringTexts.h"

#include <gtest/gtest.h>

// The program's texts from the compiled table, cut to the buffer; an unknown id gives the empty
// text, and no buffer (or no room) gets nothing.
TEST(StringTablePosixTest, LoadsCutsAndRefuses) {
    const std::string text = stringtext(IDS_BAD_RIFF);
    char buf[8] = "unset";
    EXPECT_EQ(loadstringtable(nullptr, IDS_BAD_RIFF, buf, 0), 0);
    EXPECT_EQ(loadstringtable(nullptr, IDS_BAD_RIFF, nullptr, sizeof buf), 0);
    EXPECT_STREQ(buf, "unset");
    EXPECT_EQ(loadstringtable(nullptr, IDS_BAD_RIFF, buf, sizeof buf), 7);
    EXPECT_EQ(buf, text.substr(0, 7));
    EXPECT_EQ(loadstringtable(nullptr, 0xFFFF, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(stringtableentry(IDS_BAD_RIFF), text);
    EXPECT_EQ(stringtableentry(0xFFFF), "");
}
