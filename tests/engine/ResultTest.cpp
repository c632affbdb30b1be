#include "Codes.h"
#include "Result.h"
#include "ResourceIds.h"

#include <gtest/gtest.h>

TEST(ResultTest, FirstFailureWins) {
    Result result;
    EXPECT_TRUE(result.ok());
    EXPECT_FALSE(result.fail(codes::readfailed, 38));
    EXPECT_FALSE(result.fail(codes::closefailed, 6));
    EXPECT_FALSE(result.fail(codes::badriff));
    EXPECT_EQ(result.code, 0x01010016u);
    EXPECT_EQ(result.syserr, 38u);
    EXPECT_FALSE(result.ok());
}

// Reader and writer share three code words; the table below keys on whole words.
TEST(CodesTest, SharedCodeWords) {
    EXPECT_EQ(codes::seekfailed, codes::writefmtfailed);
    EXPECT_EQ(codes::openfailed, codes::writeblockfailed);
    EXPECT_EQ(codes::riffreadfailed, codes::outclosefailed);
}

TEST(CodesTest, MessageForEveryCode) {
    struct Case {
        std::uint32_t code;
        unsigned stringid;
        bool severe;
    };
    const Case cases[] = {
        {0x00010001, IDS_NOT_OPENED, true},
        {0x01010001, IDS_NOT_OPENED, true},
        {0x00010002, IDS_SEEK_OVER_4G, false},
        {0x00010004, IDS_ALREADY_OPEN, true},
        {0x00010007, IDS_BAD_RIFF, false},
        {0x00010008, IDS_BAD_WAVE, false},
        {0x0001000D, IDS_PCM_ONLY, false},
        {0x0001000E, IDS_BAD_CHANNELS, false},
        {0x0001000F, IDS_BAD_BITS, false},
        {0x00010010, IDS_BAD_RATE, false},
        {0x00010011, IDS_BAD_SAMPLE_COUNT, false},
        {0x00010012, IDS_PCM_ONLY, false},
        {0x00010013, IDS_FILE_NOT_OPEN, true},
        // Everything else is the rare error, severe, shown with the system's text if any.
        {0x00010015, IDS_RARE_ERROR, true},
        {0x01010002, IDS_RARE_ERROR, true},
        {0x01010003, IDS_RARE_ERROR, true},
        {0x01010004, IDS_RARE_ERROR, true},
        {0x01010005, IDS_RARE_ERROR, true},
        {0x01010006, IDS_RARE_ERROR, true},
        {0x01010009, IDS_RARE_ERROR, true},
        {0x0101000A, IDS_RARE_ERROR, true},
        {0x0101000B, IDS_RARE_ERROR, true},
        {0x0101000C, IDS_RARE_ERROR, true},
        {0x01010014, IDS_RARE_ERROR, true},
        {0x01010016, IDS_RARE_ERROR, true},
        {0x01010017, IDS_RARE_ERROR, true},
        {0x01010018, IDS_RARE_ERROR, true},
        {0x02010001, IDS_RARE_ERROR, true},
        {0x00010003, IDS_RARE_ERROR, true}, // a kind-0 word of a kind-1 number is unknown
        {0x00020007, IDS_RARE_ERROR, true}, // so is another facility
    };
    for (const Case& c : cases) {
        CodeMessage message = messageforcode(c.code);
        EXPECT_EQ(message.stringid, c.stringid) << std::hex << c.code;
        EXPECT_EQ(message.severe, c.severe) << std::hex << c.code;
    }
}
