#include "Codes.h"
#include "ErrorReport.h"
#include "PlatformExpect.h"
#include "ResourceIds.h"
#include "SystemText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string repeat(const std::string& text, std::size_t count) {
    std::string repeated;
    while (count-- > 0) {
        repeated += text;
    }
    return repeated;
}

// A text naming the id; with a context, two-byte characters overfilling the buffer.
std::string idtext(unsigned id) {
    return "<" + std::to_string(id) + ">";
}

int load(void* context, unsigned id, char* buf, int size) {
    std::string text = context ? repeat(platform::twobytechar, size) : idtext(id);
    text.resize(std::min(text.size(), static_cast<std::size_t>(size) - 1));
    std::memcpy(buf, text.c_str(), text.size() + 1);
    return static_cast<int>(text.size());
}

} // namespace

// Text of the whole code word (else the rare error), then the suffix; platform and device
// kinds show the system's text and a blank. Only input content checks are not severe.
TEST(ErrorReportTest, TextOfTheCodeThenSuffix) {
    const std::string rare = idtext(IDS_RARE_ERROR);
    const std::uint32_t missing = platform::missingfile, notext = platform::notextnumber;
    const std::uint32_t eof = platform::endoffile;
    const struct {
        Result result;
        std::string text;
        bool severe;
    } cases[] = {
        {Result(), "", false},
        {Result{codes::badriff}, idtext(IDS_BAD_RIFF) + "[1,7,0,0]", false},
        {Result{codes::createfailed, 5}, idtext(IDS_NOT_OPENED) + "[1,1,1,5]", true},
        {Result{0x00020007}, rare + "[2,7,0,0]", true},
        {Result{0x00010003}, rare + "[1,3,0,0]", true},
        {Result{codes::openfailed, missing},
         platform::systemtext(missing) + " [1,5,1," + std::to_string(missing) + "]", true},
        {Result{codes::riffreadfailed, eof},
         platform::endoffiletext + " [1,6,1," + std::to_string(eof) + "]", true},
        {Result{codes::chunkheaderfailed, notext},
         std::string(lasterrfallback) + " [1,9,1," + std::to_string(notext) + "]", true},
        {Result{0x0201ABCD, 0x7FFF}, std::string(wavebaderrnum) + " [1,43981,2,32767]", true},
        {Result{0x0301ABCD, 0x7FFF}, std::string(wavebaderrnum) + " [1,43981,3,32767]", true},
        {Result{0xFFFFFFFF, 0xFFFFFFFF}, rare + "[255,65535,255,4294967295]", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        char buf[reportsize];
        std::memset(buf, 'z', sizeof buf);
        bool severe = !c.severe;
        EXPECT_EQ(composereport(c.result, load, nullptr, buf, severe), c.result.code != 0);
        EXPECT_EQ(buf, c.text);
        EXPECT_EQ(severe, c.severe);
    }
}

// Cut after the last whole character that fits; the suffix (31 bytes at most) stays.
TEST(ErrorReportTest, OverlongTextKeepsTheSuffix) {
    const std::string ch = platform::twobytechar, suffix = "[255,65535,255,4294967295]";
    char buf[reportsize + 1];
    for (std::size_t count : {0, 1, 497, 498, 499, 2000}) {
        for (bool blank : {false, true}) {
            SCOPED_TRACE(std::to_string(count) + (blank ? " with blank" : ""));
            buf[reportsize] = 'G'; // guard byte
            fitreport(buf, repeat(ch, count).c_str(), blank, suffix.c_str());
            std::size_t room = reportsize - 1 - suffix.size() - (blank ? 1 : 0);
            EXPECT_EQ(buf,
                      repeat(ch, std::min(count, room / ch.size())) + (blank ? " " : "") + suffix);
            EXPECT_EQ(buf[reportsize], 'G');
        }
    }
    fitreport(buf, "text", false, std::string(40, 's').c_str());
    EXPECT_EQ(buf, "text" + std::string(31, 's'));
    bool severe = false;
    ASSERT_TRUE(composereport(Result{codes::badriff}, load, buf, buf, severe));
    EXPECT_EQ(buf, repeat(ch, (reportsize - 1 - 9) / ch.size()) + "[1,7,0,0]");
}
