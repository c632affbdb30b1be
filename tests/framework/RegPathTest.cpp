#include "RegPath.h"

#include <gtest/gtest.h>

TEST(RegPath, JoinsComponents) {
    struct Case {
        bool prefix;
        const char* c1;
        const char* c2;
        const char* c3;
        const char* c4;
        const char* path;
    };
    const Case cases[] = {
        {true, "Norvex", "Conv", "1.0", nullptr, "Software\\Norvex\\Conv\\1.0"},
        {true, "Norvex", "", "1.0", nullptr, "Software\\Norvex\\1.0"},
        {true, "Norvex", "Conv", "", "", "Software\\Norvex\\Conv"},
        {true, "", "Conv", nullptr, nullptr, "Software\\\\Conv"},
        {false, "A", "B", "C", "D", "A\\B\\C\\D"},
        {false, "A", nullptr, nullptr, "D", "A\\D"},
        {true, "\x95\x5C", nullptr, nullptr, nullptr, "Software\\\x95\x5C"},
    };
    for (const Case& c : cases) {
        char buf[regpathsize];
        ASSERT_TRUE(makeregpath(buf, sizeof buf, c.prefix, c.c1, c.c2, c.c3, c.c4));
        EXPECT_STREQ(buf, c.path);
    }
}
