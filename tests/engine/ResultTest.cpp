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
    EXPECT_EQ(result.code, codes::readfailed);
    EXPECT_EQ(result.syserr, 38u);
    EXPECT_FALSE(result.ok());
}

// Content checks of the input and the 4 GiB limit warn; misuse and everything else is severe.
// The table keys on whole code words: the same number under another kind or facility is the
// rare error.
TEST(CodesTest, MessageForEveryCode) {
    struct Case {
        std::uint32_t code;
        unsigned stringid;
        bool severe;
    };
    const Case cases[] = {
        {codes::seeknotopen, IDS_NOT_OPENED, true},
        {codes::createfailed, IDS_NOT_OPENED, true},
        {codes::alreadyopen, IDS_ALREADY_OPEN, true},
        {codes::closenotopen, IDS_FILE_NOT_OPEN, true},
        {codes::seekrange, IDS_SEEK_OVER_4G, false},
        {codes::badriff, IDS_BAD_RIFF, false},
        {codes::badwave, IDS_BAD_WAVE, false},
        {codes::notpcm, IDS_PCM_ONLY, false},
        {codes::fmttooshort, IDS_PCM_ONLY, false},
        {codes::badchannels, IDS_BAD_CHANNELS, false},
        {codes::badbits, IDS_BAD_BITS, false},
        {codes::badrate, IDS_BAD_RATE, false},
        {codes::badsamplecount, IDS_BAD_SAMPLE_COUNT, false},
        {codes::readfailed, IDS_RARE_ERROR, true},
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
