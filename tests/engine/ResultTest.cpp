#include "Codes.h"
#include "Result.h"
#include "ResourceIds.h"

#include <gtest/gtest.h>

TEST(ResultTest, FirstFailureWins) {
    Result result;
    EXPECT_TRUE(result.ok());
    EXPECT_FALSE(result.fail(codes::readfailed, 38));
    EXPECT_FALSE(result.fail(codes::closefailed, 6));
    EXPECT_EQ(result.code, codes::readfailed);
    EXPECT_EQ(result.syserr, 38u);
}

// The message table keys on whole code words: the same number under another kind or facility
// is the rare error. Content checks warn; a platform failure is severe.
TEST(ResultTest, MessageForCodeKeysOnTheWholeWord) {
    struct Case {
        std::uint32_t code;
        unsigned stringid;
        bool severe;
    };
    const Case cases[] = {
        {codes::createfailed, IDS_NOT_OPENED, true},
        {codes::badchannels, IDS_BAD_CHANNELS, false},
        {codes::writerifffailed, IDS_RARE_ERROR, true}, // seekrange's number, another kind
        {0x00010003, IDS_RARE_ERROR, true},             // seekfailed's number, kind 0
        {0x02010001, IDS_RARE_ERROR, true},             // seeknotopen's number, kind 2
        {0x00020007, IDS_RARE_ERROR, true},             // badriff's number, another facility
    };
    for (const Case& c : cases) {
        CodeMessage message = messageforcode(c.code);
        EXPECT_EQ(message.stringid, c.stringid) << std::hex << c.code;
        EXPECT_EQ(message.severe, c.severe) << std::hex << c.code;
    }
}
