#include "Codes.h"
#include "ErrorReport.h"
#include "PlatformExpect.h"
#include "ResourceIds.h"
#include "SystemText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string compose(const Result& result, bool& severe) {
    char buf[reportsize];
    std::memset(buf, 'z', sizeof buf);
    bool composed = composereport(result, platform::stringloader, nullptr, buf, severe);
    EXPECT_EQ(composed, result.code != 0);
    return buf;
}

Result record(std::uint32_t code, std::uint32_t syserr = 0) {
    Result result;
    result.fail(code, syserr);
    return result;
}

// count copies of ch.
std::string repeat(const std::string& ch, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += ch;
    }
    return text;
}

} // namespace

// The code's string then the suffix; for the rare error the system's text for the number
// instead, set off from the suffix by one blank.
TEST(ErrorReportTest, TextOfTheCodeThenSuffix) {
    const std::uint32_t missing = platform::missingfile;
    const std::uint32_t notext = platform::notextnumber;
    struct Case {
        Result result;
        std::string text;
        bool severe;
    };
    const Case cases[] = {
        {Result(), "", false},
        {record(codes::badriff), platform::stringtable(IDS_BAD_RIFF) + "[1,7,0,0]", false},
        {record(codes::createfailed, 5), platform::stringtable(IDS_NOT_OPENED) + "[1,1,1,5]", true},
        {record(codes::readnotopen), platform::stringtable(IDS_RARE_ERROR) + "[1,21,0,0]", true},
        {record(codes::openfailed, missing),
         platform::systemtext(missing) + " [1,5,1," + std::to_string(missing) + "]", true},
        {record(codes::riffreadfailed, platform::endoffile),
         platform::endoffiletext + " [1,6,1," + std::to_string(platform::endoffile) + "]", true},
        {record(codes::chunkheaderfailed, notext),
         std::string(lasterrfallback) + " [1,9,1," + std::to_string(notext) + "]", true},
        {record(0x0201ABCD, 0x7FFF), std::string(wavebaderrnum) + " [1,43981,2,32767]", true},
        {record(0x0301ABCD, 0x7FFF), std::string(wavebaderrnum) + " [1,43981,3,32767]", true},
        {record(0xFFFFFFFF, 0xFFFFFFFF),
         platform::stringtable(IDS_RARE_ERROR) + "[255,65535,255,4294967295]", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        bool severe = !c.severe;
        EXPECT_EQ(compose(c.result, severe), c.text);
        EXPECT_EQ(severe, c.severe);
    }
}

// A text too long for the buffer is cut after its last whole character that fits; the suffix
// always stays, and nothing is written beyond the buffer.
TEST(ErrorReportTest, OverlongTextKeepsTheSuffix) {
    const std::string ch = platform::twobytechar;
    const std::string suffix = "[255,65535,255,4294967295]";
    for (std::size_t count : {0u, 1u, 497u, 498u, 499u, 500u, 511u, 512u, 2000u}) {
        for (bool blank : {false, true}) {
            SCOPED_TRACE(std::to_string(count) + (blank ? " with blank" : ""));
            char buf[reportsize + 1];
            buf[reportsize] = '\x55'; // guard byte
            fitreport(buf, repeat(ch, count).c_str(), blank, suffix.c_str());
            std::size_t room = reportsize - 1 - suffix.size() - (blank ? 1 : 0);
            std::size_t kept = std::min(count, room / ch.size());
            EXPECT_EQ(buf, repeat(ch, kept) + (blank ? " " : "") + suffix);
            EXPECT_EQ(buf[reportsize], '\x55');
        }
    }
}

// A loaded string that fills the whole buffer loses its tail, not the suffix.
TEST(ErrorReportTest, OverlongLoadedString) {
    const std::string ch = platform::twobytechar;
    auto load = [](void*, unsigned, char* buf, int size) {
        std::string text = repeat(platform::twobytechar, (size - 1) / platform::twobytechar.size());
        std::memcpy(buf, text.c_str(), text.size() + 1);
        return static_cast<int>(text.size());
    };
    char buf[reportsize];
    bool severe = true;
    ASSERT_TRUE(composereport(record(codes::badriff), load, nullptr, buf, severe));
    const std::string suffix = "[1,7,0,0]";
    EXPECT_EQ(buf, repeat(ch, (reportsize - 1 - suffix.size()) / ch.size()) + suffix);
}
